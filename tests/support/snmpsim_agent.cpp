#include "support/snmpsim_agent.h"

#include "support/udp_peer.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int kSnmpPort = 161;
constexpr int kProbeIntervalMs = 200;
constexpr int kStopWaitMs = 5000;

// A version-1 GetRequest for sysObjectID.0 (1.3.6.1.2.1.1.2.0), request id 1.
std::vector<uint8_t> probe_request(const std::string &community) {
  std::vector<uint8_t> pdu = {0xA0, 0x00, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00,
                              0x30, 0x0E, 0x30, 0x0C, 0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01,
                              0x01, 0x02, 0x00, 0x05, 0x00};
  pdu[1] = static_cast<uint8_t>(pdu.size() - 2);
  std::vector<uint8_t> body = {0x02, 0x01, 0x00, 0x04, static_cast<uint8_t>(community.size())};
  body.insert(body.end(), community.begin(), community.end());
  body.insert(body.end(), pdu.begin(), pdu.end());
  std::vector<uint8_t> msg = {0x30, static_cast<uint8_t>(body.size())};
  msg.insert(msg.end(), body.begin(), body.end());
  return msg;
}

std::string first_community(const std::string &dir) {
  std::string best;
  DIR *d = opendir(dir.c_str());
  if (d == nullptr) return best;
  const std::string suffix = ".snmprec";
  while (dirent *e = readdir(d)) {
    std::string name = e->d_name;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      std::string community = name.substr(0, name.size() - suffix.size());
      if (best.empty() || community < best) best = community;
    }
  }
  closedir(d);
  return best;
}

bool is_snmpsimd_installed() {
  return access("/usr/bin/snmpsimd", X_OK) == 0;
}

}  // namespace

SnmpsimAgent::SnmpsimAgent(std::string address, std::string data_dir, std::string probe_community)
    : m_address(std::move(address)), m_data_dir(std::move(data_dir)), m_probe_community(std::move(probe_community)) {}

SnmpsimAgent::~SnmpsimAgent() { stop(); }

bool SnmpsimAgent::can_run() { return geteuid() == 0 && is_snmpsimd_installed(); }

bool SnmpsimAgent::start(std::string *error, int wait_ms) {
  auto fail = [&](const std::string &why) {
    if (error != nullptr) *error = why;
    stop();
    return false;
  };
  if (running()) return true;
  if (m_probe_community.empty()) m_probe_community = first_community(m_data_dir);
  if (m_probe_community.empty()) return fail("no .snmprec file in " + m_data_dir);

  // A private index cache: agents of parallel tests must not share one, and
  // the agent writes it after dropping to nobody.
  char tmpl[] = "/tmp/qmr-snmpsim-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return fail("mkdtemp failed");
  m_cache_dir = tmpl;
  const passwd *nobody = getpwnam("nobody");
  if (nobody == nullptr || chown(m_cache_dir.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
    return fail("cannot hand the cache directory to nobody");

  const bool v6 = m_address.find(':') != std::string::npos;
  std::vector<std::string> args = {
      "/usr/bin/snmpsimd",
      "--data-dir=" + m_data_dir,
      "--cache-dir=" + m_cache_dir,
      (v6 ? "--agent-udpv6-endpoint=[" + m_address + "]:" : "--agent-udpv4-endpoint=" + m_address + ":") +
          std::to_string(kSnmpPort),
      "--process-user=nobody",
      "--process-group=nogroup",
      "--logging-method=file:" + m_cache_dir + "/agent.log",
  };
  args.insert(args.end(), m_extra.begin(), m_extra.end());
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) return fail("fork failed");
  if (pid == 0) {
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, STDIN_FILENO);
      dup2(devnull, STDOUT_FILENO);
      dup2(devnull, STDERR_FILENO);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  m_pid = pid;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      return fail("snmpsimd exited early (see " + m_cache_dir + "/agent.log)");
    }
    if (answers(m_probe_community, kProbeIntervalMs)) return true;
  }
  return fail("snmpsimd did not answer on " + m_address);
}

void SnmpsimAgent::stop() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    bool gone = false;
    for (int waited = 0; waited < kStopWaitMs; waited += 20) {
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        gone = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!gone) {
      kill(m_pid, SIGKILL);
      int status = 0;
      waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
  }
  if (!m_cache_dir.empty()) {
    // Only files the agent made live here: its index files and its log.
    if (DIR *d = opendir(m_cache_dir.c_str())) {
      while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") unlink((m_cache_dir + "/" + name).c_str());
      }
      closedir(d);
    }
    rmdir(m_cache_dir.c_str());
    m_cache_dir.clear();
  }
}

bool SnmpsimAgent::answers(const std::string &community, int timeout_ms) const {
  sockaddr_storage to{};
  socklen_t to_len = 0;
  if (!udp_socket_address(m_address, kSnmpPort, &to, &to_len)) return false;
  int fd = socket(to.ss_family, SOCK_DGRAM, 0);
  if (fd < 0) return false;
  const std::vector<uint8_t> msg = probe_request(community);
  bool ok = false;
  if (sendto(fd, msg.data(), msg.size(), 0, reinterpret_cast<sockaddr *>(&to), to_len) ==
      static_cast<ssize_t>(msg.size())) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) == 1) {
      uint8_t buf[2048];
      ok = recv(fd, buf, sizeof(buf), 0) > 0;
    }
  }
  // An answer that comes before the agent is up is refused (ICMP): pace the loop.
  if (!ok) std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms / 2));
  close(fd);
  return ok;
}
