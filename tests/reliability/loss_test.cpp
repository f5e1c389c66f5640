// Reads through a proxy that loses, duplicates, reorders and delays
// datagrams in both directions: a lossy read must give exactly the records
// of a loss-free one, and with every datagram lost each call must end with
// the time-out code after its tries.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "qmr.h"
#include "support/lossy_proxy.h"
#include "reliability/reliability_agents.h"
#include "reliability/status_snapshot.h"

namespace {

using reliability::Handle;

constexpr char kProxyIp[] = "127.77.50.1";
constexpr char kAgentIp[] = "127.77.50.2";
constexpr uint16_t kSnmpPort = 161;
constexpr uint64_t kDefaultSeed = 7;
constexpr int32_t kSelectorV2c = 1;
constexpr long kLossPercent = 30;  // each way
constexpr uint32_t kLossyTimeoutMs = 250;
constexpr uint32_t kLossyRetries = 5;
constexpr uint32_t kSilentTimeoutMs = 200;
constexpr uint32_t kSilentRetries = 2;
// Loose: scheduling on a loaded machine, not speed, is what this absorbs.
constexpr int64_t kMarginMs = 1000;

// The lossy link of these tests: QMR_LOSS_PERCENT (default 30) lost each
// way, 10% reordered and 10% doubled, up to 20 ms late. Independent 30%
// losses would sink all six tries of one exchange in about 2% of exchanges,
// whatever the library does, so the last try passes.
LossyProxy::Faults lossy_link() {
  LossyProxy::Faults faults;
  faults.drop = reliability::env_count("QMR_LOSS_PERCENT", kLossPercent) / 100.0;
  faults.reorder = 0.10;
  faults.duplicate = 0.10;
  faults.max_delay_ms = 20;
  faults.passing_try = kLossyRetries + 1;
  return faults;
}

class LossTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run()) return;
    s_agent = tqs_started_or_null(reliability::make_agent(kAgentIp).release(), &s_error);
  }
  static void TearDownTestSuite() {
    delete s_agent;
    s_agent = nullptr;
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    ASSERT_NE(nullptr, s_agent) << s_error;
    m_seed = static_cast<uint64_t>(reliability::env_count("QMR_LOSS_SEED", kDefaultSeed));
    m_proxy.reset(new LossyProxy(kProxyIp, kSnmpPort, kAgentIp, kSnmpPort, m_seed));
    std::string error;
    ASSERT_TRUE(m_proxy->start(&error)) << error;
  }

  Handle open(uint32_t timeout_ms, uint32_t retries, int32_t *rc) {
    Handle h(reliability::open_handle());
    *rc = h ? QMRInitDevice(h.get(), kProxyIp, reliability::kPublicIPv4, timeout_ms, retries) : QMR_E_NO_MEMORY;
    return h;
  }

  // Opened as SNMPv2c with bulk walks.
  Handle open_bulk(uint32_t timeout_ms, uint32_t retries, int32_t *rc) {
    Handle h(reliability::open_handle());
    const QMRSecurityBlock none{};
    *rc = h ? QMRCommandString(h.get(), "CmdSetBulkWalk", "on") : QMR_E_NO_MEMORY;
    if (*rc == QMR_OK)
      *rc = QMRInitDeviceEx(h.get(), kProxyIp, reliability::kPublicIPv4, kSelectorV2c, &none, timeout_ms, retries);
    return h;
  }

  static StatusAgent *s_agent;
  static std::string s_error;
  uint64_t m_seed = kDefaultSeed;
  std::unique_ptr<LossyProxy> m_proxy;
};

StatusAgent *LossTest::s_agent = nullptr;
std::string LossTest::s_error;

TEST_F(LossTest, ThirtyPercentLossEachWayGivesTheLossFreeRecords) {
  int32_t rc;
  Handle clean = open(2000, 1, &rc);
  ASSERT_EQ(QMR_OK, rc);
  StatusSnapshot expected = read_full_status(clean.get());
  ASSERT_EQ(QMR_OK, expected.rc) << expected.failed_step;
  ASSERT_FALSE(expected.lists.empty());
  uint64_t exchanges = m_proxy->to_agent_counts().seen;

  const LossyProxy::Faults faults = lossy_link();
  m_proxy->set_faults(faults, faults);
  Handle lossy = open(kLossyTimeoutMs, kLossyRetries, &rc);
  ASSERT_EQ(QMR_OK, rc) << "seed " << m_seed;
  StatusSnapshot got = read_full_status(lossy.get());
  EXPECT_EQ(QMR_OK, got.rc) << got.failed_step << " (seed " << m_seed << ")";
  EXPECT_TRUE(got == expected) << "records differ from the loss-free read (seed " << m_seed << ")";
  // Whatever was read before a failure is the loss-free read's, never a
  // record pieced together from lost or repeated answers.
  if (got.rc != QMR_OK) {
    if (!got.options.empty()) {
      EXPECT_EQ(expected.options, got.options);
    }
    ASSERT_LE(got.lists.size(), expected.lists.size());
    for (size_t i = 0; i < got.lists.size(); ++i) EXPECT_EQ(expected.lists[i], got.lists[i]) << "list " << i;
  }

  LossyProxy::Counts up = m_proxy->to_agent_counts(), down = m_proxy->to_client_counts();
  up.seen -= exchanges;
  down.seen -= exchanges;
  printf("lossy read, seed %llu: %llu loss-free exchanges; to agent %llu seen %llu dropped %llu duplicated "
         "%llu reordered; to client %llu seen %llu dropped %llu duplicated %llu reordered\n",
         static_cast<unsigned long long>(m_seed), static_cast<unsigned long long>(exchanges),
         static_cast<unsigned long long>(up.seen), static_cast<unsigned long long>(up.dropped),
         static_cast<unsigned long long>(up.duplicated), static_cast<unsigned long long>(up.reordered),
         static_cast<unsigned long long>(down.seen), static_cast<unsigned long long>(down.dropped),
         static_cast<unsigned long long>(down.duplicated), static_cast<unsigned long long>(down.reordered));
  // The faults really happened, at about the rates asked for.
  if (got.rc == QMR_OK) {
    EXPECT_NEAR(faults.drop, static_cast<double>(up.dropped) / up.seen, 0.10);
    EXPECT_NEAR(faults.drop, static_cast<double>(down.dropped) / down.seen, 0.10);
  }
  EXPECT_GT(up.duplicated + down.duplicated, 0u);
  EXPECT_GT(up.reordered + down.reordered, 0u);
}

// Bulk walks read exactly the records of the row-by-row SNMPv1 read, in
// fewer exchanges (the single-object reads of the job and character-set
// lookups stay as they are), and keep doing so through lossy, duplicating
// and reordering links.
TEST_F(LossTest, BulkReadsGiveTheRowByRowRecordsAlsoUnderLoss) {
  int32_t rc;
  Handle rows = open(2000, 1, &rc);
  ASSERT_EQ(QMR_OK, rc);
  uint64_t before = m_proxy->to_agent_counts().seen;
  StatusSnapshot expected = read_full_status(rows.get());
  const uint64_t row_exchanges = m_proxy->to_agent_counts().seen - before;
  ASSERT_EQ(QMR_OK, expected.rc) << expected.failed_step;

  Handle bulk = open_bulk(2000, 1, &rc);
  ASSERT_EQ(QMR_OK, rc);
  before = m_proxy->to_agent_counts().seen;
  StatusSnapshot got = read_full_status(bulk.get());
  const uint64_t bulk_exchanges = m_proxy->to_agent_counts().seen - before;
  EXPECT_EQ(QMR_OK, got.rc) << got.failed_step;
  EXPECT_TRUE(got == expected) << "bulk records differ from the row-by-row read";
  EXPECT_LT(bulk_exchanges, row_exchanges);

  const LossyProxy::Faults faults = lossy_link();
  m_proxy->set_faults(faults, faults);
  Handle lossy = open_bulk(kLossyTimeoutMs, kLossyRetries, &rc);
  ASSERT_EQ(QMR_OK, rc) << "seed " << m_seed;
  got = read_full_status(lossy.get());
  EXPECT_EQ(QMR_OK, got.rc) << got.failed_step << " (seed " << m_seed << ")";
  EXPECT_TRUE(got == expected) << "lossy bulk records differ from the row-by-row read (seed " << m_seed << ")";
}

TEST_F(LossTest, TotalLossEndsEveryCallWithTheTimeOutAfterItsTries) {
  const int64_t bound = (kSilentRetries + 1) * static_cast<int64_t>(kSilentTimeoutMs) + kMarginMs;
  int32_t rc;
  Handle h = open(kSilentTimeoutMs, kSilentRetries, &rc);
  ASSERT_EQ(QMR_OK, rc);

  LossyProxy::Faults all;
  all.drop = 1.0;
  m_proxy->set_faults(all, all);
  // The proxy has taken in every datagram sent once the call returns: it
  // reads them before the call's last wait ends.
  auto sent = [this] { return m_proxy->to_agent_counts().seen; };
  for (const CallResult &call : call_every_read(h.get(), sent)) {
    printf("%s: %d after %lld ms, %llu requests\n", call.name.c_str(), call.rc,
           static_cast<long long>(call.elapsed_ms), static_cast<unsigned long long>(call.sent));
    EXPECT_EQ(QMR_E_TIMEOUT, call.rc) << call.name;
    EXPECT_LE(call.elapsed_ms, bound) << call.name;
    EXPECT_EQ(kSilentRetries + 1, call.sent) << call.name << " sends each try once, then gives up";
  }

  // Opening a device through total loss fails the same way.
  auto start = std::chrono::steady_clock::now();
  Handle second = open(kSilentTimeoutMs, kSilentRetries, &rc);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(QMR_E_TIMEOUT, rc);
  EXPECT_LE(ms, bound);
}

}  // namespace
