#include "support/netns_lab.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/snmpd_agent.h"

namespace {

constexpr int kIpTimeoutMs = 10000;
constexpr int kStopWaitMs = 5000;
const char kIp[] = "/usr/sbin/ip";

// Short, per-run unique tag: interface names may have 15 characters.
std::string next_tag() {
  static std::atomic<int> counter{0};
  return std::to_string(getpid() % 100000) + static_cast<char>('a' + counter++ % 26);
}

}  // namespace

NetnsLab::NetnsLab(int printers, int subnet) : m_subnet(subnet), m_tag(next_tag()) {
  m_bridge = "qb" + m_tag;
  m_client = "qlab-" + m_tag + "-c";
  for (int i = 0; i < printers; ++i) m_printers.push_back("qlab-" + m_tag + "-p" + std::to_string(i));
}

NetnsLab::~NetnsLab() { destroy(); }

bool NetnsLab::can_run() { return geteuid() == 0 && access(kIp, X_OK) == 0; }

std::string NetnsLab::ipv4(int host) const {
  return "10.77." + std::to_string(m_subnet) + "." + std::to_string(host);
}

std::string NetnsLab::ipv6(int host) const { return "fd77::" + std::to_string(host); }

bool NetnsLab::ip(const std::vector<std::string> &args, std::string *error) const {
  std::vector<std::string> argv = {kIp};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string out;
  if (run_command(argv, &out, kIpTimeoutMs) == 0) return true;
  if (error != nullptr) {
    *error = "failed:";
    for (const std::string &a : argv) *error += " " + a;
  }
  return false;
}

bool NetnsLab::add_member(const std::string &ns, const std::string &veth, int host, std::string *error) {
  if (!ip({"netns", "add", ns}, error)) return false;
  m_namespaces.push_back(ns);
  const std::string inner = veth + "n";
  if (!ip({"link", "add", veth, "type", "veth", "peer", "name", inner, "netns", ns}, error)) return false;
  m_links.push_back(veth);
  return ip({"link", "set", veth, "master", m_bridge, "up"}, error) &&
         ip({"-n", ns, "link", "set", inner, "name", "eth0"}, error) &&
         ip({"-n", ns, "link", "set", "lo", "up"}, error) &&
         ip({"-n", ns, "addr", "add", ipv4(host) + "/24", "dev", "eth0"}, error) &&
         ip({"-n", ns, "addr", "add", ipv6(host) + "/64", "dev", "eth0", "nodad"}, error) &&
         ip({"-n", ns, "link", "set", "eth0", "up"}, error);
}

bool NetnsLab::create(std::string *error) {
  bool ok = ip({"link", "add", m_bridge, "type", "bridge"}, error);
  m_bridge_made = ok;
  ok = ok && ip({"link", "set", m_bridge, "up"}, error) && add_member(m_client, "qv" + m_tag + "c", 1, error) &&
       // The limited broadcast needs a route out of the client namespace.
       ip({"-n", m_client, "route", "add", "default", "dev", "eth0"}, error);
  for (int i = 0; ok && i < printers(); ++i)
    ok = add_member(m_printers[static_cast<size_t>(i)], "qv" + m_tag + "p" + std::to_string(i), 2 + i, error);
  if (!ok) destroy();
  return ok;
}

void NetnsLab::destroy() {
  for (const std::string &ns : m_namespaces) ip({"netns", "del", ns}, nullptr);
  m_namespaces.clear();
  // The host ends of the veth pairs go with their namespaces; these are leftovers.
  for (const std::string &link : m_links) {
    std::string out;
    run_command({kIp, "link", "del", link}, &out, kIpTimeoutMs);
  }
  m_links.clear();
  if (m_bridge_made) ip({"link", "del", m_bridge}, nullptr);
  m_bridge_made = false;
}

int NetnsLab::run_in(const std::string &ns, const std::vector<std::string> &argv, std::string *output,
                     int timeout_ms) const {
  std::vector<std::string> args = {kIp, "netns", "exec", ns};
  args.insert(args.end(), argv.begin(), argv.end());
  return run_command(args, output, timeout_ms);
}

pid_t NetnsLab::start_in(const std::string &ns, const std::vector<std::string> &argv) const {
  std::vector<std::string> args = {kIp, "netns", "exec", ns};
  args.insert(args.end(), argv.begin(), argv.end());
  std::vector<char *> raw;
  for (auto &a : args) raw.push_back(&a[0]);
  raw.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    execv(raw[0], raw.data());
    _exit(127);
  }
  return pid;
}

void NetnsLab::stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  for (int waited = 0; waited < kStopWaitMs; waited += 20) {
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

bool NetnsLab::run_in_namespace(const std::string &ns, const std::function<void()> &fn) {
  bool entered = false;
  std::thread worker([&] {
    const std::string path = "/var/run/netns/" + ns;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    // Only this thread changes namespace; sockets it opens belong to the lab.
    entered = setns(fd, CLONE_NEWNET) == 0;
    close(fd);
    if (entered) fn();
  });
  worker.join();
  return entered;
}
