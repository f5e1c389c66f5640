// net-snmp's snmpd started by a test: its own configuration file (USM users,
// communities, engine ID), its own persistent directory, in the foreground
// (-f -Lo -C -c FILE), on one address and port, optionally inside a network
// namespace; stopped by its PID.
#ifndef QMR_TESTS_SUPPORT_SNMPD_AGENT_H
#define QMR_TESTS_SUPPORT_SNMPD_AGENT_H

#include <sys/types.h>

#include <string>
#include <vector>

class SnmpdAgent {
 public:
  // `endpoint` is snmpd's agent address, e.g. "udp:127.77.40.1:16161" or
  // "udp:161,udp6:161" (all addresses, for a namespace).
  explicit SnmpdAgent(std::string endpoint);
  // Stops the agent and removes its directory.
  ~SnmpdAgent();
  SnmpdAgent(const SnmpdAgent &) = delete;
  SnmpdAgent &operator=(const SnmpdAgent &) = delete;

  // A USM user: auth "MD5"/"SHA" or "" (noAuthNoPriv), priv "DES"/"AES" or
  // "" (no privacy); `level` is the rouser level "noauth", "auth" or "priv".
  void add_user(const std::string &name, const std::string &auth, const std::string &auth_pass,
                const std::string &priv, const std::string &priv_pass, const std::string &level);
  // Any other configuration line (engineID, override, sysobjectid...).
  void add_line(const std::string &line) { m_lines.push_back(line); }
  // Runs snmpd inside this network namespace (ip netns exec).
  void set_namespace(const std::string &name) { m_namespace = name; }

  // Starts snmpd and waits (bounded) until it answers a v2c GET of
  // sysObjectID.0 sent to `probe_peer` (net-snmp peer text, e.g.
  // "127.77.40.1:16161"); an empty probe peer skips the wait.
  bool start(const std::string &probe_peer, std::string *error = nullptr, int wait_ms = 15000);
  void stop();
  pid_t pid() const { return m_pid; }

  // The community the start-up probe uses (read-only, any source).
  static const char *probe_community() { return "qmr-probe"; }
  // True when snmpd and the net-snmp tools are installed.
  static bool available();

 private:
  std::string m_endpoint;
  std::string m_namespace;
  std::string m_dir;
  std::vector<std::string> m_lines;
  pid_t m_pid = -1;
};

// Runs `argv` (bounded by `timeout_ms`, then killed), returning its exit code
// (-1 on failure to run or time-out) and its standard output in `output`.
int run_command(const std::vector<std::string> &argv, std::string *output, int timeout_ms = 20000);

#endif  // QMR_TESTS_SUPPORT_SNMPD_AGENT_H
