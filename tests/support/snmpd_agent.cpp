#include "support/snmpd_agent.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

constexpr int kProbeTimeoutMs = 1500;
constexpr int kProbeIntervalMs = 200;
constexpr int kStopWaitMs = 5000;

int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Waits for `pid` up to `timeout_ms`; true when it was reaped.
bool reap(pid_t pid, int timeout_ms, int *status) {
  const int64_t deadline = now_ms() + timeout_ms;
  do {
    if (waitpid(pid, status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (now_ms() < deadline);
  return false;
}

void kill_and_reap(pid_t pid) {
  int status = 0;
  kill(pid, SIGTERM);
  if (!reap(pid, kStopWaitMs, &status)) {
    kill(pid, SIGKILL);
    reap(pid, kStopWaitMs, &status);
  }
}

}  // namespace

int run_command(const std::vector<std::string> &args, std::string *output, int timeout_ms) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return -1;
  std::vector<char *> argv;
  std::vector<std::string> copy = args;
  for (auto &a : copy) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    return -1;
  }
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(pipe_fds[1], STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    close(pipe_fds[0]);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  std::string text;
  const int64_t deadline = now_ms() + timeout_ms;
  bool timed_out = false;
  for (;;) {
    const int64_t left = deadline - now_ms();
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd pfd{pipe_fds[0], POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(pipe_fds[0], buffer, sizeof(buffer));
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(pipe_fds[0]);
  int status = 0;
  if (timed_out) {
    kill(pid, SIGKILL);
    reap(pid, kStopWaitMs, &status);
    return -1;
  }
  if (!reap(pid, timeout_ms, &status)) {
    kill_and_reap(pid);
    return -1;
  }
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

SnmpdAgent::SnmpdAgent(std::string endpoint) : m_endpoint(std::move(endpoint)) {}

SnmpdAgent::~SnmpdAgent() { stop(); }

bool SnmpdAgent::available() {
  return access("/usr/sbin/snmpd", X_OK) == 0 && access("/usr/bin/snmpget", X_OK) == 0;
}

void SnmpdAgent::add_user(const std::string &name, const std::string &auth, const std::string &auth_pass,
                          const std::string &priv, const std::string &priv_pass, const std::string &level) {
  std::string line = "createUser " + name;
  if (!auth.empty()) line += " " + auth + " " + auth_pass;
  if (!priv.empty()) line += " " + priv + " " + priv_pass;
  m_lines.push_back(line);
  m_lines.push_back("rouser " + name + " " + level);
}

bool SnmpdAgent::start(const std::string &probe_peer, std::string *error, int wait_ms) {
  auto fail = [&](const std::string &why) {
    if (error != nullptr) *error = why;
    stop();
    return false;
  };
  if (m_pid > 0) return true;
  char tmpl[] = "/tmp/qmr-snmpd-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return fail("mkdtemp failed");
  m_dir = tmpl;
  const std::string config = m_dir + "/agent.conf";
  // snmpd writes its persistent snmpd.conf here; kept apart from the configuration.
  const std::string persist = m_dir + "/persist";
  if (mkdir(persist.c_str(), 0700) != 0) return fail("mkdir failed");
  {
    std::ofstream out(config);
    out << "agentaddress " << m_endpoint << "\n";
    out << "rocommunity " << probe_community() << " default\n";
    for (const std::string &line : m_lines) out << line << "\n";
    if (!out) return fail("cannot write " + config);
  }
  std::vector<std::string> args;
  if (!m_namespace.empty()) args = {"/usr/sbin/ip", "netns", "exec", m_namespace};
  const std::vector<std::string> snmpd = {"/usr/sbin/snmpd", "-f", "-Lf", m_dir + "/snmpd.log", "-C", "-c", config,
                                          "-p", m_dir + "/snmpd.pid", "-M", m_dir, "-m", ""};
  args.insert(args.end(), snmpd.begin(), snmpd.end());
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return fail("fork failed");
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    // Its users and engine boots live in its own directory.
    setenv("SNMP_PERSISTENT_DIR", persist.c_str(), 1);
    setenv("SNMPCONFPATH", m_dir.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  m_pid = pid;
  if (probe_peer.empty()) return true;

  const int64_t deadline = now_ms() + wait_ms;
  while (now_ms() < deadline) {
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      return fail("snmpd exited early (see " + m_dir + "/snmpd.log)");
    }
    std::vector<std::string> probe;
    if (!m_namespace.empty()) probe = {"/usr/sbin/ip", "netns", "exec", m_namespace};
    const std::vector<std::string> get = {"snmpget", "-v2c", "-c", probe_community(), "-t", "0.5", "-r", "0",
                                          "-On", "-M", m_dir, "-m", "", probe_peer, ".1.3.6.1.2.1.1.2.0"};
    probe.insert(probe.end(), get.begin(), get.end());
    std::string out;
    if (run_command(probe, &out, kProbeTimeoutMs + 1000) == 0) {
      // The answer may come from another agent on the same address (a
      // leftover, or a parallel run) while ours failed to bind and exits.
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return fail("snmpd exited early, its address is taken (see " + m_dir + "/snmpd.log)");
      }
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kProbeIntervalMs));
  }
  return fail("snmpd did not answer on " + probe_peer);
}

void SnmpdAgent::stop() {
  if (m_pid > 0) {
    kill_and_reap(m_pid);
    m_pid = -1;
  }
  if (!m_dir.empty()) {
    std::string out;
    run_command({"rm", "-rf", m_dir}, &out, 10000);
    m_dir.clear();
  }
}
