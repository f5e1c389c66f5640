#include "printer_lab.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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

bool PrinterLab::start(std::string *error) {
  return add(kAddr7300, "vellumcraft-7300.snmprec", error) && add(kAddr7300P, "vellumcraft-7300p.snmprec", error) &&
         add(kAddrForeign, "inkwell-400.snmprec", error) && add(kAddrBadJob, "vellumcraft-7300-badjob.snmprec", error);
}
