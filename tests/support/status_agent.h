// snmpsimd serving a group of tests/data files from a private copy (see
// agent_data.h), so that the files of other suites cannot disturb it and the
// agent can read them wherever the checkout lies.
#ifndef QMR_TESTS_SUPPORT_STATUS_AGENT_H
#define QMR_TESTS_SUPPORT_STATUS_AGENT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/agent_data.h"
#include "support/snmpsim_agent.h"

class TestDataAgent {
 public:
  // Serves every tests/data/<prefix>*.snmprec; `probe` names the one the
  // start-up check reads. `aliases`: {community, scenario} pairs, each
  // served by a copy of the scenario's file under the community's name.
  TestDataAgent(std::string address, std::string prefix, std::string probe,
                std::vector<std::pair<std::string, std::string>> aliases = {});
  TestDataAgent(const TestDataAgent &) = delete;
  TestDataAgent &operator=(const TestDataAgent &) = delete;

  bool start(std::string *error);
  const std::string &address() const { return m_address; }

 private:
  std::string m_address;
  std::string m_prefix;
  std::string m_probe;
  std::vector<std::pair<std::string, std::string>> m_aliases;
  // Declared before the agent, so that the agent stops before its files go.
  AgentDataDir m_data;
  std::unique_ptr<SnmpsimAgent> m_agent;
};

// The status-*.snmprec scenarios, e.g. StatusAgent(address, {{"private",
// "status-cancel"}}) for writes with the default write community.
class StatusAgent : public TestDataAgent {
 public:
  explicit StatusAgent(std::string address, std::vector<std::pair<std::string, std::string>> aliases = {})
      : TestDataAgent(std::move(address), "status-", "status-system", std::move(aliases)) {}
};

#endif  // QMR_TESTS_SUPPORT_STATUS_AGENT_H
