// Datagram sockets on loopback.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "net/datagram_socket.h"
#include "qmr.h"

namespace {

struct SocketDeleter {
  void operator()(DataGramSocket *s) const { s->release(); }
};
struct AddressDeleter {
  void operator()(ITqcNetworkAddress *a) const { a->release(); }
};
using Socket = std::unique_ptr<DataGramSocket, SocketDeleter>;
using Address = std::unique_ptr<ITqcNetworkAddress, AddressDeleter>;

Socket open_socket(EProtocol protocol, uint16_t port = 0) {
  DataGramSocket *made = nullptr;
  EXPECT_EQ(create_datagram_socket(protocol, port, &made), QMR_OK);
  return Socket(made);
}

// The descriptor of this process bound to `port` in `family`, found from
// the outside (the socket object does not hand it out); -1 when none.
int descriptor_bound_to(int family, uint16_t port) {
  for (int fd = 0; fd < 4096; ++fd) {
    sockaddr_storage a{};
    socklen_t length = sizeof a;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length) != 0 || a.ss_family != family) continue;
    uint16_t bound = ntohs(reinterpret_cast<sockaddr_in *>(&a)->sin_port);
    if (bound == port) return fd;
  }
  return -1;
}

int broadcast_option(int fd) {
  int value = -1;
  socklen_t length = sizeof value;
  getsockopt(fd, SOL_SOCKET, SO_BROADCAST, &value, &length);
  return value;
}

void exchange(EProtocol protocol, const char *loopback) {
  Socket receiver = open_socket(protocol);
  Socket sender = open_socket(protocol);
  ASSERT_TRUE(receiver && sender);
  uint16_t port = receiver->get_local_address()->get_port();
  EXPECT_NE(port, 0);  // the system's choice replaced 0
  EXPECT_EQ(receiver->get_local_address()->get_protocol(), protocol);
  Address target(tqc_create_network_address(loopback, port));
  ASSERT_TRUE(target);
  const char payload[] = "\x30\x03\x02\x01\x00";
  ASSERT_EQ(sender->send(payload, sizeof payload - 1, target.get()), QMR_OK);
  char in[64] = {};
  int32_t got = -1;
  ITqcNetworkAddress *from = nullptr;
  ASSERT_EQ(receiver->receive(in, sizeof in, 2000, &got, &from), QMR_OK);
  Address source(from);
  EXPECT_EQ(got, 5);
  EXPECT_EQ(std::memcmp(in, payload, 5), 0);
  EXPECT_STREQ(source->get_address(), loopback);
  EXPECT_EQ(source->get_port(), sender->get_local_address()->get_port());
  EXPECT_EQ(source->get_protocol(), protocol);
}

TEST(DataGramSocket, IPv4SendAndReceive) { exchange(ITqcNetworkAddress::IPv4, "127.0.0.1"); }

TEST(DataGramSocket, IPv6SendAndReceive) { exchange(ITqcNetworkAddress::IPv6, "::1"); }

TEST(DataGramSocket, ZeroLengthDatagramIsReceived) {
  Socket receiver = open_socket(ITqcNetworkAddress::IPv4);
  Socket sender = open_socket(ITqcNetworkAddress::IPv4);
  Address target(tqc_create_network_address("127.0.0.1", receiver->get_local_address()->get_port()));
  char empty = 0;
  ASSERT_EQ(sender->send(&empty, 0, target.get()), QMR_OK);
  char in[8];
  int32_t got = -1;
  ITqcNetworkAddress *from = nullptr;
  ASSERT_EQ(receiver->receive(in, sizeof in, 2000, &got, &from), QMR_OK);
  Address source(from);
  EXPECT_EQ(got, 0);
  EXPECT_STREQ(source->get_address(), "127.0.0.1");
}

TEST(DataGramSocket, TimeOuts) {
  Socket s = open_socket(ITqcNetworkAddress::IPv4);
  char in[8];
  int32_t got = 0;
  ITqcNetworkAddress *from = reinterpret_cast<ITqcNetworkAddress *>(&got);  // must be cleared
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(s->receive(in, sizeof in, 0, &got, &from), QMR_E_TIMEOUT);
  EXPECT_EQ(from, nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(s->receive(in, sizeof in, 1500, &got, &from), QMR_E_TIMEOUT);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1500));
  EXPECT_LT(waited, std::chrono::milliseconds(3000));
  EXPECT_EQ(s->receive(in, sizeof in, -2, &got, &from), QMR_E_INVALID_ARG);
}

TEST(DataGramSocket, ArgumentChecks) {
  Socket s = open_socket(ITqcNetworkAddress::IPv4);
  Address target(tqc_create_network_address("127.0.0.1", 9));
  char in[8];
  int32_t got = 0;
  ITqcNetworkAddress *from = nullptr;
  EXPECT_EQ(s->send(nullptr, 1, target.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->send(in, 1, nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive(nullptr, 8, 0, &got, &from), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive(in, 8, 0, nullptr, &from), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive(in, 8, 0, &got, nullptr), QMR_E_INVALID_ARG);
  // An IPv6 destination cannot be written as an IPv4 socket address.
  Address v6(tqc_create_network_address("::1", 9));
  EXPECT_EQ(s->send(in, 1, v6.get()), QMR_E_INVALID_ARG);
  DataGramSocket *made = nullptr;
  EXPECT_EQ(create_datagram_socket(ITqcNetworkAddress::None, &made), QMR_E_INVALID_ARG);
  EXPECT_EQ(create_datagram_socket(static_cast<EProtocol>(3), &made), QMR_E_INVALID_ARG);
  EXPECT_EQ(create_datagram_socket(ITqcNetworkAddress::IPv4, nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(made, nullptr);
}

TEST(DataGramSocket, FixedPortAndBindConflict) {
  Socket first = open_socket(ITqcNetworkAddress::IPv4);
  uint16_t port = first->get_local_address()->get_port();
  DataGramSocket *second = nullptr;
  EXPECT_EQ(create_datagram_socket(ITqcNetworkAddress::IPv4, port, &second), QMR_E_BIND);
  EXPECT_EQ(second, nullptr);
  first.reset();
  Socket again = open_socket(ITqcNetworkAddress::IPv4, port);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->get_local_address()->get_port(), port);
  EXPECT_STREQ(again->get_local_address()->get_address(), "0.0.0.0");
}

TEST(DataGramSocket, BroadcastFlagOnlyForIPv4) {
  Socket v4 = open_socket(ITqcNetworkAddress::IPv4);
  int fd4 = descriptor_bound_to(AF_INET, v4->get_local_address()->get_port());
  ASSERT_GE(fd4, 0);
  EXPECT_EQ(broadcast_option(fd4), 0);
  ASSERT_EQ(v4->set_broadcast(true), QMR_OK);
  EXPECT_EQ(broadcast_option(fd4), 1);
  ASSERT_EQ(v4->set_broadcast(false), QMR_OK);
  EXPECT_EQ(broadcast_option(fd4), 0);

  Socket v6 = open_socket(ITqcNetworkAddress::IPv6);
  int fd6 = descriptor_bound_to(AF_INET6, v6->get_local_address()->get_port());
  ASSERT_GE(fd6, 0);
  EXPECT_EQ(v6->set_broadcast(true), QMR_OK);
  EXPECT_EQ(broadcast_option(fd6), 0);
}

TEST(DataGramSocket, ReleaseClosesTheDescriptor) {
  Socket s = open_socket(ITqcNetworkAddress::IPv4);
  uint16_t port = s->get_local_address()->get_port();
  ASSERT_GE(descriptor_bound_to(AF_INET, port), 0);
  s.reset();
  EXPECT_EQ(descriptor_bound_to(AF_INET, port), -1);
}

TEST(DataGramSocket, IpxFailsCleanly) {
  DataGramSocket *made = nullptr;
  EXPECT_EQ(create_datagram_socket(ITqcNetworkAddress::IPX, 36879, &made), QMR_E_SOCKET);
  EXPECT_EQ(made, nullptr);
}

TEST(DataGramSocket, MulticastJoinArguments) {
  Socket v6 = open_socket(ITqcNetworkAddress::IPv6);
  EXPECT_EQ(v6->join_multicast_group("ff02::"), QMR_E_INVALID_ARG);
  EXPECT_EQ(v6->join_multicast_group(nullptr), QMR_E_INVALID_ARG);
  Socket v4 = open_socket(ITqcNetworkAddress::IPv4);
  EXPECT_EQ(v4->join_multicast_group("not-an-address"), QMR_E_FAILED);
  // Joins themselves are tried in a namespace of their own (multicast_test).
}

}  // namespace
