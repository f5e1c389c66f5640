// What discovery tests add to a namespace lab (support/netns_lab.h): agents
// posing as printer models in the printer namespaces, code of this process
// run inside any lab namespace (scripted peers), and a fleet of extra
// addresses on one printer. Agents are stopped by PID before the lab goes.
#ifndef QMR_TESTS_SUPPORT_DISCOVERY_LAB_H
#define QMR_TESTS_SUPPORT_DISCOVERY_LAB_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/netns_lab.h"
#include "support/snmpd_agent.h"

class DiscoveryLab {
 public:
  explicit DiscoveryLab(int printers) : m_lab(printers) {}
  ~DiscoveryLab();
  DiscoveryLab(const DiscoveryLab &) = delete;
  DiscoveryLab &operator=(const DiscoveryLab &) = delete;

  static bool can_run() { return NetnsLab::can_run() && SnmpdAgent::available(); }

  bool create(std::string *error) { return m_lab.create(error); }
  const NetnsLab &net() const { return m_lab; }
  const std::string &client() const { return m_lab.client(); }
  const std::string &printer(int i) const { return m_lab.printer(i); }

  // Runs `fn` on a thread of this process inside namespace `ns`; sockets it
  // opens (and threads it starts) belong there. False when it cannot enter.
  static bool in_namespace(const std::string &ns, const std::function<void()> &fn) {
    return NetnsLab::run_in_namespace(ns, fn);
  }

  // net-snmp's agent in printer i posing as `sys_object_id`, community
  // "public", on 0.0.0.0:161 and [::]:161; waits (bounded) until it answers.
  // `configure` may add to its configuration (users, say) before it starts.
  bool start_snmpd(int i, const std::string &sys_object_id, std::string *error,
                   const std::function<void(SnmpdAgent *)> &configure = nullptr);

  // `count` further IPv4 addresses on printer i (extra_ipv4(0) ...), from a
  // subnet of their own.
  bool add_printer_addresses(int i, int count, std::string *error);
  static std::string extra_ipv4(int n);

 private:
  NetnsLab m_lab;
  std::vector<std::unique_ptr<SnmpdAgent>> m_agents;
};

// Skips the current test unless a lab with agents can be made here.
#define QMR_REQUIRE_LAB()                                                                   \
  do {                                                                                      \
    if (!DiscoveryLab::can_run()) GTEST_SKIP() << "needs root, network namespaces and snmpd"; \
  } while (0)

#endif  // QMR_TESTS_SUPPORT_DISCOVERY_LAB_H
