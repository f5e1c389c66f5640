// The record functions of the exported interface against snmpsimd serving
// the status scenarios (the community picks the scenario).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "qmr.h"
#include "support/status_agent.h"
#include "support/udp_peer.h"

namespace {

constexpr char kAgentIp[] = "127.77.30.11";
constexpr char kStallAgentIp[] = "127.77.30.12";
// A relay in front of the agent that sees every request.
constexpr char kRelayIp[] = "127.77.30.13";
constexpr uint16_t kSnmpPort = 161;
constexpr int32_t kIPv4 = 1;
constexpr uint32_t kTimeoutMs = 2000;
constexpr uint32_t kRetries = 1;

class StatusRecordsApi : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run()) return;
    s_agent = tqs_started_or_null(new StatusAgent(kAgentIp, {{"private", "status-cancel"}}), &s_error);
  }
  static void TearDownTestSuite() {
    delete s_agent;
    s_agent = nullptr;
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    ASSERT_NE(nullptr, s_agent) << s_error;
    ASSERT_EQ(QMR_OK, QMRInit(&m_handle));
  }
  void TearDown() override { QMRUnInit(m_handle); }

  // Opens the agent reading with the scenario's community.
  int32_t open(const char *scenario, const char *address = kAgentIp, uint32_t timeoutMs = kTimeoutMs,
               uint32_t retries = kRetries) {
    EXPECT_EQ(QMR_OK, QMRCommandString(m_handle, "CmdSetCommunityGetOption", scenario));
    return QMRInitDevice(m_handle, address, kIPv4, timeoutMs, retries);
  }

  void *m_handle = nullptr;
  static StatusAgent *s_agent;
  static std::string s_error;
};

StatusAgent *StatusRecordsApi::s_agent = nullptr;
std::string StatusRecordsApi::s_error;

TEST_F(StatusRecordsApi, SystemRecords) {
  ASSERT_EQ(QMR_OK, open("status-system"));
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, QMRGetNumberOfStorageInfo(m_handle, &count));
  ASSERT_EQ(6, count);
  QMRStorageInfo storage{};
  ASSERT_EQ(QMR_OK, QMRGetStorageInfo(m_handle, 2, &storage));
  EXPECT_EQ(0, storage.storageType);  // hrStorageFlashMemory (9)
  ASSERT_EQ(QMR_OK, QMRGetStorageInfo(m_handle, 5, &storage));
  EXPECT_EQ(8, storage.storageType);
  EXPECT_EQ(QMR_E_INDEX, QMRGetStorageInfo(m_handle, 6, &storage));

  ASSERT_EQ(QMR_OK, QMRGetNumberOfDeviceInfo(m_handle, &count));
  EXPECT_EQ(60, count);
  QMRDeviceInfo device{};
  ASSERT_EQ(QMR_OK, QMRGetDeviceInfo(m_handle, 2, &device));
  EXPECT_EQ(105, device.deviceType);

  QMRPrinterInfo printer{};
  ASSERT_EQ(QMR_OK, QMRGetPrinterInfo(m_handle, &printer));
  EXPECT_EQ(3, printer.printerStatus);
  const uint8_t octets[4] = {0x80, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(octets, printer.detectedErrorState, 4));

  int32_t charSet = -1;
  EXPECT_EQ(QMR_OK, QMRGetCharSet(m_handle, 1, &charSet));
  EXPECT_EQ(0, charSet);
}

TEST_F(StatusRecordsApi, JobsUnderTheThreeSelectors) {
  ASSERT_EQ(QMR_OK, open("status-jobs"));
  const int32_t expected[] = {5, 3, 2};
  for (uint32_t selector = 0; selector < 3; ++selector) {
    int32_t count = -1;
    ASSERT_EQ(QMR_OK, QMRGetNumberOfJobInfo(m_handle, selector, &count));
    EXPECT_EQ(expected[selector], count) << selector;
  }
  // The last refresh (selector 2) holds the two class-17 jobs.
  QMRJobInfo job{};
  ASSERT_EQ(QMR_OK, QMRGetJobInfo(m_handle, 1, &job));
  EXPECT_EQ(17, job.jobClass);
  EXPECT_STREQ("JOB00003", job.jobId);
  EXPECT_EQ(0, job.timeStamp1[3]);
  EXPECT_EQ(7, job.timeStamp1[4]);
  EXPECT_EQ(30, job.timeStamp1[5]);
  EXPECT_EQ(QMR_E_INDEX, QMRGetJobInfo(m_handle, 2, &job));

  int32_t charSet = -1;
  ASSERT_EQ(QMR_OK, QMRGetCharSet(m_handle, 0, &charSet));
  EXPECT_EQ(3, charSet);
  ASSERT_EQ(QMR_OK, QMRGetCharSet(m_handle, 1, &charSet));
  EXPECT_EQ(106, charSet);
}

// snmpsimd sends some of these values in more octets than needed (INTEGER
// -2147483648 as 02 05 FF 80 00 00 00). Every record must come through on
// the first try: the relay in front of the agent sees no request id twice.
TEST_F(StatusRecordsApi, JobsWithExtremeValuesReadOnTheFirstTry) {
  UdpPeer relay(kRelayIp, kSnmpPort);
  ASSERT_TRUE(relay.ok());
  ASSERT_TRUE(relay.start(UdpPeer::relay(kAgentIp, kSnmpPort, static_cast<int>(kTimeoutMs))));
  ASSERT_EQ(QMR_OK, open("status-jobextreme", kRelayIp));
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, QMRGetNumberOfJobInfo(m_handle, 1, &count));
  EXPECT_EQ(2, count);  // class 17 is the other selection
  ASSERT_EQ(QMR_OK, QMRGetNumberOfJobInfo(m_handle, 2, &count));
  EXPECT_EQ(1, count);
  ASSERT_EQ(QMR_OK, QMRGetNumberOfJobInfo(m_handle, 0, &count));
  ASSERT_EQ(3, count);

  // Date-and-time octets 7fff7f807f807f and 0101ff01ff01ff.
  const int16_t a[6] = {32767, 127, -128, 127, -128, 127};
  const int16_t b[6] = {257, -1, 1, -1, 1, -1};
  struct Job {
    int32_t jobClass, value;
    uint32_t unsigned1, unsigned2;  // Gauge32 and Counter32 alike
    const int16_t *stamp1, *stamp2, *stamp3;
  } const want[] = {
      {-2147483647 - 1, 2147483647, 4294967295u, 4294967295u, a, b, a},
      {2147483647, -2147483647 - 1, 4294967295u, 0, b, a, a},
      {17, -1, 2147483648u, 2147483648u, a, b, b},
  };
  for (uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(testing::Message() << "job " << i + 1);
    const std::string n = std::to_string(i + 1);
    QMRJobInfo job{};
    ASSERT_EQ(QMR_OK, QMRGetJobInfo(m_handle, i, &job));
    EXPECT_EQ(static_cast<int32_t>(i + 1), job.jobType);
    EXPECT_EQ(want[i].jobClass, job.jobClass);
    EXPECT_EQ(want[i].value, job.jobValue2);
    EXPECT_EQ(want[i].unsigned1, job.unsignedValue1);
    EXPECT_EQ(want[i].unsigned2, job.unsignedValue2);
    EXPECT_EQ("Owner " + n, job.lookupText1);
    EXPECT_EQ("Document " + n, job.lookupText2);
    EXPECT_EQ("State " + n, job.lookupText3);
    EXPECT_EQ("JOB0000" + n, job.jobId);
    EXPECT_EQ("Job text " + n, job.jobText);
    EXPECT_EQ(0, std::memcmp(want[i].stamp1, job.timeStamp1, sizeof(job.timeStamp1)));
    EXPECT_EQ(0, std::memcmp(want[i].stamp2, job.timeStamp2, sizeof(job.timeStamp2)));
    EXPECT_EQ(0, std::memcmp(want[i].stamp3, job.timeStamp3, sizeof(job.timeStamp3)));
  }
  relay.stop();

  std::set<int32_t> ids;
  const std::vector<UdpPeer::Datagram> requests = relay.received();
  for (const UdpPeer::Datagram &d : requests) {
    WireMessage m;
    ASSERT_TRUE(WireMessage::parse(d.bytes, &m));
    ids.insert(m.request_id);
  }
  EXPECT_GT(requests.size(), 3u);
  EXPECT_EQ(requests.size(), ids.size()) << "a request was sent again";
}

TEST_F(StatusRecordsApi, FailingJobRowKeepsEarlierJobs) {
  ASSERT_EQ(QMR_OK, open("status-jobfail"));
  int32_t count = -1;
  EXPECT_EQ(QMR_E_INDEX_FIT, QMRGetNumberOfJobInfo(m_handle, 0, &count));
  QMRJobInfo job{};
  ASSERT_EQ(QMR_OK, QMRGetJobInfo(m_handle, 1, &job));
  EXPECT_STREQ("JOB00002", job.jobId);
  EXPECT_EQ(QMR_E_INDEX, QMRGetJobInfo(m_handle, 2, &job));
}

TEST_F(StatusRecordsApi, SecondOpeningDropsTheFirstDevicesLists) {
  ASSERT_EQ(QMR_OK, open("status-supplies"));
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, QMRGetNumberOfTonerInfo(m_handle, &count));
  EXPECT_EQ(2, count);
  ASSERT_EQ(QMR_OK, QMRGetNumberOfAlertInfo(m_handle, &count));
  EXPECT_EQ(2, count);

  ASSERT_EQ(QMR_OK, open("status-trays"));
  QMRTonerInfo toner{};
  EXPECT_EQ(QMR_E_INDEX, QMRGetTonerInfo(m_handle, 0, &toner));
  ASSERT_EQ(QMR_OK, QMRGetNumberOfInputTrayInfo(m_handle, &count));
  EXPECT_EQ(3, count);
  QMRInputTrayInfo input{};
  ASSERT_EQ(QMR_OK, QMRGetInputTrayInfo(m_handle, 0, &input));
  EXPECT_EQ(125, input.currentLevel);
  ASSERT_EQ(QMR_OK, QMRGetNumberOfOutputTrayInfo(m_handle, &count));
  EXPECT_EQ(2, count);
  QMROutputTrayInfo output{};
  ASSERT_EQ(QMR_OK, QMRGetOutputTrayInfo(m_handle, 1, &output));
  EXPECT_EQ(4, output.outputType);
}

TEST_F(StatusRecordsApi, CancelWithDefaultAndSetWriteCommunity) {
  ASSERT_EQ(QMR_OK, open("status-cancel"));
  EXPECT_EQ(QMR_OK, QMRCancelJob(m_handle, "JOB00001"));  // as "private"
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, QMRCancelJob(m_handle, "LOCKED"));

  // Takes effect at the next opening. "status-system" holds no writable
  // object, so the set is refused there rather than left unanswered.
  ASSERT_EQ(QMR_OK, QMRCommandString(m_handle, "CmdSetCommunityWrite", "status-system"));
  EXPECT_EQ(QMR_OK, QMRCancelJob(m_handle, "JOB00002"));
  ASSERT_EQ(QMR_OK, open("status-cancel"));
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, QMRCancelJob(m_handle, "JOB00002"));
  ASSERT_EQ(QMR_OK, QMRCommandString(m_handle, "CmdSetCommunityWrite", "status-cancel"));
  ASSERT_EQ(QMR_OK, open("status-cancel"));
  EXPECT_EQ(QMR_OK, QMRCancelJob(m_handle, "JOB00002"));
}

TEST_F(StatusRecordsApi, WalkFailingMidwayEmptiesOnlyItsList) {
  StatusAgent stalling(kStallAgentIp);
  ASSERT_TRUE(stalling.start(&s_error)) << s_error;
  ASSERT_EQ(QMR_OK, open("status-stall", kStallAgentIp, 500, 0));
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, QMRGetNumberOfStorageInfo(m_handle, &count));
  ASSERT_EQ(1, count);
  EXPECT_EQ(QMR_E_TIMEOUT, QMRGetNumberOfDeviceInfo(m_handle, &count));
  QMRDeviceInfo device{};
  EXPECT_EQ(QMR_E_INDEX, QMRGetDeviceInfo(m_handle, 0, &device));
  QMRStorageInfo storage{};
  ASSERT_EQ(QMR_OK, QMRGetStorageInfo(m_handle, 0, &storage));
  EXPECT_STREQ("Main memory", storage.description);
}

}  // namespace
