#include "printer_lab.h"

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

bool PrinterLab::start(std::string *error) {
  return add(kAddr7300, "vellumcraft-7300.snmprec", error) && add(kAddr7300P, "vellumcraft-7300p.snmprec", error) &&
         add(kAddrForeign, "inkwell-400.snmprec", error) && add(kAddrBadJob, "vellumcraft-7300-badjob.snmprec", error);
}
