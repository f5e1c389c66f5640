// receive_from: an answer from the address asked comes without an address
// object; any other sender, or the same one spelt otherwise, is made as
// receive() makes it.
#include <gtest/gtest.h>

#include <cstring>

#include "net/datagram_socket.h"
#include "net/owned.h"
#include "qmr.h"

namespace {

using Socket = TqcOwned<DataGramSocket>;
using Address = TqcOwned<ITqcNetworkAddress>;

constexpr char kPayload[] = "\x30\x03\x02\x01\x07";
constexpr uint32_t kPayloadLength = sizeof kPayload - 1;
constexpr int32_t kWaitMs = 2000;

Socket open_ipv4() {
  DataGramSocket *made = nullptr;
  EXPECT_EQ(create_datagram_socket(ITqcNetworkAddress::IPv4, &made), QMR_OK);
  return Socket(made);
}

Address address(const char *text, EProtocol protocol, uint16_t port) {
  return Address(tqc_make_network_address(text, protocol, port));
}

struct Received {
  int32_t rc = QMR_E_FAILED;
  int32_t length = -1;
  Address source;
  bool from_expected = true;
};

// `asker` sends to `answerer`, which answers; `asker` then reads the answer
// expecting it from `expected`.
Received answer(DataGramSocket *asker, DataGramSocket *answerer, const ITqcNetworkAddress *expected) {
  Received r;
  Address to_answerer = address("127.0.0.1", ITqcNetworkAddress::IPv4, answerer->get_local_address()->get_port());
  EXPECT_EQ(asker->send(kPayload, kPayloadLength, to_answerer.get()), QMR_OK);
  char in[64] = {};
  int32_t got = 0;
  ITqcNetworkAddress *from = nullptr;
  EXPECT_EQ(answerer->receive(in, sizeof in, kWaitMs, &got, &from), QMR_OK);
  Address back(from);
  EXPECT_EQ(answerer->send(kPayload, kPayloadLength, back.get()), QMR_OK);
  ITqcNetworkAddress *source = nullptr;
  r.rc = asker->receive_from(in, sizeof in, kWaitMs, &r.length, expected, &source, &r.from_expected);
  r.source.reset(source);
  EXPECT_EQ(std::memcmp(in, kPayload, kPayloadLength), 0);
  return r;
}

TEST(ReceiveFrom, AnswerFromTheAddressAskedMakesNoAddress) {
  Socket asker = open_ipv4(), answerer = open_ipv4();
  ASSERT_TRUE(asker && answerer);
  Address expected = address("127.0.0.1", ITqcNetworkAddress::IPv4, answerer->get_local_address()->get_port());
  Received r = answer(asker.get(), answerer.get(), expected.get());
  EXPECT_EQ(r.rc, QMR_OK);
  EXPECT_EQ(r.length, static_cast<int32_t>(kPayloadLength));
  EXPECT_TRUE(r.from_expected);
  EXPECT_EQ(r.source, nullptr);
}

TEST(ReceiveFrom, OtherSendersAndSpellingsGetTheirAddress) {
  Socket asker = open_ipv4(), answerer = open_ipv4();
  ASSERT_TRUE(asker && answerer);
  const uint16_t port = answerer->get_local_address()->get_port();
  // Another port, another spelling of the same address (the target would
  // take the sender's own text), another protocol, and no expectation.
  const uint16_t other_port = static_cast<uint16_t>(port == 65535 ? 1 : port + 1);
  Address other_port_address = address("127.0.0.1", ITqcNetworkAddress::IPv4, other_port);
  Address other_spelling = address("127.000.000.001", ITqcNetworkAddress::IPv4, port);
  Address other_protocol = address("127.0.0.1", ITqcNetworkAddress::IPv6, port);
  for (const ITqcNetworkAddress *expected :
       {other_port_address.get(), other_spelling.get(), other_protocol.get(),
        static_cast<ITqcNetworkAddress *>(nullptr)}) {
    Received r = answer(asker.get(), answerer.get(), expected);
    ASSERT_EQ(r.rc, QMR_OK);
    EXPECT_FALSE(r.from_expected);
    ASSERT_NE(r.source, nullptr);
    EXPECT_STREQ(r.source->get_address(), "127.0.0.1");
    EXPECT_EQ(r.source->get_port(), port);
    EXPECT_EQ(r.source->get_protocol(), ITqcNetworkAddress::IPv4);
  }
}

TEST(ReceiveFrom, ArgumentsAndTimeOutAsReceive) {
  Socket s = open_ipv4();
  ASSERT_TRUE(s);
  char in[16];
  int32_t got = 0;
  bool from_expected = true;
  ITqcNetworkAddress *source = nullptr;
  EXPECT_EQ(s->receive_from(in, sizeof in, 10, &got, nullptr, nullptr, &from_expected), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive_from(in, sizeof in, 10, &got, nullptr, &source, nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive_from(nullptr, sizeof in, 10, &got, nullptr, &source, &from_expected), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive_from(in, sizeof in, -2, &got, nullptr, &source, &from_expected), QMR_E_INVALID_ARG);
  EXPECT_EQ(s->receive_from(in, sizeof in, 20, &got, nullptr, &source, &from_expected), QMR_E_TIMEOUT);
  EXPECT_EQ(source, nullptr);
  EXPECT_FALSE(from_expected);
}

}  // namespace
