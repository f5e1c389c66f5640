#include "printer_lab.h"

#include <chrono>
#include <thread>

PrinterLab::~PrinterLab() {
  m_agents.clear();  // stops each agent by its PID before its files go
}

bool PrinterLab::add(const std::string &address, const std::string &file, std::string *error) {
  auto data = std::make_unique<AgentDataDir>();
  if (!data->create(error)) return false;
  const std::string source = std::string(QMR_DEMO_DATA_DIR) + "/" + file;
  for (const char *community : {"public", "private"}) {
    if (!data->copy(source, std::string(community) + ".snmprec", error)) return false;
  }
  auto agent = std::make_unique<SnmpsimAgent>(address, data->path(), "public");
  m_dirs.push_back(std::move(data));
  if (!agent->start(error)) return false;
  m_agents.push_back(std::move(agent));
  return true;
}

PrinterLab *PrinterLabSuite::s_lab = nullptr;
bool PrinterLabSuite::s_ok = false;
std::string PrinterLabSuite::s_error;

void PrinterLabSuite::start_lab(const Printers &printers) {
  constexpr int kAttempts = 3;
  if (!SnmpsimAgent::can_run()) return;
  for (int attempt = 0; attempt < kAttempts && !s_ok; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::seconds(1));
    delete s_lab;
    s_lab = new PrinterLab();
    s_error.clear();
    s_ok = true;
    for (const auto &[address, file] : printers) s_ok = s_ok && s_lab->add(address, file, &s_error);
  }
}

void PrinterLabSuite::TearDownTestSuite() {
  delete s_lab;
  s_lab = nullptr;
  s_ok = false;
}

void PrinterLabSuite::SetUp() {
  QMR_REQUIRE_SNMPSIM();
  ASSERT_TRUE(s_ok) << s_error;
}
