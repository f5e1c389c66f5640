// An snmpsimd agent started by a test: it serves the .snmprec files of one data
// directory on one loopback address, port 161 (the community names the file).
// It needs root (port 161) and drops to nobody/nogroup after binding.
#ifndef QMR_TESTS_SUPPORT_SNMPSIM_AGENT_H
#define QMR_TESTS_SUPPORT_SNMPSIM_AGENT_H

#include <sys/types.h>

#include <string>
#include <vector>

class SnmpsimAgent {
 public:
  // `address` is an IPv4 loopback text such as "127.77.1.1" or "::1";
  // `probe_community` names a data file of `data_dir` that holds
  // 1.3.6.1.2.1.1.2.0; empty means the first .snmprec file found there.
  SnmpsimAgent(std::string address, std::string data_dir, std::string probe_community = "");
  // Stops the agent by its PID and removes its private cache directory.
  ~SnmpsimAgent();
  SnmpsimAgent(const SnmpsimAgent &) = delete;
  SnmpsimAgent &operator=(const SnmpsimAgent &) = delete;

  // Starts the agent and waits (bounded) until it answers a GET. On failure
  // the agent is stopped and `error` (if given) says why.
  bool start(std::string *error = nullptr, int wait_ms = 15000);
  void stop();

  bool running() const { return m_pid > 0; }
  pid_t pid() const { return m_pid; }
  const std::string &address() const { return m_address; }
  // Extra snmpsimd arguments, added before start().
  void add_argument(const std::string &arg) { m_extra.push_back(arg); }

  // True when the process may bind port 161 and start snmpsimd.
  static bool can_run();

 private:
  bool answers(const std::string &community, int timeout_ms) const;

  std::string m_address;
  std::string m_data_dir;
  std::string m_probe_community;
  std::string m_cache_dir;
  std::vector<std::string> m_extra;
  pid_t m_pid = -1;
};

// For an agent shared by a test suite: starts `agent` (anything with
// start(std::string *)) and answers it, or deletes it and answers null,
// with the reason in `error`.
template <class Agent>
Agent *tqs_started_or_null(Agent *agent, std::string *error) {
  if (agent->start(error)) return agent;
  delete agent;
  return nullptr;
}

// Skips the current test unless snmpsimd can be started here.
#define QMR_REQUIRE_SNMPSIM()                                                   \
  do {                                                                          \
    if (!SnmpsimAgent::can_run()) GTEST_SKIP() << "needs root and snmpsimd";    \
  } while (0)

#endif  // QMR_TESTS_SUPPORT_SNMPSIM_AGENT_H
