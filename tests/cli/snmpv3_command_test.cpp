// qmr over SNMPv3 against net-snmp's snmpd posing as a Vellumcraft 7300P:
// the security options reach the agent, and wrong pass phrases are refused.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_runner.h"
#include "support/snmpsim_agent.h"

namespace {

namespace fs = std::filesystem;

constexpr char kAddress[] = "127.77.50.105";
constexpr char kUser[] = "qmruser";
constexpr char kAuthPass[] = "shapass-12345";
constexpr char kPrivPass[] = "aespass-12345";
constexpr char kSnmpd[] = "/usr/sbin/snmpd";
constexpr int kReadyTries = 40;

// snmpd in the foreground with only this configuration and its own state
// directory; stopped by its PID.
class Snmpd {
 public:
  ~Snmpd() {
    if (m_pid > 0) {
      kill(m_pid, SIGTERM);
      waitpid(m_pid, nullptr, 0);
    }
    std::error_code ec;
    if (!m_dir.empty()) fs::remove_all(m_dir, ec);
  }

  bool start() {
    char pattern[] = "/tmp/qmr-cli-snmpd-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    m_dir = pattern;
    const std::string conf = m_dir + "/snmpd.conf";
    std::ofstream(conf) << "agentaddress udp:" << kAddress << ":161\n"
                        << "sysobjectid 1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6\n"
                        << "createUser " << kUser << " SHA " << kAuthPass << " AES " << kPrivPass << "\n"
                        << "rouser " << kUser << " priv\n";
    m_pid = fork();
    if (m_pid == 0) {
      setenv("SNMP_PERSISTENT_DIR", m_dir.c_str(), 1);
      const std::string log = m_dir + "/snmpd.log";
      execl(kSnmpd, kSnmpd, "-f", "-C", "-c", conf.c_str(), "-Lf", log.c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
    if (m_pid < 0) return false;
    for (int i = 0; i < kReadyTries; ++i) {
      const RunResult r = run_program({"/usr/bin/snmpget", "-v3", "-u", kUser, "-l", "authPriv", "-a", "SHA", "-A",
                                       kAuthPass, "-x", "AES", "-X", kPrivPass, "-t", "1", "-r", "0", kAddress,
                                       "1.3.6.1.2.1.1.2.0"});
      if (r.status == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
  }

 private:
  std::string m_dir;
  pid_t m_pid = -1;
};

std::vector<std::string> v3_args(const std::string &command, const char *auth_pass) {
  return {command, kAddress, "--json", "--user", kUser, "--level", "priv", "--auth-proto", "sha", "--auth-pass",
          auth_pass, "--priv-proto", "aes", "--priv-pass", kPrivPass, "--timeout", "1000", "--retries", "0"};
}

// Names in `dir` that contain `part`.
std::set<std::string> entries_with(const fs::path &dir, const std::string &part) {
  std::set<std::string> names;
  for (const auto &entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.find(part) != std::string::npos) names.insert(name);
  }
  return names;
}

}  // namespace

TEST(QmrSnmpV3Test, CommandsRunOverSnmpV3AndWrongPassPhrasesAreRefused) {
  QMR_REQUIRE_SNMPSIM();
  if (access(kSnmpd, X_OK) != 0) GTEST_SKIP() << "needs snmpd";
  Snmpd agent;
  ASSERT_TRUE(agent.start()) << "snmpd did not answer";

  // The agent has no Printer MIB tables: both character sets stay 0 and
  // the job list is empty, but every exchange went through SNMPv3.
  RunResult run = run_qmr(v3_args("charset", kAuthPass));
  ASSERT_EQ(0, run.status) << run.err;
  FlatJson j = flatten_json(run.out);
  EXPECT_EQ("0", j.at("standard.value"));
  run = run_qmr(v3_args("jobs", kAuthPass));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("[0]", flatten_json(run.out).at("jobs"));

  // net-snmp's spelling of the same settings.
  run = run_qmr({"jobs", kAddress, "--json", "-v", "3", "-u", kUser, "-l", "authPriv", "-a", "SHA", "-A", kAuthPass,
                 "-x", "AES", "-X", kPrivPass, "-t", "1", "-r", "0"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("[0]", flatten_json(run.out).at("jobs"));

  // A community request is not answered by this agent at all.
  run = run_qmr({"charset", kAddress, "--timeout", "400", "--retries", "0"});
  EXPECT_EQ(1, run.status);

  // A wrong privacy protocol: the agent cannot decrypt and stays silent.
  run = run_qmr({"charset", kAddress, "-u", kUser, "-l", "authPriv", "-a", "SHA", "-A", kAuthPass, "-x", "DES",
                 "-X", kPrivPass, "-t", "0.5", "-r", "0"});
  EXPECT_EQ(1, run.status);

  run = run_qmr(v3_args("charset", "wrong-pass-phrase"));
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(run.err.find("error -214 (SNMPv3 security failure)") != std::string::npos) << run.err;
  EXPECT_EQ("-214", flatten_json(run.out).at("error.code"));
}

// A process that used SNMPv3 (or failed to) leaves no file behind: its
// temporary directory is as it was, and nothing of net-snmp's is in /tmp.
TEST(QmrSnmpV3Test, ProcessesLeaveNoFilesBehind) {
  QMR_REQUIRE_SNMPSIM();
  if (access(kSnmpd, X_OK) != 0) GTEST_SKIP() << "needs snmpd";
  Snmpd agent;
  ASSERT_TRUE(agent.start()) << "snmpd did not answer";
  char pattern[] = "/tmp/qmr-cli-tmpdir-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern));
  const fs::path tmpdir = pattern;
  const std::set<std::string> before = entries_with("/tmp", "snmp");

  const std::vector<std::string> env = {"/usr/bin/env", "TMPDIR=" + tmpdir.string(), QMR_TOOL_PATH};
  for (const char *pass : {kAuthPass, "wrong-pass-phrase"}) {
    std::vector<std::string> argv = env;
    const std::vector<std::string> args = v3_args("charset", pass);
    argv.insert(argv.end(), args.begin(), args.end());
    const RunResult run = run_program(argv);
    EXPECT_EQ(pass == kAuthPass ? 0 : 1, run.status) << run.err;
  }

  EXPECT_TRUE(fs::is_empty(tmpdir));
  const std::set<std::string> after = entries_with("/tmp", "snmp");
  std::vector<std::string> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  EXPECT_TRUE(added.empty()) << added.front();
  fs::remove_all(tmpdir);
}
