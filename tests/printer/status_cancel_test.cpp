// The job cancel: against snmpsimd's writable objects (the value lands at
// the job's cancel object) and against a scripted peer that records the
// exact request, which no agent reports.
#include <gtest/gtest.h>

#include "session/get_data.h"
#include "status_test_support.h"
#include "support/udp_peer.h"

using namespace status_test;

namespace {

constexpr char kCancelJob1[] = "1.3.6.1.4.1.58114.8.76.3.2.1.1.101.8.74.79.66.48.48.48.48.49";
constexpr char kCancelJob2[] = "1.3.6.1.4.1.58114.8.76.3.2.1.1.101.8.74.79.66.48.48.48.48.50";
constexpr uint8_t kSetRequestTag = 0xA3;
constexpr uint8_t kIntegerTag = 0x02;
constexpr int32_t kNoAccess = 6;

// The value the agent now holds at `oid`, read with `community`.
int32_t value_at(const char *oid, const char *community) {
  ITqcGetData *getData = tqc_create_get_data();
  int32_t value = -1;
  EXPECT_NE(nullptr, getData);
  if (getData == nullptr) return value;
  EXPECT_EQ(QMR_OK, getData->set_community(community));
  EXPECT_EQ(QMR_OK, getData->init(kAgentIp, ITqcNetworkAddress::IPv4, 161, 0, nullptr, 2000, 1, 0));
  EXPECT_EQ(QMR_OK, getData->add_oid_string(oid, 0));
  EXPECT_EQ(QMR_OK, getData->get_data(&value));
  getData->destroy();
  return value;
}

using StatusCancel = StatusAgentTest;

TEST_F(StatusCancel, DefaultWriteCommunityIsPrivate) {
  // Only "private" (a copy of the cancel scenario) and the status-*
  // communities are served: any other community would go unanswered.
  StatusPtr status = open_reader(kAgentIp, "status-cancel");
  ASSERT_EQ(QMR_OK, status->cancel_job("JOB00001"));
  EXPECT_EQ(1414, value_at(kCancelJob1, "private"));
}

TEST_F(StatusCancel, SetWriteCommunityIsUsed) {
  StatusPtr status = open_reader(kAgentIp, "", "status-cancel");
  ASSERT_EQ(QMR_OK, status->cancel_job("JOB00002"));
  EXPECT_EQ(1414, value_at(kCancelJob2, "status-cancel"));
}

TEST_F(StatusCancel, RefusedSetAnswersOutOfRange) {
  StatusPtr status = open_reader(kAgentIp, "");
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, status->cancel_job("LOCKED"));
  EXPECT_EQ(QMR_E_INVALID_ARG, status->cancel_job(nullptr));
}

class StatusCancelWire : public ::testing::Test {
 protected:
  void SetUp() override {
    // The reader always sends to port 161.
    QMR_REQUIRE_SNMPSIM();
    m_peer.reset(new UdpPeer(kPeerIp, 161));
    ASSERT_TRUE(m_peer->ok());
  }
  WireMessage only_request() const {
    const std::vector<UdpPeer::Datagram> got = m_peer->received();
    WireMessage request;
    EXPECT_EQ(1u, got.size());
    if (!got.empty()) {
      EXPECT_TRUE(WireMessage::parse(got[0].bytes, &request));
    }
    return request;
  }
  std::unique_ptr<UdpPeer> m_peer;
};

TEST_F(StatusCancelWire, SendsInteger1414ToTheJobsCancelObject) {
  ASSERT_TRUE(m_peer->start(UdpPeer::echo()));
  StatusPtr status = open_reader(kPeerIp, "reader");
  ASSERT_EQ(QMR_OK, status->cancel_job("JOB00001"));
  m_peer->stop();
  const WireMessage request = only_request();
  EXPECT_EQ("private", request.community);  // not the read community
  EXPECT_EQ(0, request.version);
  EXPECT_EQ(kSetRequestTag, request.pdu_tag);
  ASSERT_EQ(1u, request.varbinds.size());
  EXPECT_EQ(kCancelJob1, request.varbinds[0].oid);
  EXPECT_EQ(kIntegerTag, request.varbinds[0].tag);
  EXPECT_EQ((std::vector<uint8_t>{0x05, 0x86}), request.varbinds[0].content);
}

TEST_F(StatusCancelWire, SetCommunityAndEmptyIdentifier) {
  ASSERT_TRUE(m_peer->start(UdpPeer::echo()));
  StatusPtr status = open_reader(kPeerIp, "", "writer");
  ASSERT_EQ(QMR_OK, status->cancel_job(""));
  m_peer->stop();
  const WireMessage request = only_request();
  EXPECT_EQ("writer", request.community);
  ASSERT_EQ(1u, request.varbinds.size());
  EXPECT_EQ("1.3.6.1.4.1.58114.8.76.3.2.1.1.101.0", request.varbinds[0].oid);
}

TEST_F(StatusCancelWire, NoAccessAnswerIsARefusal) {
  ASSERT_TRUE(m_peer->start(UdpPeer::echo([](const WireMessage &, WireMessage *response) {
    response->error_status = kNoAccess;
    response->error_index = 1;
  })));
  StatusPtr status = open_reader(kPeerIp, "");
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, status->cancel_job("JOB00001"));
}

}  // namespace
