// snmpsimd serving the status-*.snmprec scenarios of tests/data from a
// private copy, so that the files of other suites cannot disturb it.
#ifndef QMR_TESTS_SUPPORT_STATUS_AGENT_H
#define QMR_TESTS_SUPPORT_STATUS_AGENT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/snmpsim_agent.h"

class StatusAgent {
 public:
  // `aliases`: {community, scenario} pairs, each served by a copy of the
  // scenario's file under the community's name (e.g. {"private",
  // "status-cancel"} for writes with the default write community).
  explicit StatusAgent(std::string address,
                       std::vector<std::pair<std::string, std::string>> aliases = {});
  ~StatusAgent();
  StatusAgent(const StatusAgent &) = delete;
  StatusAgent &operator=(const StatusAgent &) = delete;

  bool start(std::string *error);
  const std::string &address() const { return m_address; }

 private:
  bool copy(const std::string &from, const std::string &to);

  std::string m_address;
  std::vector<std::pair<std::string, std::string>> m_aliases;
  std::string m_dir;
  std::vector<std::string> m_files;
  std::unique_ptr<SnmpsimAgent> m_agent;
};

#endif  // QMR_TESTS_SUPPORT_STATUS_AGENT_H
