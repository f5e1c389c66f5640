// Multicast joins, tried only inside a network namespace that the test
// makes and removes (root only): groups joined there never reach the host.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/datagram_socket.h"
#include "qmr.h"

namespace {

int run(const std::string &command) { return std::system(("timeout 10 " + command + " >/dev/null 2>&1").c_str()); }

class MulticastLab : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "namespaces need root";
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 100000;
    name = "qmrnet" + std::to_string(getpid()) + "x" + std::to_string(stamp);
    const std::string in = "ip -n " + name + " ";
    const std::string sysctl = "ip netns exec " + name + " sysctl -qw ";
    bool ok = run("ip netns add " + name) == 0;
    made = ok;
    ok = ok && run(in + "link add v0 type veth peer name v1") == 0;
    ok = ok && run(sysctl + "net.ipv6.conf.all.accept_dad=0") == 0;
    ok = ok && run(sysctl + "net.ipv6.conf.default.accept_dad=0") == 0;
    ok = ok && run(sysctl + "net.ipv6.conf.v0.accept_dad=0") == 0;
    ok = ok && run(sysctl + "net.ipv6.conf.v1.disable_ipv6=1") == 0;
    ok = ok && run(in + "addr add 10.77.9.1/24 dev v0") == 0;
    ok = ok && run(in + "addr add fd77:9::1/64 dev v0 nodad") == 0;
    ok = ok && run(in + "link set lo up") == 0 && run(in + "link set v1 up") == 0 && run(in + "link set v0 up") == 0;
    ok = ok && run(in + "route add 224.0.0.0/4 dev v0") == 0;
    if (!ok) GTEST_SKIP() << "could not build namespace " << name;
  }

  void TearDown() override {
    if (made) run("ip netns del " + name);
  }

  // Runs `body` in a child that has entered the namespace; its exit code.
  int in_namespace(int (*body)()) {
    pid_t child = fork();
    if (child == 0) {
      alarm(20);  // a hung child must not hang the run
      int fd = open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0 || setns(fd, CLONE_NEWNET) != 0) _exit(90);
      _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
  }

  std::string name;
  bool made = false;
};

// Joins `group`, sends one datagram to it from the same socket and expects
// it back (multicast loop is on by default). Exit codes name the step.
int join_and_hear(EProtocol protocol, const char *group) {
  DataGramSocket *s = nullptr;
  if (create_datagram_socket(protocol, &s) != QMR_OK) return 1;
  int code = 0;
  ITqcNetworkAddress *target = tqc_create_network_address(group, s->get_local_address()->get_port());
  char in[16] = {};
  int32_t got = 0;
  ITqcNetworkAddress *from = nullptr;
  if (target == nullptr) {
    code = 2;
  } else if (s->join_multicast_group(group) != QMR_OK) {
    code = 3;
  } else if (s->send("join", 4, target) != QMR_OK) {
    code = 4;
  } else if (s->receive(in, sizeof in, 2000, &got, &from) != QMR_OK) {
    code = 5;
  } else if (got != 4 || std::memcmp(in, "join", 4) != 0) {
    code = 6;
  }
  if (from != nullptr) from->release();
  if (target != nullptr) target->release();
  s->release();
  return code;
}

TEST_F(MulticastLab, IPv4JoinReceivesGroupTraffic) {
  EXPECT_EQ(in_namespace([] { return join_and_hear(ITqcNetworkAddress::IPv4, "239.77.9.1"); }), 0);
}

TEST_F(MulticastLab, IPv6JoinReceivesGroupTraffic) {
  EXPECT_EQ(in_namespace([] { return join_and_hear(ITqcNetworkAddress::IPv6, "ff02::77:1"); }), 0);
}

TEST_F(MulticastLab, NonGroupAddressesAreRefusedBySetsockopt) {
  EXPECT_EQ(in_namespace([] {
              DataGramSocket *s = nullptr;
              if (create_datagram_socket(ITqcNetworkAddress::IPv4, &s) != QMR_OK) return 1;
              // Passes the text check, then the kernel refuses a non-group.
              int code = s->join_multicast_group("255.255.255.255") == QMR_E_FAILED ? 0 : 2;
              s->release();
              return code;
            }),
            0);
}

}  // namespace
