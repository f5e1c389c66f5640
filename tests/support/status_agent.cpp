#include "support/status_agent.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

constexpr char kPrefix[] = "status-";
constexpr char kSuffix[] = ".snmprec";
constexpr char kProbeScenario[] = "status-system";

bool is_scenario(const std::string &name) {
  const std::string prefix = kPrefix, suffix = kSuffix;
  return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

StatusAgent::StatusAgent(std::string address, std::vector<std::pair<std::string, std::string>> aliases)
    : m_address(std::move(address)), m_aliases(std::move(aliases)) {}

StatusAgent::~StatusAgent() {
  m_agent.reset();
  for (const std::string &file : m_files) unlink(file.c_str());
  if (!m_dir.empty()) rmdir(m_dir.c_str());
}

bool StatusAgent::copy(const std::string &from, const std::string &to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  const std::string target = m_dir + "/" + to;
  std::ofstream out(target, std::ios::binary);
  out << in.rdbuf();
  out.close();
  m_files.push_back(target);
  // The agent reads the files after dropping to nobody.
  return out.good() && chmod(target.c_str(), 0644) == 0;
}

bool StatusAgent::start(std::string *error) {
  char tmpl[] = "/tmp/qmr-status-data-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) {
    if (error) *error = "mkdtemp failed";
    return false;
  }
  m_dir = tmpl;
  chmod(m_dir.c_str(), 0755);
  const std::string source = QMR_TEST_DATA_DIR;
  DIR *d = opendir(source.c_str());
  if (d == nullptr) {
    if (error) *error = "cannot read " + source;
    return false;
  }
  bool ok = true;
  while (dirent *e = readdir(d)) {
    const std::string name = e->d_name;
    if (is_scenario(name)) ok = copy(source + "/" + name, name) && ok;
  }
  closedir(d);
  for (const auto &alias : m_aliases)
    ok = copy(source + "/" + alias.second + kSuffix, alias.first + kSuffix) && ok;
  if (!ok) {
    if (error) *error = "cannot copy the status scenarios";
    return false;
  }
  m_agent.reset(new SnmpsimAgent(m_address, m_dir, kProbeScenario));
  return m_agent->start(error);
}
