#include "support/status_agent.h"

TestDataAgent::TestDataAgent(std::string address, std::string prefix, std::string probe,
                             std::vector<std::pair<std::string, std::string>> aliases)
    : m_address(std::move(address)), m_prefix(std::move(prefix)), m_probe(std::move(probe)),
      m_aliases(std::move(aliases)) {}

bool TestDataAgent::start(std::string *error) {
  if (!m_data.create(error) || !m_data.copy_test_data(m_prefix, error)) return false;
  for (const auto &alias : m_aliases) {
    if (!m_data.copy(AgentDataDir::test_data_file(alias.second), alias.first + ".snmprec", error)) return false;
  }
  m_agent.reset(new SnmpsimAgent(m_address, m_data.path(), m_probe));
  return m_agent->start(error);
}
