#include "support/discovery_lab.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// Every lab namespace starts with this, then the creating process's PID, so
// that a later run can tell leftovers of a crashed run from a live lab.
constexpr char kPrefix[] = "qmrd";
constexpr int kIpTimeoutMs = 10000;
constexpr int kAgentWaitMs = 30000;

std::atomic<int> g_lab_counter{0};

std::vector<char *> c_args(std::vector<std::string> &argv) {
  std::vector<char *> out;
  for (auto &a : argv) out.push_back(&a[0]);
  out.push_back(nullptr);
  return out;
}

// Waits for `pid` up to `timeout_ms`; kills its group when it overruns.
// The exit status, or -1 when it had to be killed.
int wait_bounded(pid_t pid, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (true) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Runs argv (no namespace switch) with output into `log`; exit status or -1.
pid_t start_process(std::vector<std::string> argv, const std::string &log) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  int fd = open(log.empty() ? "/dev/null" : log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    dup2(fd, 1);
    dup2(fd, 2);
    close(fd);
  }
  int null_in = open("/dev/null", O_RDONLY);
  if (null_in >= 0) dup2(null_in, 0);
  auto args = c_args(argv);
  execvp(args[0], args.data());
  _exit(127);
}

int run_process(const std::vector<std::string> &argv, int timeout_ms, const std::string &log) {
  pid_t pid = start_process(argv, log);
  if (pid < 0) return -1;
  return wait_bounded(pid, timeout_ms);
}

std::string read_file(const std::string &path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string join(const std::vector<std::string> &argv) {
  std::string out;
  for (const auto &a : argv) out += (out.empty() ? "" : " ") + a;
  return out;
}

// Processes still inside namespace `ns` (ours: only a lab puts any there).
void kill_namespace_processes(const std::string &ns) {
  char tmpl[] = "/tmp/qmrd-pids-XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd < 0) return;
  close(fd);
  run_process({"ip", "netns", "pids", ns}, kIpTimeoutMs, tmpl);
  std::istringstream in(read_file(tmpl));
  unlink(tmpl);
  for (long pid; in >> pid;)
    if (pid > 1) kill(static_cast<pid_t>(pid), SIGKILL);
}

// Removes namespaces of labs whose process is gone (a run that crashed).
void remove_leftovers() {
  char tmpl[] = "/tmp/qmrd-list-XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd < 0) return;
  close(fd);
  run_process({"ip", "netns", "list"}, kIpTimeoutMs, tmpl);
  std::istringstream in(read_file(tmpl));
  unlink(tmpl);
  for (std::string line; std::getline(in, line);) {
    const std::string name = line.substr(0, line.find(' '));
    if (name.compare(0, sizeof kPrefix - 1, kPrefix) != 0) continue;
    const long owner = std::strtol(name.c_str() + sizeof kPrefix - 1, nullptr, 10);
    if (owner <= 0 || (kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH)) continue;
    kill_namespace_processes(name);
    run_process({"ip", "netns", "del", name}, kIpTimeoutMs, "");
  }
}

}  // namespace

DiscoveryLab::DiscoveryLab() {
  m_prefix = std::string(kPrefix) + std::to_string(getpid()) + "x" + std::to_string(g_lab_counter++);
  m_switch = m_prefix + "s";
  m_client = m_prefix + "c";
}

DiscoveryLab::~DiscoveryLab() { teardown(); }

bool DiscoveryLab::can_run() {
  return geteuid() == 0 && access("/usr/sbin/ip", X_OK) == 0 && access("/proc/self/ns/net", R_OK) == 0;
}

std::string DiscoveryLab::printer(int i) const { return m_prefix + "p" + std::to_string(i); }
std::string DiscoveryLab::printer_ipv4(int i) { return "10.77.0." + std::to_string(10 + i); }
std::string DiscoveryLab::printer_ipv6(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "fd77::%x", 10 + i);
  return text;
}
std::string DiscoveryLab::extra_ipv4(int n) {
  return "10.77." + std::to_string(1 + n / 250) + "." + std::to_string(1 + n % 250);
}

bool DiscoveryLab::ip(const std::vector<std::string> &args, std::string *error) {
  std::vector<std::string> argv{"ip"};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string log = m_dir + "/ip.log";
  if (run_process(argv, kIpTimeoutMs, log) == 0) return true;
  if (error) *error = join(argv) + ": " + read_file(log);
  return false;
}

bool DiscoveryLab::run(const std::string &ns, const std::vector<std::string> &argv, int timeout_ms,
                       std::string *output) {
  std::vector<std::string> full{"ip", "netns", "exec", ns};
  full.insert(full.end(), argv.begin(), argv.end());
  const std::string log = m_dir + "/run-" + std::to_string(g_lab_counter++) + ".log";
  const int status = run_process(full, timeout_ms, log);
  if (output) *output = read_file(log);
  unlink(log.c_str());
  return status == 0;
}

pid_t DiscoveryLab::spawn(const std::string &ns, const std::vector<std::string> &argv, const std::string &log_file) {
  std::vector<std::string> full{"ip", "netns", "exec", ns};
  full.insert(full.end(), argv.begin(), argv.end());
  pid_t pid = start_process(full, log_file);
  if (pid > 0) m_pids.push_back(pid);
  return pid;
}

void DiscoveryLab::stop(pid_t pid) {
  if (pid <= 0) return;
  kill(-pid, SIGTERM);
  if (wait_bounded(pid, 3000) < 0) kill(-pid, SIGKILL);
  for (auto it = m_pids.begin(); it != m_pids.end(); ++it) {
    if (*it == pid) {
      m_pids.erase(it);
      break;
    }
  }
}

bool DiscoveryLab::in_namespace(const std::string &ns, const std::function<void()> &fn) {
  bool entered = false;
  std::thread worker([&] {
    const std::string path = "/var/run/netns/" + ns;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    entered = setns(fd, CLONE_NEWNET) == 0;
    close(fd);
    if (entered) fn();
  });
  worker.join();
  return entered;
}

bool DiscoveryLab::create(std::string *error) {
  remove_leftovers();
  char tmpl[] = "/tmp/qmrd-lab-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) {
    if (error) *error = "mkdtemp failed";
    return false;
  }
  m_dir = tmpl;
  if (!ip({"netns", "add", m_switch}, error)) return false;
  m_namespaces.push_back(m_switch);
  if (!ip({"-n", m_switch, "link", "add", "br0", "type", "bridge"}, error) ||
      !ip({"-n", m_switch, "link", "set", "br0", "up"}, error))
    return false;
  // The limited broadcast needs a route; the client's default one leads
  // into the lab.
  return join_switch(m_client, "c0", {client_ipv4() + "/16", client_ipv6() + "/64"}, error) &&
         ip({"-n", m_client, "route", "add", "default", "dev", "eth0"}, error);
}

bool DiscoveryLab::join_switch(const std::string &ns, const std::string &port,
                               const std::vector<std::string> &addresses, std::string *error) {
  if (!ip({"netns", "add", ns}, error)) return false;
  m_namespaces.push_back(ns);
  // No duplicate address detection: addresses are usable at once.
  if (!run(ns, {"sysctl", "-qw", "net.ipv6.conf.all.accept_dad=0", "net.ipv6.conf.default.accept_dad=0"},
           kIpTimeoutMs)) {
    if (error) *error = "sysctl in " + ns + " failed";
    return false;
  }
  if (!ip({"link", "add", "eth0", "netns", ns, "type", "veth", "peer", "name", port, "netns", m_switch}, error))
    return false;
  for (const auto &address : addresses) {
    std::vector<std::string> args{"-n", ns, "addr", "add", address, "dev", "eth0"};
    if (address.find(':') != std::string::npos) args.push_back("nodad");
    if (!ip(args, error)) return false;
  }
  return ip({"-n", ns, "link", "set", "lo", "up"}, error) && ip({"-n", ns, "link", "set", "eth0", "up"}, error) &&
         ip({"-n", m_switch, "link", "set", port, "master", "br0"}, error) &&
         ip({"-n", m_switch, "link", "set", port, "up"}, error);
}

int DiscoveryLab::add_printer(std::string *error) {
  const int i = m_printers;
  if (!join_switch(printer(i), "p" + std::to_string(i), {printer_ipv4(i) + "/16", printer_ipv6(i) + "/64"}, error))
    return -1;
  return m_printers++;
}

bool DiscoveryLab::add_printer_addresses(int i, int count, std::string *error) {
  const std::string batch = m_dir + "/addresses-" + std::to_string(i);
  {
    std::ofstream out(batch);
    for (int n = 0; n < count; ++n) out << "address add " << extra_ipv4(n) << "/16 dev eth0\n";
  }
  std::vector<std::string> argv{"ip", "-n", printer(i), "-batch", batch};
  const std::string log = m_dir + "/batch.log";
  if (run_process(argv, 120000, log) == 0) return true;
  if (error) *error = join(argv) + ": " + read_file(log);
  return false;
}

bool DiscoveryLab::start_snmpd(int i, const std::string &sys_object_id, std::string *error) {
  const std::string base = m_dir + "/snmpd-" + std::to_string(i);
  mkdir(base.c_str(), 0700);
  const std::string conf = base + "/snmpd.conf";
  {
    std::ofstream out(conf);
    out << "agentaddress udp:0.0.0.0:161,udp6:[::]:161\n"
        << "rocommunity public default\n"
        << "rocommunity6 public default\n"
        << "sysobjectid " << sys_object_id << "\n";
  }
  pid_t pid = spawn(printer(i),
                    {"env", "SNMP_PERSISTENT_DIR=" + base, "snmpd", "-f", "-Lo", "-C", "-c", conf, "-M", "/dev/null"},
                    base + "/snmpd.log");
  if (pid <= 0) {
    if (error) *error = "cannot start snmpd";
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAgentWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (run(m_client, {"snmpget", "-v1", "-c", "public", "-t", "0.5", "-r", "0", "-On", printer_ipv4(i),
                       "1.3.6.1.2.1.1.2.0"},
            5000))
      return true;
    if (waitpid(pid, nullptr, WNOHANG) == pid) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (error) *error = "snmpd in " + printer(i) + " does not answer: " + read_file(base + "/snmpd.log");
  return false;
}

void DiscoveryLab::teardown() {
  while (!m_pids.empty()) stop(m_pids.back());
  for (auto it = m_namespaces.rbegin(); it != m_namespaces.rend(); ++it) {
    kill_namespace_processes(*it);
    run_process({"ip", "netns", "del", *it}, kIpTimeoutMs, "");
  }
  m_namespaces.clear();
  if (!m_dir.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
    m_dir.clear();
  }
}
