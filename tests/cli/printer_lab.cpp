#include "printer_lab.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

PrinterLab::~PrinterLab() {
  m_agents.clear();  // stops each agent by its PID
  for (const std::string &dir : m_dirs) {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
}

bool PrinterLab::add(const std::string &address, const std::string &file, std::string *error) {
  char pattern[] = "/tmp/qmr-cli-printer-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    *error = "mkdtemp failed";
    return false;
  }
  const std::string dir = pattern;
  m_dirs.push_back(dir);
  chmod(dir.c_str(), 0755);  // snmpsimd reads it as nobody
  const fs::path source = fs::path(QMR_DEMO_DATA_DIR) / file;
  std::error_code ec;
  for (const char *community : {"public", "private"}) {
    const fs::path target = fs::path(dir) / (std::string(community) + ".snmprec");
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      *error = "copy " + source.string() + ": " + ec.message();
      return false;
    }
    chmod(target.c_str(), 0644);
  }
  auto agent = std::make_unique<SnmpsimAgent>(address, dir, "public");
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
