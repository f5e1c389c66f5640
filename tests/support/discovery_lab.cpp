#include "support/discovery_lab.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

constexpr int kBatchTimeoutMs = 120000;

}  // namespace

DiscoveryLab::~DiscoveryLab() {
  // Agents first: their namespaces go with the lab.
  m_agents.clear();
  m_lab.destroy();
}

bool DiscoveryLab::start_snmpd(int i, const std::string &sys_object_id, std::string *error,
                               const std::function<void(SnmpdAgent *)> &configure) {
  auto agent = std::make_unique<SnmpdAgent>("udp:161,udp6:161");
  agent->set_namespace(m_lab.printer(i));
  agent->add_line("rocommunity public default");
  agent->add_line("rocommunity6 public default");
  agent->add_line("sysobjectid " + sys_object_id);
  if (configure) configure(agent.get());
  const bool started = agent->start(m_lab.printer_ipv4(i) + ":161", error);
  m_agents.push_back(std::move(agent));
  return started;
}

std::string DiscoveryLab::extra_ipv4(int n) {
  return "10.78." + std::to_string(n / 250) + "." + std::to_string(1 + n % 250);
}

bool DiscoveryLab::add_printer_addresses(int i, int count, std::string *error) {
  char tmpl[] = "/tmp/qmr-fleet-XXXXXX";
  const int fd = mkstemp(tmpl);
  if (fd < 0) {
    if (error != nullptr) *error = "mkstemp failed";
    return false;
  }
  close(fd);
  {
    std::ofstream batch(tmpl);
    for (int n = 0; n < count; ++n) batch << "address add " << extra_ipv4(n) << "/16 dev eth0\n";
  }
  std::string output;
  const bool ok = m_lab.run_in(m_lab.printer(i), {"/usr/sbin/ip", "-batch", tmpl}, &output, kBatchTimeoutMs) == 0;
  unlink(tmpl);
  if (!ok && error != nullptr) *error = "adding addresses failed: " + output;
  return ok;
}
