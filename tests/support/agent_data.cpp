#include "support/agent_data.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr char kSuffix[] = ".snmprec";

}  // namespace

AgentDataDir::~AgentDataDir() {
  if (m_dir.empty()) return;
  std::error_code ec;
  fs::remove_all(m_dir, ec);
}

bool AgentDataDir::create(std::string *error) {
  char tmpl[] = "/tmp/qmr-agent-data-XXXXXX";
  if (mkdtemp(tmpl) == nullptr || chmod(tmpl, 0755) != 0) {
    if (error) *error = "cannot make an agent data directory";
    return false;
  }
  m_dir = tmpl;
  return true;
}

bool AgentDataDir::copy(const std::string &source, const std::string &name, std::string *error) {
  const fs::path target = fs::path(m_dir) / name;
  std::error_code ec;
  fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::permissions(target, fs::perms(0644), ec);
  if (ec) {
    if (error) *error = "copy " + source + ": " + ec.message();
    return false;
  }
  return true;
}

bool AgentDataDir::copy_test_data(const std::string &prefix, std::string *error) {
  const std::string suffix = kSuffix;
  std::error_code ec;
  for (const fs::directory_entry &e : fs::directory_iterator(QMR_TEST_DATA_DIR, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        !copy(e.path().string(), name, error)) {
      return false;
    }
  }
  if (ec && error) *error = std::string("cannot read ") + QMR_TEST_DATA_DIR + ": " + ec.message();
  return !ec;
}

std::string AgentDataDir::test_data_file(const std::string &scenario) {
  return std::string(QMR_TEST_DATA_DIR) + "/" + scenario + kSuffix;
}
