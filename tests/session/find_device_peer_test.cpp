// The broadcast exchange and the find-device façade against scripted peers
// on loopback: a unicast destination stands in for the broadcast address,
// and other peers answer from addresses of their own, as responders to a
// broadcast do. Real broadcasts run in the namespace lab (tests/api).
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/datagram_socket.h"
#include "session/find_device.h"
#include "session/request_session.h"
#include "session_test_util.h"
#include "snmp/object_list.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "support/discovery_answer.h"
#include "support/udp_peer.h"

using namespace session_test;

namespace {

constexpr char kAskedIp[] = "127.77.9.1";
constexpr char kSecondIp[] = "127.77.9.2";
constexpr char kThirdIp[] = "127.77.9.3";
constexpr char kSysObjectId0[] = "1.3.6.1.2.1.1.2.0";
constexpr char kModel7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";

TqcOwned<RequestSession> new_session() { return TqcOwned<RequestSession>(tqc_create_request_session()); }

struct Answer {
  std::string address;
  uint16_t port;
  std::string value;
};

std::vector<Answer> answers_of(ITqsSnmpPacketList *list) {
  std::vector<Answer> out;
  TqcOwned<ITqsListIterator> it(list->new_iterator());
  for (ITqsSnmpPacket *p = list->element_at(it.get()); p != nullptr; list->step(it.get()), p = list->element_at(it.get()))
    out.push_back({p->get_target()->get_address()->get_address(), p->get_target()->get_address()->get_port(),
                   text_at(p->get_pdu(), 0)});
  return out;
}

struct Broadcast {
  int32_t rc = -1;
  TqcOwned<ITqsSnmpPacketList> list;
  std::chrono::milliseconds took{0};
};

Broadcast broadcast(const std::string &ip, uint16_t port, int32_t timeout_ms, int32_t retries) {
  auto session = new_session();
  auto target = community_target(ip, port, timeout_ms, retries);
  auto pdu = request(kTqsGetRequest, {kSysObjectId0});
  Broadcast b;
  ITqsSnmpPacketList *list = nullptr;
  const auto start = std::chrono::steady_clock::now();
  b.rc = session->send_broad_cast_sync(pdu.get(), target.get(), &list);
  b.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  b.list.reset(list);
  return b;
}

sockaddr_storage sender_of(const UdpPeer::Datagram &d) { return d.from; }

}  // namespace

// Three responders answer each of three tries: three packets, in the order
// of their first answers, each carrying its responder's address.
TEST(BroadcastPeer, RetriesKeepOneAnswerPerResponderInArrivalOrder) {
  UdpPeer asked(kAskedIp), second(kSecondIp), third(kThirdIp);
  ASSERT_TRUE(asked.ok() && second.ok() && third.ok());
  std::vector<int32_t> ids;
  asked.start([&](const UdpPeer::Datagram &d, size_t) {
    WireMessage request;
    if (!WireMessage::parse(d.bytes, &request)) return std::vector<UdpPeer::Reply>{};
    third.send_to(discovery_answer(request, kModel7300P), sender_of(d), d.from_len);
    second.send_to(discovery_answer(request, kModel7300P + std::string(".1")), sender_of(d), d.from_len);
    return std::vector<UdpPeer::Reply>{{discovery_answer(request, "1.3.6.1.4.1.99.1"), 5}};
  });
  Broadcast b = broadcast(kAskedIp, asked.port(), 200, 2);
  asked.stop();
  ASSERT_EQ(QMR_OK, b.rc);
  ASSERT_TRUE(b.list);
  const auto got = answers_of(b.list.get());
  ASSERT_EQ(3u, got.size());
  EXPECT_EQ(kThirdIp, got[0].address);
  EXPECT_EQ(third.port(), got[0].port);
  EXPECT_EQ(kModel7300P, got[0].value);
  EXPECT_EQ(kSecondIp, got[1].address);
  EXPECT_EQ(kModel7300P + std::string(".1"), got[1].value);
  EXPECT_EQ(kAskedIp, got[2].address);
  // Every try sends the same message, request id included.
  const auto requests = asked.received();
  ASSERT_EQ(3u, requests.size());
  EXPECT_EQ(requests[0].bytes, requests[1].bytes);
  EXPECT_EQ(requests[0].bytes, requests[2].bytes);
  WireMessage sent;
  ASSERT_TRUE(WireMessage::parse(requests[0].bytes, &sent));
  EXPECT_EQ(0xA0, sent.pdu_tag);
  ASSERT_EQ(1u, sent.varbinds.size());
  EXPECT_EQ(kSysObjectId0, sent.varbinds[0].oid);
}

// A later answer from a listed address is dropped, even with another value.
TEST(BroadcastPeer, SecondAnswerFromAnAddressDoesNotReplaceTheFirst) {
  UdpPeer asked(kAskedIp);
  ASSERT_TRUE(asked.ok());
  asked.start(UdpPeer::respond([](const WireMessage &request, size_t) {
    return std::vector<UdpPeer::Reply>{{discovery_answer(request, "1.3.6.1.4.1.1"), 0}, {discovery_answer(request, "1.3.6.1.4.1.2"), 20}};
  }));
  Broadcast b = broadcast(kAskedIp, asked.port(), 200, 0);
  ASSERT_EQ(QMR_OK, b.rc);
  const auto got = answers_of(b.list.get());
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ("1.3.6.1.4.1.1", got[0].value);
}

// Silence is an empty list, after every try waited its whole time-out.
TEST(BroadcastPeer, SilenceIsSuccessWithNoPackets) {
  UdpPeer asked(kAskedIp);
  ASSERT_TRUE(asked.ok());
  asked.start(nullptr);
  Broadcast b = broadcast(kAskedIp, asked.port(), 150, 1);
  asked.stop();
  ASSERT_EQ(QMR_OK, b.rc);
  ASSERT_TRUE(b.list);
  EXPECT_EQ(0u, b.list->count());
  EXPECT_EQ(2u, asked.count());
  EXPECT_GE(b.took.count(), 2 * 150 - 20);
}

TEST(BroadcastPeer, RetryCountMinusOneSendsNothing) {
  UdpPeer asked(kAskedIp);
  ASSERT_TRUE(asked.ok());
  asked.start(UdpPeer::respond([](const WireMessage &request, size_t) {
    return std::vector<UdpPeer::Reply>{{discovery_answer(request, kModel7300P), 0}};
  }));
  Broadcast b = broadcast(kAskedIp, asked.port(), 1000, -1);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  asked.stop();
  ASSERT_EQ(QMR_OK, b.rc);
  ASSERT_TRUE(b.list);
  EXPECT_EQ(0u, b.list->count());
  EXPECT_EQ(0u, asked.count());
  EXPECT_LT(b.took.count(), 500);
}

// Garbage is no answer: the sender's proper answer after it still counts,
// and garbage arriving last does not undo the answers collected before.
TEST(BroadcastPeer, UndecodableDatagramsAreDropped) {
  UdpPeer asked(kAskedIp), second(kSecondIp);
  ASSERT_TRUE(asked.ok() && second.ok());
  const std::vector<uint8_t> garbage{0x30, 0x03, 0x02, 0x01};
  std::mutex lock;
  sockaddr_storage client{};
  socklen_t client_len = 0;
  asked.start([&](const UdpPeer::Datagram &d, size_t) {
    WireMessage request;
    if (!WireMessage::parse(d.bytes, &request)) return std::vector<UdpPeer::Reply>{};
    {
      std::lock_guard<std::mutex> guard(lock);
      client = d.from;
      client_len = d.from_len;
    }
    return std::vector<UdpPeer::Reply>{{garbage, 0}, {discovery_answer(request, kModel7300P), 20}};
  });
  // The second responder sends only garbage, the last datagram of the try.
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::lock_guard<std::mutex> guard(lock);
    if (client_len != 0) second.send_to(garbage, client, client_len);
  });
  Broadcast b = broadcast(kAskedIp, asked.port(), 250, 0);
  late.join();
  ASSERT_EQ(QMR_OK, b.rc);
  auto got = answers_of(b.list.get());
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ(kAskedIp, got[0].address);
  EXPECT_EQ(kModel7300P, got[0].value);
}

TEST(BroadcastPeer, RefusesMissingArguments) {
  auto session = new_session();
  auto target = community_target(kAskedIp, 161, 100, 0);
  auto pdu = request(kTqsGetRequest, {kSysObjectId0});
  ITqsSnmpPacketList *list = nullptr;
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_broad_cast_sync(nullptr, target.get(), &list));
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_broad_cast_sync(pdu.get(), nullptr, &list));
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_broad_cast_sync(pdu.get(), target.get(), nullptr));
  target->set_address(nullptr);
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_broad_cast_sync(pdu.get(), target.get(), &list));
  EXPECT_EQ(nullptr, list);
}

// The façade asks for the instance whatever the flag says, with its
// community, and hands the list over.
TEST(FindDeviceFacade, BroadcastsOneGetRequestForTheScalar) {
  UdpPeer asked("::1");
  ASSERT_TRUE(asked.ok());
  asked.start(UdpPeer::respond([](const WireMessage &request, size_t) {
    return std::vector<UdpPeer::Reply>{{discovery_answer(request, kModel7300P), 0}};
  }));
  int32_t rc = -1;
  ITqcFindDeviceSnmp *facade = tqc_create_find_device_snmp(&rc);
  ASSERT_NE(nullptr, facade);
  EXPECT_EQ(QMR_OK, rc);
  EProtocol protocol = ITqcNetworkAddress::None;
  EXPECT_EQ(QMR_OK, facade->protocol_of("::1", &protocol));
  EXPECT_EQ(ITqcNetworkAddress::IPv6, protocol);
  EXPECT_EQ(QMR_E_INVALID_ARG, facade->send_broad_cast(nullptr));
  EXPECT_EQ(QMR_OK, facade->set_community("find-me"));
  ASSERT_EQ(QMR_OK, facade->init("::1", ITqcNetworkAddress::IPv6, asked.port(), 0, nullptr, 300, 0, 0));
  ASSERT_EQ(QMR_OK, facade->add_oid_string("1.3.6.1.2.1.1.2", 0));
  ITqsSnmpPacketList *list = nullptr;
  ASSERT_EQ(QMR_OK, facade->send_broad_cast(&list));
  TqcOwned<ITqsSnmpPacketList> owned(list);
  facade->destroy();
  asked.stop();
  const auto got = answers_of(list);
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ("::1", got[0].address);
  EXPECT_EQ(kModel7300P, got[0].value);
  WireMessage sent;
  ASSERT_EQ(1u, asked.count());
  ASSERT_TRUE(WireMessage::parse(asked.received()[0].bytes, &sent));
  EXPECT_EQ("find-me", sent.community);
  EXPECT_EQ(0, sent.version);
  EXPECT_EQ(0xA0, sent.pdu_tag);
  ASSERT_EQ(1u, sent.varbinds.size());
  EXPECT_EQ(kSysObjectId0, sent.varbinds[0].oid);
}

TEST(FindDeviceFacade, UninitialisedOrUnparsableRequestsAreRefused) {
  ITqcFindDeviceSnmp *facade = tqc_create_find_device_snmp();
  ASSERT_NE(nullptr, facade);
  ITqsSnmpPacketList *list = nullptr;
  EXPECT_EQ(QMR_E_INVALID_ARG, facade->add_oid_string("1.3.6.1.2.1.1.2"));
  EXPECT_EQ(QMR_E_INVALID_ARG, facade->send_broad_cast(&list));
  EXPECT_EQ(QMR_E_INVALID_ARG, facade->init(nullptr, ITqcNetworkAddress::IPv4, 161, 0, nullptr, 100, 0, 0));
  ASSERT_EQ(QMR_OK, facade->init(kAskedIp, ITqcNetworkAddress::IPv4, 161, 0, nullptr, 100, 0, 0));
  EXPECT_NE(QMR_OK, facade->add_oid_string("1.3.x.6"));
  // SNMPv3 needs its security record.
  EXPECT_EQ(QMR_E_INVALID_ARG, facade->init(kAskedIp, ITqcNetworkAddress::IPv4, 161, 2, nullptr, 100, 0, 0));
  EXPECT_EQ(nullptr, list);
  facade->destroy();
}

// Broadcast sockets ask for a 4 MiB queue; a privileged process gets it.
TEST(BroadcastSocket, ReceiveQueueCanBeEnlarged) {
  DataGramSocket *socket = nullptr;
  ASSERT_EQ(QMR_OK, create_datagram_socket(ITqcNetworkAddress::IPv4, &socket));
  int32_t granted = 0;
  EXPECT_EQ(QMR_OK, socket->set_receive_buffer(4 << 20, &granted));
  EXPECT_GT(granted, 0);
  if (geteuid() == 0) {
    EXPECT_GE(granted, 4 << 20);
  }
  socket->release();
}
