// The request session against scripted UDP peers: what real agents will not
// do on demand (silence, stray ids, garbage, tooBig, split answers).
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "session/request_session.h"
#include "session_test_util.h"
#include "snmp/snmp_packet.h"
#include "support/udp_peer.h"

using namespace session_test;

namespace {

constexpr char kPeerIp[] = "127.77.6.1";
constexpr char kOtherIp[] = "127.77.6.2";

TqcOwned<RequestSession> new_session() { return TqcOwned<RequestSession>(tqc_create_request_session()); }

// Answers with INTEGER values 1, 2, 3 ... in the request's varbind order.
void number_values(const WireMessage &req, WireMessage *resp) {
  for (size_t i = 0; i < resp->varbinds.size(); ++i)
    resp->varbinds[i] = WireVarBind::integer(req.varbinds[i].oid, static_cast<int32_t>(i + 1));
}

std::vector<uint8_t> numbered_answer(const WireMessage &req) {
  WireMessage resp = req.response();
  number_values(req, &resp);
  return resp.encode();
}

WireMessage parsed(const UdpPeer::Datagram &d) {
  WireMessage m;
  EXPECT_TRUE(WireMessage::parse(d.bytes, &m));
  return m;
}

std::vector<std::string> numbered_oids(int n) {
  std::vector<std::string> oids;
  for (int i = 1; i <= n; ++i) oids.push_back("1.3.6.1.4.1.58114.8.1." + std::to_string(i) + ".0");
  return oids;
}

}  // namespace

TEST(RequestSessionPeer, AnswerIsDecodedIntoTheRequestPdu) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo([](const WireMessage &req, WireMessage *resp) {
    resp->varbinds[0] = WireVarBind::octets(req.varbinds[0].oid, "Printer");
    resp->varbinds[1] = WireVarBind::integer(req.varbinds[1].oid, -5);
  }));
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), 1000, 0);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.7.0"});
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  EXPECT_EQ(kTqsResponse, pdu->get_type());
  ASSERT_EQ(2u, count_of(pdu.get()));
  EXPECT_EQ("Printer", text_at(pdu.get(), 0));
  EXPECT_EQ(-5, int_at(pdu.get(), 1));
  // On the wire: version 1 (code 0), the target's community, one GET.
  WireMessage sent = parsed(peer.received().at(0));
  EXPECT_EQ(0, sent.version);
  EXPECT_EQ("public", sent.community);
  EXPECT_EQ(0xA0, sent.pdu_tag);
  EXPECT_EQ(pdu->get_request_id(), sent.request_id);
}

TEST(RequestSessionPeer, SilenceRetriesWithFullWaitsThenTimesOut) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(nullptr);
  constexpr int kTimeoutMs = 150;
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), kTimeoutMs, 2);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.1.0"});
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(QMR_E_TIMEOUT, session->send_sync(pdu.get(), target.get()));
  const auto elapsed = std::chrono::steady_clock::now() - begin;
  const auto sent = peer.received();
  ASSERT_EQ(3u, sent.size());
  // Retries resend the same encoded message, so the same request id.
  EXPECT_EQ(sent[0].bytes, sent[1].bytes);
  EXPECT_EQ(sent[0].bytes, sent[2].bytes);
  for (size_t i = 1; i < sent.size(); ++i)
    EXPECT_GE(sent[i].at - sent[i - 1].at, std::chrono::milliseconds(kTimeoutMs - 10));
  EXPECT_GE(elapsed, std::chrono::milliseconds(3 * kTimeoutMs - 10));
}

TEST(RequestSessionPeer, NothingSentOrWaitedForIsNeverSuccess) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo(number_values));
  auto session = new_session();
  // Retries 0xFFFFFFFF: no try at all.
  auto never = community_target(kPeerIp, peer.port(), 500, -1);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.1.0"});
  EXPECT_EQ(QMR_E_TIMEOUT, session->send_sync(pdu.get(), never.get()));
  // Time-out 0: sent, but never waited for.
  auto no_wait = community_target(kPeerIp, peer.port(), 0, 0);
  EXPECT_EQ(QMR_E_TIMEOUT, session->send_sync(pdu.get(), no_wait.get()));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(1u, peer.count());
}

TEST(RequestSessionPeer, StrayAndUnreadableDatagramsAreDroppedWithinTheSameWait) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::respond([](const WireMessage &req, size_t) {
    const std::vector<uint8_t> good = numbered_answer(req);
    WireMessage other = req.response();
    other.request_id = req.request_id + 1;
    std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
    WireMessage v3 = req.response();
    v3.version = 3;
    WireMessage v2c = req.response();
    v2c.version = 1;
    return std::vector<UdpPeer::Reply>{{other.encode(), 10},
                                       {{0xDE, 0xAD, 0xBE, 0xEF}, 20},
                                       {truncated, 30},
                                       {v3.encode(), 40},
                                       {v2c.encode(), 50},
                                       {good, 80}};
  }));
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), 1000, 0);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.7.0"});
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  EXPECT_EQ(1u, peer.count());
  EXPECT_EQ(1, int_at(pdu.get(), 0));
  // The v2c answer to a v1 request did not switch the target's version.
  EXPECT_EQ(kTqsSnmpV1, target->get_version());
}

TEST(RequestSessionPeer, OnlyUnacceptableAnswersReportTheLastReason) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::respond([](const WireMessage &req, size_t) {
    WireMessage other = req.response();
    other.request_id = req.request_id + 7;
    return std::vector<UdpPeer::Reply>{{{0x30, 0x03, 0x02, 0x01}, 5}, {other.encode(), 10}};
  }));
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), 100, 1);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.7.0"});
  EXPECT_EQ(QMR_E_WRONG_REQUEST_ID, session->send_sync(pdu.get(), target.get()));
  EXPECT_EQ(2u, peer.count());
}

TEST(RequestSessionPeer, TooBigSplitsInTwoAndSingleVarbindCannotSplit) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo([](const WireMessage &req, WireMessage *resp) {
    if (req.varbinds.size() > 2 || req.varbinds[0].oid == "1.3.6.1.4.1.58114.8.9.0")
      resp->error_status = 1;  // tooBig
    else
      number_values(req, resp);
  }));
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), 1000, 0);
  auto pdu = request(kTqsGetRequest, numbered_oids(4));
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  auto sent = peer.received();
  ASSERT_EQ(3u, sent.size());
  EXPECT_EQ(4u, parsed(sent[0]).varbinds.size());
  EXPECT_EQ(2u, parsed(sent[1]).varbinds.size());
  EXPECT_EQ(2u, parsed(sent[2]).varbinds.size());
  std::set<int32_t> ids;
  for (const auto &d : sent) ids.insert(parsed(d).request_id);
  EXPECT_EQ(3u, ids.size());
  // Merged in request order.
  ASSERT_EQ(4u, count_of(pdu.get()));
  const auto oids = numbered_oids(4);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(oids[i], name_at(pdu.get(), i));
  EXPECT_EQ(0, pdu->get_error_status());

  auto single = request(kTqsGetRequest, {"1.3.6.1.4.1.58114.8.9.0"});
  EXPECT_EQ(QMR_E_CANNOT_SPLIT, session->send_sync(single.get(), target.get()));
  EXPECT_EQ(4u, peer.count());
}

TEST(RequestSessionPeer, OversizedRequestSplitsFourThreeThreeAndMergesErrorIndex) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::respond([](const WireMessage &req, size_t index) {
    WireMessage resp = req.response();
    if (index == 1) {
      resp.error_status = 2;  // noSuchName at the fragment's second varbind
      resp.error_index = 2;
    }
    return std::vector<UdpPeer::Reply>{{resp.encode(), 0}};
  }));
  // About 220 bytes per varbind: four fit into 940 bytes, five do not.
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), 1000, 0, 940);
  auto pdu = big_set_request(numbered_oids(10), 200);
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  auto sent = peer.received();
  ASSERT_EQ(3u, sent.size());
  std::vector<size_t> sizes;
  std::set<int32_t> ids;
  for (const auto &d : sent) {
    EXPECT_LE(d.bytes.size(), 940u);
    sizes.push_back(parsed(d).varbinds.size());
    ids.insert(parsed(d).request_id);
  }
  EXPECT_EQ((std::vector<size_t>{4, 3, 3}), sizes);
  EXPECT_EQ(3u, ids.size());
  EXPECT_EQ(10u, count_of(pdu.get()));
  EXPECT_EQ(2, pdu->get_error_status());
  EXPECT_EQ(6, pdu->get_error_index());
}

TEST(RequestSessionPeer, VarbindThatCannotFitAloneAnswersCannotSplit) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(nullptr);
  auto session = new_session();
  auto target = community_target(kPeerIp, peer.port(), 200, 0, 1400);
  auto pdu = big_set_request({"1.3.6.1.4.1.58114.8.1.0"}, 2000);
  EXPECT_EQ(QMR_E_CANNOT_SPLIT, session->send_sync(pdu.get(), target.get()));
  EXPECT_EQ(0u, peer.count());
}

TEST(RequestSessionPeer, TargetTakesTheResponderAddress) {
  UdpPeer asked(kPeerIp);
  UdpPeer answering(kOtherIp);
  ASSERT_TRUE(asked.ok() && answering.ok());
  asked.start([&answering](const UdpPeer::Datagram &d, size_t) {
    WireMessage req;
    if (WireMessage::parse(d.bytes, &req)) answering.send_to(numbered_answer(req), d.from, d.from_len);
    return std::vector<UdpPeer::Reply>{};
  });
  auto session = new_session();
  auto target = community_target(kPeerIp, asked.port(), 1000, 0);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.7.0"});
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  const ITqcNetworkAddress *address = target->get_address();
  ASSERT_NE(nullptr, address);
  EXPECT_STREQ(kOtherIp, address->get_address());
  EXPECT_EQ(answering.port(), address->get_port());
}

TEST(RequestSessionPeer, PacketFormKeepsPduAndTargetInThePacket) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo(number_values));
  auto session = new_session();
  TqcOwned<ITqsSnmpPacket> packet(tqs_create_packet());
  packet->set_pdu(request(kTqsGetRequest, {"1.3.6.1.2.1.1.7.0"}).release());
  packet->set_target(community_target(kPeerIp, peer.port(), 1000, 0).release());
  ASSERT_EQ(QMR_OK, session->send_sync(packet.get()));
  ASSERT_NE(nullptr, packet->get_pdu());
  ASSERT_NE(nullptr, packet->get_target());
  EXPECT_EQ(1, int_at(packet->get_pdu(), 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_sync(static_cast<ITqsSnmpPacket *>(nullptr)));
  // A packet without PDU: the PDU stays absent, the target stays in place.
  TqcOwned<ITqsSnmpPacket> empty(tqs_create_packet());
  empty->set_target(community_target(kPeerIp, peer.port(), 100, 0).release());
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_sync(empty.get()));
  EXPECT_NE(nullptr, empty->get_target());
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, session->reserved());
}

TEST(RequestSessionPeer, Ipv6ExchangeAndUnconvertibleDestination) {
  UdpPeer peer("::1");
  if (!peer.ok()) GTEST_SKIP() << "no IPv6 loopback";
  peer.start(UdpPeer::echo(number_values));
  auto session = new_session();
  auto target = community_target("::1", peer.port(), 1000, 0);
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.7.0"});
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  EXPECT_EQ(1, int_at(pdu.get(), 0));
  EXPECT_EQ(peer.port(), target->get_address()->get_port());

  // A destination the socket cannot convert ends the exchange at once, without retries.
  auto bad = community_target("300.1.2.3", peer.port(), 100, 3);
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(QMR_E_INVALID_ARG, session->send_sync(pdu.get(), bad.get()));
  // Four tries of 100 ms would take 400 ms.
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(300));
}
