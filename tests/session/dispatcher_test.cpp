// Session choice by target kind and version, lazy creation, request ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "snmp/request_id.h"
#include "session/session_dispatcher.h"
#include "session_test_util.h"
#include "snmp/snmp_packet.h"
#include "snmp/user_target.h"
#include "support/udp_peer.h"

using namespace session_test;

namespace {

constexpr char kPeerIp[] = "127.77.6.3";

TqcOwned<ITqsSnmpTarget> user_target(int32_t version, uint16_t port) {
  TqcOwned<ITqsSnmpTarget> target(tqs_create_user_target());
  TqcOwned<ITqcNetworkAddress> address(tqc_create_network_address());
  address->set(kPeerIp, ITqcNetworkAddress::IPv4, port);
  target->set_address(address.get());
  target->set_version(version);
  target->set_timeout(100);
  return target;
}

}  // namespace

TEST(SessionDispatcher, PicksTheSessionByKindAndVersionAndMakesItOnFirstNeed) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo());
  // SNMPv3 traffic goes to a silent peer of its own.
  UdpPeer silent(kPeerIp);
  ASSERT_TRUE(silent.ok());
  silent.start(nullptr);
  TqcOwned<SessionDispatcher> dispatcher(tqc_create_session_dispatcher());
  ASSERT_TRUE(dispatcher);
  EXPECT_FALSE(dispatcher->has_request_session());
  EXPECT_FALSE(dispatcher->has_v3_session());

  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.5.0"});
  // Refused pairs: nothing is made, nothing is sent.
  auto v3_community = community_target(kPeerIp, peer.port(), 100, 0, 1400, kTqsSnmpV3);
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_sync(pdu.get(), v3_community.get()));
  auto v1_user = user_target(kTqsSnmpV2c, silent.port());
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_sync(pdu.get(), v1_user.get()));
  EXPECT_FALSE(dispatcher->has_request_session());
  EXPECT_FALSE(dispatcher->has_v3_session());
  EXPECT_EQ(0u, silent.count());

  // A user-based version-3 target goes to the SNMPv3 session only.
  auto v3_user = user_target(kTqsSnmpV3, silent.port());
  const int32_t v3_rc = dispatcher->send_sync(pdu.get(), v3_user.get());
  EXPECT_NE(QMR_E_INVALID_ARG, v3_rc);
  EXPECT_TRUE(dispatcher->has_v3_session());
  EXPECT_FALSE(dispatcher->has_request_session());

  // Both community versions reach the request session beside it.
  for (int32_t version : {kTqsSnmpV1, kTqsSnmpV2c}) {
    auto target = community_target(kPeerIp, peer.port(), 1000, 0, 1400, version);
    EXPECT_EQ(QMR_OK, dispatcher->send_sync(pdu.get(), target.get())) << version;
  }
  EXPECT_TRUE(dispatcher->has_request_session());
  EXPECT_EQ(2u, peer.count());

  TqcOwned<ITqsSnmpPacket> packet(tqs_create_packet());
  packet->set_pdu(request(kTqsGetRequest, {"1.3.6.1.2.1.1.5.0"}).release());
  packet->set_target(community_target(kPeerIp, peer.port(), 1000, 0).release());
  EXPECT_EQ(QMR_OK, dispatcher->send_sync(packet.get()));
  EXPECT_EQ(3u, peer.count());
}

TEST(SessionDispatcher, NullArgumentsAndReservedSlot) {
  TqcOwned<SessionDispatcher> dispatcher(tqc_create_session_dispatcher());
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.5.0"});
  auto target = community_target(kPeerIp, 161, 100, 0);
  ITqsSnmpPacketList *list = nullptr;
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_sync(nullptr, target.get()));
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_sync(pdu.get(), nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_sync(static_cast<ITqsSnmpPacket *>(nullptr)));
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_broad_cast_sync(pdu.get(), target.get(), nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_broad_cast_sync(nullptr, &list));
  TqcOwned<ITqsSnmpPacket> empty(tqs_create_packet());
  EXPECT_EQ(QMR_E_INVALID_ARG, dispatcher->send_sync(empty.get()));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, dispatcher->reserved());
  EXPECT_FALSE(dispatcher->has_request_session());
}

TEST(SessionDispatcher, ConcurrentFirstCallsShareOneSession) {
  TqcOwned<SessionDispatcher> dispatcher(tqc_create_session_dispatcher());
  auto pdu = request(kTqsGetRequest, {"1.3.6.1.2.1.1.5.0"});
  std::vector<std::thread> threads;
  std::vector<int32_t> results(8, 1);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      // A target without address is refused by the session itself, after
      // the dispatcher has made (or found) it.
      TqcOwned<ITqsSnmpTarget> target(tqs_create_community_target());
      target->set_version(kTqsSnmpV1);
      TqcOwned<ITqsPdu> own(pdu->clone());
      results[t] = dispatcher->send_sync(own.get(), target.get());
    });
  }
  for (auto &t : threads) t.join();
  for (int32_t rc : results) EXPECT_EQ(QMR_E_INVALID_ARG, rc);
  EXPECT_TRUE(dispatcher->has_request_session());
}

TEST(RequestIds, DrawnFromEightThreadsAreAllDistinct) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 20000;
  std::vector<std::vector<uint32_t>> drawn(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&drawn, t] {
      drawn[t].reserve(kPerThread);
      for (int i = 0; i < kPerThread; ++i) drawn[t].push_back(tqs_next_request_id());
    });
  }
  for (auto &t : threads) t.join();
  std::vector<uint32_t> all;
  for (auto &v : drawn) {
    // Each thread sees its own ids rising.
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
    all.insert(all.end(), v.begin(), v.end());
  }
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all.end(), std::adjacent_find(all.begin(), all.end()));
  EXPECT_EQ(static_cast<size_t>(kThreads * kPerThread), all.size());
}
