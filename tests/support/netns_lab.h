// A private network lab made of Linux network namespaces: one bridge, one
// client namespace and N printer namespaces, each joined to the bridge by a
// veth pair, with addresses 10.77.<subnet>.<host>/24 and fd77::<host>/64
// (client host 1, printer i host 2 + i). Names are unique per run; the
// destructor removes everything by name. Every `ip` command is time-bounded.
// Needs root; broadcast and multicast stay inside the lab.
#ifndef QMR_TESTS_SUPPORT_NETNS_LAB_H
#define QMR_TESTS_SUPPORT_NETNS_LAB_H

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class NetnsLab {
 public:
  explicit NetnsLab(int printers, int subnet = 0);
  ~NetnsLab();
  NetnsLab(const NetnsLab &) = delete;
  NetnsLab &operator=(const NetnsLab &) = delete;

  // Builds the lab; on failure tears down what was made and says why.
  bool create(std::string *error = nullptr);
  void destroy();

  const std::string &client() const { return m_client; }
  const std::string &printer(int i) const { return m_printers.at(static_cast<size_t>(i)); }
  int printers() const { return static_cast<int>(m_printers.size()); }
  std::string client_ipv4() const { return ipv4(1); }
  std::string printer_ipv4(int i) const { return ipv4(2 + i); }
  std::string client_ipv6() const { return ipv6(1); }
  std::string printer_ipv6(int i) const { return ipv6(2 + i); }

  // Runs a command inside namespace `ns`, bounded; its exit code (-1 on
  // time-out) and standard output.
  int run_in(const std::string &ns, const std::vector<std::string> &argv, std::string *output = nullptr,
             int timeout_ms = 10000) const;
  // Starts a process inside `ns`; its PID (or -1). Stop it with stop().
  pid_t start_in(const std::string &ns, const std::vector<std::string> &argv) const;
  static void stop(pid_t pid);

  // Runs `fn` on a thread of this process whose network namespace is the
  // client's: sockets it creates live in the lab. False when setns failed.
  bool run_in_client(const std::function<void()> &fn) const { return run_in_namespace(m_client, fn); }
  // The same for any namespace (a printer's, say).
  static bool run_in_namespace(const std::string &ns, const std::function<void()> &fn);

  // True when labs can be made here (root and the ip tool).
  static bool can_run();

 private:
  std::string ipv4(int host) const;
  std::string ipv6(int host) const;
  bool ip(const std::vector<std::string> &args, std::string *error) const;
  bool add_member(const std::string &ns, const std::string &veth, int host, std::string *error);

  int m_subnet;
  std::string m_tag;
  std::string m_bridge;
  std::string m_client;
  std::vector<std::string> m_printers;
  std::vector<std::string> m_namespaces;  // made so far
  std::vector<std::string> m_links;       // host-side links made so far
  bool m_bridge_made = false;
};

#define QMR_REQUIRE_NETNS_LAB()                                                   \
  do {                                                                            \
    if (!NetnsLab::can_run()) GTEST_SKIP() << "needs root for network namespaces"; \
  } while (0)

#endif  // QMR_TESTS_SUPPORT_NETNS_LAB_H
