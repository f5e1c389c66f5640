// The façade against a real agent: snmpsimd serving tests/data/session-printer.snmprec
// on 127.77.5.1:161. Needs root (skipped otherwise).
#include <gtest/gtest.h>

#include <string>

#include "session/get_data.h"
#include "session_test_util.h"
#include "support/status_agent.h"

using namespace session_test;

namespace {

constexpr char kAgentIp[] = "127.77.5.1";
constexpr char kCommunity[] = "session-printer";
constexpr char kTrayEntry[] = "1.3.6.1.2.1.43.8.2.1";

class SnmpsimAcceptance : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run()) return;
    s_agent = tqs_started_or_null(new TestDataAgent(kAgentIp, kCommunity, kCommunity), &s_error);
  }
  static void TearDownTestSuite() {
    delete s_agent;
    s_agent = nullptr;
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    ASSERT_NE(nullptr, s_agent) << s_error;
    m_getData = fresh();
    ASSERT_NE(nullptr, m_getData);
  }
  void TearDown() override {
    if (m_getData) m_getData->destroy();
  }
  // A façade set up for the agent, as the printer code makes one per read.
  static ITqcGetData *fresh() {
    ITqcGetData *g = tqc_create_get_data();
    if (g == nullptr || g->set_community(kCommunity) != QMR_OK ||
        g->init(kAgentIp, ITqcNetworkAddress::IPv4, 161, 0, nullptr, 2000, 1, 0) != QMR_OK) {
      if (g) g->destroy();
      return nullptr;
    }
    return g;
  }

  ITqcGetData *m_getData = nullptr;
  static TestDataAgent *s_agent;
  static std::string s_error;
};

TestDataAgent *SnmpsimAcceptance::s_agent = nullptr;
std::string SnmpsimAcceptance::s_error;

std::string column(const char *entry, int n) { return std::string(entry) + "." + std::to_string(n); }

std::vector<ITqsPdu *> rows_of(ITqsPduList *rows) {
  std::vector<ITqsPdu *> out;
  TqcOwned<ITqsListIterator> it(rows->new_iterator());
  for (ITqsPdu *p; (p = rows->element_at(it.get())) != nullptr; rows->step(it.get())) out.push_back(p);
  return out;
}

}  // namespace

TEST_F(SnmpsimAcceptance, ScalarsReadAsTextAndNumbers) {
  ASSERT_EQ(QMR_OK, m_getData->add_oid_string("1.3.6.1.2.1.1.1", 1));
  char text[64] = {};
  ASSERT_EQ(QMR_OK, m_getData->get_data(text, sizeof(text)));
  EXPECT_STREQ("Quince DZR printer", text);

  ITqcGetData *g = fresh();
  ASSERT_NE(nullptr, g);
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.2", 1));
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.7", 1));
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.43.10.2.1.4.1.1", 0));
  int32_t values[3] = {};
  ASSERT_EQ(QMR_OK, g->get_data(values, 3));
  EXPECT_EQ(-1, values[0]);  // an OID value
  EXPECT_EQ(72, values[1]);
  EXPECT_EQ(-1, values[2]);  // a Counter32
  g->destroy();

  g = fresh();
  ASSERT_NE(nullptr, g);
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.2", 1));
  char oid_text[8];
  ASSERT_EQ(QMR_OK, g->get_data(oid_text, sizeof(oid_text)));
  EXPECT_STREQ("1.3.6.1", oid_text);  // cut to the buffer
  g->destroy();
}

TEST_F(SnmpsimAcceptance, SparseTableWalkKeepsRowsAligned) {
  // Column 3 lacks row 2 and column 4 does not exist at all.
  for (int n : {2, 3, 4, 5, 13}) ASSERT_EQ(QMR_OK, m_getData->add_oid_string(column(kTrayEntry, n).c_str(), 0));
  TqcOwned<ITqsPduList> rows(tqs_create_pdu_list());
  ASSERT_EQ(QMR_OK, m_getData->get_data(rows.get(), column(kTrayEntry, 2).c_str()));
  const auto list = rows_of(rows.get());
  ASSERT_EQ(3u, list.size());
  for (int r = 1; r <= 3; ++r) {
    const ITqsPdu *row = list[r - 1];
    ASSERT_EQ(5u, count_of(row));
    EXPECT_EQ(column(kTrayEntry, 2) + ".1." + std::to_string(r), name_at(row, 0));
    EXPECT_EQ(3 + r, int_at(row, 0));
    EXPECT_EQ(r == 2 ? -1 : 30 + r, int_at(row, 1)) << r;
    EXPECT_EQ(kTqsNull, type_at(row, 2));
    EXPECT_EQ(50 + r, int_at(row, 3));
    EXPECT_EQ("Tray " + std::to_string(r), text_at(row, 4));
  }
  EXPECT_EQ(kTqsNull, type_at(list[1], 1));
  EXPECT_EQ(column(kTrayEntry, 3) + ".1.2", name_at(list[1], 1));
}

TEST_F(SnmpsimAcceptance, WalkReachingTheEndOfTheAgentsData) {
  const std::string jobs = "1.3.6.1.4.1.58114.8.59.6.1.1";
  ASSERT_EQ(QMR_OK, m_getData->add_oid_string((jobs + ".9").c_str(), 0));
  ASSERT_EQ(QMR_OK, m_getData->add_oid_string((jobs + ".4").c_str(), 0));
  TqcOwned<ITqsPduList> rows(tqs_create_pdu_list());
  ASSERT_EQ(QMR_OK, m_getData->get_data(rows.get(), (jobs + ".9").c_str()));
  const auto list = rows_of(rows.get());
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(17, int_at(list[0], 0));
  EXPECT_EQ("1.3.6.1.4.1.58114.8.58.2.1", text_at(list[0], 1));
  EXPECT_EQ(18, int_at(list[1], 0));
  EXPECT_EQ("1.3.6.1.4.1.58114.8.58.2.2", text_at(list[1], 1));
}

TEST_F(SnmpsimAcceptance, SetIsWrittenAndRefusalIsReported) {
  ASSERT_EQ(QMR_OK, m_getData->add_oid_string("1.3.6.1.4.1.58114.8.5", "1.0", 7));
  ASSERT_EQ(QMR_OK, m_getData->set_data());

  ITqcGetData *g = fresh();
  ASSERT_NE(nullptr, g);
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.4.1.58114.8.5.1.0", 0));
  int32_t value = 0;
  ASSERT_EQ(QMR_OK, g->get_data(&value));
  EXPECT_EQ(7, value);
  g->destroy();

  // sysServices is read-only in the data file.
  g = fresh();
  ASSERT_NE(nullptr, g);
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.7", "0", 1));
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, g->set_data());
  g->destroy();
}
