// A private network for discovery tests: a switch namespace holding a
// bridge, a client namespace and printer namespaces, each joined to the
// bridge by a veth pair. Broadcasts and multicasts sent from the client
// namespace reach only the printers of this lab. Everything the lab makes
// carries a name unique to the run and is removed by name (namespaces) and
// PID (processes) when the lab ends, on every path.
//
// Addressing: 10.77.0.0/16 and fd77::/64; the client is 10.77.0.1 and
// fd77::1, printer i is 10.77.0.(10 + i) and fd77::(10 + i) (hex digits).
#ifndef QMR_TESTS_SUPPORT_DISCOVERY_LAB_H
#define QMR_TESTS_SUPPORT_DISCOVERY_LAB_H

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class DiscoveryLab {
 public:
  DiscoveryLab();
  ~DiscoveryLab();
  DiscoveryLab(const DiscoveryLab &) = delete;
  DiscoveryLab &operator=(const DiscoveryLab &) = delete;

  // True when this process may make namespaces (root, `ip` present).
  static bool can_run();

  // Makes the switch and the client. False with a reason on failure (what
  // was made is removed again by the destructor).
  bool create(std::string *error);
  // Adds a printer namespace; its index (0, 1, ...) or -1.
  int add_printer(std::string *error);
  // Adds `count` further IPv4 addresses to printer i, from 10.77.1.0 up.
  bool add_printer_addresses(int i, int count, std::string *error);

  const std::string &client() const { return m_client; }
  std::string printer(int i) const;
  static std::string client_ipv4() { return "10.77.0.1"; }
  static std::string client_ipv6() { return "fd77::1"; }
  static std::string printer_ipv4(int i);
  static std::string printer_ipv6(int i);
  // The n-th extra address given by add_printer_addresses.
  static std::string extra_ipv4(int n);

  // Runs a command inside namespace `ns`, bounded in time; true on exit 0.
  bool run(const std::string &ns, const std::vector<std::string> &argv, int timeout_ms = 10000,
           std::string *output = nullptr);
  // Starts a long-running process in `ns`; it is stopped by PID when the
  // lab ends (or by stop()). -1 on failure.
  pid_t spawn(const std::string &ns, const std::vector<std::string> &argv, const std::string &log_file = "");
  void stop(pid_t pid);
  // Runs `fn` on a thread that has entered `ns`; false when it could not.
  bool in_namespace(const std::string &ns, const std::function<void()> &fn);

  // net-snmp's agent in printer i posing as `sys_object_id`, on 0.0.0.0:161
  // and [::]:161, community "public"; waits (bounded) until it answers.
  bool start_snmpd(int i, const std::string &sys_object_id, std::string *error);

  // A scratch directory of the lab, removed with it.
  const std::string &dir() const { return m_dir; }

 private:
  bool ip(const std::vector<std::string> &args, std::string *error);
  bool join_switch(const std::string &ns, const std::string &port, const std::vector<std::string> &addresses,
                   std::string *error);
  void teardown();

  std::string m_prefix;
  std::string m_switch;
  std::string m_client;
  std::string m_dir;
  std::vector<std::string> m_namespaces;
  std::vector<pid_t> m_pids;
  int m_printers = 0;
};

// Skips the current test unless a lab can be made here.
#define QMR_REQUIRE_LAB()                                                          \
  do {                                                                             \
    if (!DiscoveryLab::can_run()) GTEST_SKIP() << "needs root and network namespaces"; \
  } while (0)

#endif  // QMR_TESTS_SUPPORT_DISCOVERY_LAB_H
