// The transport's trace lines, captured through the "socket" logger.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_manager.h"
#include "log/log_test_support.h"
#include "net/datagram_socket.h"
#include "qmr.h"

namespace {

class SocketLog : public ::testing::Test {
 protected:
  void SetUp() override {
    manager = tqc_get_log_manager();
    ASSERT_NE(manager, nullptr);
    int32_t rc = 0;
    ITqcLogger *logger = manager->get_logger("socket", &rc);
    ASSERT_EQ(logger->add_appender(&memory), QMR_OK);
    logger->set_level_mask(kLogAll);
  }
  void TearDown() override {
    if (manager != nullptr) manager->reset();
  }
  bool logged(const std::string &text) { return memory.has(text); }
  CTqcLogManager *manager = nullptr;
  logtest::CMemoryAppender memory;
};

TEST_F(SocketLog, CreationSendReceiveAndFailures) {
  DataGramSocket *ipx = nullptr;
  EXPECT_EQ(create_datagram_socket(ITqcNetworkAddress::IPX, &ipx), QMR_E_SOCKET);
  EXPECT_TRUE(logged("fail socket(). WSAGetLastError()=")) << "IPX creation";

  DataGramSocket *s = nullptr;
  ASSERT_EQ(create_datagram_socket(ITqcNetworkAddress::IPv4, &s), QMR_OK);
  uint16_t port = s->get_local_address()->get_port();
  EXPECT_TRUE(logged("create socket. id:0x"));
  EXPECT_TRUE(logged("port:" + std::to_string(port) + "(0x"));
  ITqcNetworkAddress *self = tqc_create_network_address("127.0.0.1", port);
  ASSERT_EQ(s->send("x", 1, self), QMR_OK);
  EXPECT_TRUE(logged("[DataGramSocket::send] send packet. port:" + std::to_string(port)));
  EXPECT_TRUE(logged("-> 127.0.0.1:" + std::to_string(port)));
  char in[4];
  int32_t got = 0;
  ITqcNetworkAddress *from = nullptr;
  ASSERT_EQ(s->receive(in, sizeof in, 1000, &got, &from), QMR_OK);
  EXPECT_TRUE(logged("[DataGramSocket::receive] receive packet port:" + std::to_string(port)));
  from->release();
  EXPECT_EQ(s->receive(in, sizeof in, 0, &got, &from), QMR_E_TIMEOUT);
  EXPECT_TRUE(logged("select API timeout."));
  self->release();
  s->release();
}

// A socket made while Debug was off learns its port only when a Debug line
// or a caller needs it; the lines must still name the port really bound.
TEST_F(SocketLog, DebugTurnedOnLaterStillNamesTheBoundPort) {
  int32_t rc = 0;
  ITqcLogger *logger = manager->get_logger("socket", &rc);
  logger->set_level_mask(kLogError);
  DataGramSocket *s = nullptr;
  ASSERT_EQ(create_datagram_socket(ITqcNetworkAddress::IPv4, &s), QMR_OK);
  EXPECT_FALSE(logged("create socket. id:0x"));
  logger->set_level_mask(kLogAll);
  // The receiver's own port, learnt from a separate socket's view of it.
  DataGramSocket *peer = nullptr;
  ASSERT_EQ(create_datagram_socket(ITqcNetworkAddress::IPv4, &peer), QMR_OK);
  ITqcNetworkAddress *to_peer = tqc_create_network_address("127.0.0.1", peer->get_local_address()->get_port());
  ASSERT_EQ(s->send("x", 1, to_peer), QMR_OK);
  char in[4];
  int32_t got = 0;
  ITqcNetworkAddress *from = nullptr;
  ASSERT_EQ(peer->receive(in, sizeof in, 1000, &got, &from), QMR_OK);
  const uint16_t bound = from->get_port();
  EXPECT_NE(bound, 0);
  EXPECT_TRUE(logged("[DataGramSocket::send] send packet. port:" + std::to_string(bound) + "("));
  EXPECT_EQ(s->get_local_address()->get_port(), bound);
  from->release();
  to_peer->release();
  peer->release();
  s->release();
}

}  // namespace
