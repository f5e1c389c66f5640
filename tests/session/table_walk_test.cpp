// The aligned multi-column walk against an in-process agent with SNMPv1
// GETNEXT rules, so that sparse tables can be laid out exactly.
#include <gtest/gtest.h>

#include <map>

#include "session/table_walk.h"
#include "snmp/snmp_session.h"
#include "session_test_util.h"

using namespace session_test;

namespace {


// An SNMPv1 agent over a numerically ordered MIB of INTEGER objects. Past
// its last object it answers noSuchName, echoing the request.
class FakeAgent final : public InProcessAgent {
 public:
  void add(const std::string &oid, int32_t value) { m_mib[dotted_ids(oid)] = value; }
  // Every request as the list of names asked for.
  std::vector<std::vector<std::string>> requests;
  // Answers with exactly this OID for every varbind (a broken agent).
  std::string stuck;

  int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *) override {
    std::vector<std::string> asked;
    for (uint32_t i = 0; i < count_of(pdu); ++i) asked.push_back(name_at(pdu, i));
    requests.push_back(asked);
    pdu->set_type(kTqsResponse);
    pdu->set_error_status(0);
    pdu->set_error_index(0);
    ITqsVarBindList *list = pdu->get_var_bind_list();
    for (uint32_t i = 0; i < asked.size(); ++i) {
      ITqsVarBind *vb = list->get_at(i);
      std::vector<uint32_t> name = dotted_ids(stuck.empty() ? asked[i] : stuck);
      int32_t value = 0;
      if (stuck.empty()) {
        auto it = m_mib.upper_bound(name);
        if (it == m_mib.end()) {
          pdu->set_error_status(2);
          pdu->set_error_index(i + 1);
          return QMR_OK;  // echoed request
        }
        name = it->first;
        value = it->second;
      }
      vb->set(tqs_create_oid_from_text(dotted_text(name).c_str()), tqs_create_number_value(kTqsInteger, value));
    }
    return QMR_OK;
  }

 private:
  std::map<std::vector<uint32_t>, int32_t> m_mib;
};

constexpr char kEntry[] = "1.3.6.1.2.1.43.8.2.1";

std::string col(int column) { return std::string(kEntry) + "." + std::to_string(column); }
std::string cell(int column, int row) { return col(column) + ".1." + std::to_string(row); }

struct Walk {
  TqcOwned<ITqsPduList> rows{tqs_create_pdu_list()};
  std::vector<ITqsPdu *> list;
  int32_t rc = 0;
};

Walk walk(FakeAgent &agent, const std::vector<std::string> &columns, const std::string &root) {
  Walk w;
  auto pdu = request(kTqsGetNextRequest, columns);
  auto target = community_target("127.0.0.1", 161, 100, 0);
  TqcOwned<ITqsOid> root_oid(tqs_create_oid_from_text(root.c_str()));
  w.rc = tqc_walk_table(&agent, pdu.get(), target.get(), root_oid.get(), w.rows.get());
  TqcOwned<ITqsListIterator> it(w.rows->new_iterator());
  for (ITqsPdu *p; (p = w.rows->element_at(it.get())) != nullptr; w.rows->step(it.get())) w.list.push_back(p);
  return w;
}

bool is_empty_cell(const ITqsPdu *row, uint32_t i) { return type_at(row, i) == kTqsNull; }

}  // namespace

TEST(TableWalk, FullTableGivesOneRowPerIndexAndEndsPastTheColumn) {
  FakeAgent agent;
  for (int row = 1; row <= 3; ++row) {
    agent.add(cell(2, row), 20 + row);
    agent.add(cell(3, row), 30 + row);
  }
  agent.add("1.3.6.1.2.1.43.9.1.0", 99);
  Walk w = walk(agent, {col(2), col(3)}, col(2));
  ASSERT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(3u, w.list.size());
  for (int row = 1; row <= 3; ++row) {
    const ITqsPdu *p = w.list[row - 1];
    ASSERT_EQ(2u, count_of(p));
    EXPECT_EQ(cell(2, row), name_at(p, 0));
    EXPECT_EQ(20 + row, int_at(p, 0));
    EXPECT_EQ(30 + row, int_at(p, 1));
  }
  EXPECT_EQ(4u, agent.requests.size());
}

TEST(TableWalk, SparseTableKeepsRowsAligned) {
  FakeAgent agent;
  // Column 3 lacks row 2; column 4 is missing entirely; column 5 is full.
  for (int row = 1; row <= 3; ++row) {
    agent.add(cell(2, row), 20 + row);
    if (row != 2) agent.add(cell(3, row), 30 + row);
    agent.add(cell(5, row), 50 + row);
  }
  Walk w = walk(agent, {col(2), col(3), col(4), col(5)}, col(2));
  ASSERT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(3u, w.list.size());
  for (int row = 1; row <= 3; ++row) {
    const ITqsPdu *p = w.list[row - 1];
    ASSERT_EQ(4u, count_of(p));
    EXPECT_EQ(20 + row, int_at(p, 0));
    if (row == 2) {
      EXPECT_TRUE(is_empty_cell(p, 1));
      EXPECT_EQ(cell(3, 2), name_at(p, 1));
      EXPECT_EQ(-1, int_at(p, 1));
    } else {
      EXPECT_EQ(30 + row, int_at(p, 1));
    }
    EXPECT_TRUE(is_empty_cell(p, 2));
    EXPECT_EQ(cell(4, row), name_at(p, 2));
    EXPECT_EQ(50 + row, int_at(p, 3)) << row;
  }
  // After the missing cell, column 3 asked again from row 2 of its own column.
  ASSERT_GE(agent.requests.size(), 3u);
  EXPECT_EQ(cell(3, 2), agent.requests[2][1]);
}

TEST(TableWalk, FirstColumnGapsDoNotShiftOtherColumns) {
  FakeAgent agent;
  // Row 2 exists in column 3 only: it is no row of the walk.
  agent.add(cell(2, 1), 21);
  agent.add(cell(2, 3), 23);
  agent.add(cell(3, 1), 31);
  agent.add(cell(3, 2), 32);
  agent.add(cell(3, 3), 33);
  Walk w = walk(agent, {col(2), col(3)}, col(2));
  ASSERT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(2u, w.list.size());
  EXPECT_EQ(31, int_at(w.list[0], 1));
  EXPECT_TRUE(is_empty_cell(w.list[1], 1));  // the agent offered row 2 for row 3
  EXPECT_EQ(cell(3, 3), name_at(w.list[1], 1));
}

TEST(TableWalk, ColumnsOfOtherTablesFollowTheirOwnOrder) {
  FakeAgent agent;
  // Three jobs; a second table (other entry) with two rows of its own index.
  for (int row = 1; row <= 3; ++row) agent.add(cell(2, row), 20 + row);
  const std::string other = "1.3.6.1.4.1.58114.8.59.16.1.1.5";
  agent.add(other + ".7", 70);
  agent.add(other + ".9", 90);
  agent.add("1.3.6.1.4.1.58114.8.59.16.1.1.6.1", 1);
  Walk w = walk(agent, {col(2), other}, col(2));
  ASSERT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(3u, w.list.size());
  EXPECT_EQ(70, int_at(w.list[0], 1));
  EXPECT_EQ(90, int_at(w.list[1], 1));
  EXPECT_TRUE(is_empty_cell(w.list[2], 1));
  EXPECT_EQ(other, name_at(w.list[2], 1));
}

TEST(TableWalk, EndOfAgentDataEndsTheWalkWithTheRowsSoFar) {
  FakeAgent agent;
  for (int row = 1; row <= 2; ++row) {
    agent.add(cell(2, row), 20 + row);
    agent.add(cell(3, row), 30 + row);
  }
  // Column 3 is the agent's last: its third GETNEXT gets noSuchName.
  Walk w = walk(agent, {col(3)}, col(3));
  EXPECT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(2u, w.list.size());
  EXPECT_EQ(32, int_at(w.list[1], 0));
  EXPECT_EQ(3u, agent.requests.size());
}

TEST(TableWalk, ColumnRunningOffTheEndOfDataIsDroppedNotTheWalk) {
  FakeAgent agent;
  // Column 2 has three rows; the other table, last in the data, has one.
  for (int row = 1; row <= 3; ++row) agent.add(cell(2, row), 20 + row);
  const std::string last = "1.3.6.1.4.1.58114.8.59.16.1.1.5";
  agent.add(last + ".1", 7);
  Walk w = walk(agent, {col(2), last}, col(2));
  ASSERT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(3u, w.list.size());
  EXPECT_EQ(7, int_at(w.list[0], 1));
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(20 + row, int_at(w.list[row - 1], 0));
    if (row > 1) {
      EXPECT_TRUE(is_empty_cell(w.list[row - 1], 1));
    }
  }
}

TEST(TableWalk, AnswersThatDoNotMoveOnEndTheWalk) {
  FakeAgent agent;
  agent.add(cell(2, 1), 21);
  agent.stuck = cell(2, 1);
  Walk w = walk(agent, {col(2)}, col(2));
  EXPECT_EQ(QMR_OK, w.rc);
  EXPECT_EQ(1u, w.list.size());  // the repeated row is not taken twice
  EXPECT_EQ(2u, agent.requests.size());
}

TEST(TableWalk, IndexesAreOrderedByNumberNotText) {
  FakeAgent agent;
  for (int row : {9, 10, 11}) agent.add(col(2) + "." + std::to_string(row), row);
  Walk w = walk(agent, {col(2)}, col(2));
  ASSERT_EQ(QMR_OK, w.rc);
  ASSERT_EQ(3u, w.list.size());
  EXPECT_EQ(11, int_at(w.list[2], 0));
}

TEST(TableWalk, RequestWithoutColumnsHasNoValue) {
  FakeAgent agent;
  Walk w = walk(agent, {}, col(2));
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, w.rc);
  EXPECT_TRUE(agent.requests.empty());
}
