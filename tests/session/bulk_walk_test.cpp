// Bulk walks against an in-process SNMPv2c agent: for every table layout the
// walk through the bulk session must give exactly the rows of the row-by-row
// walk, in fewer exchanges, also when the agent refuses large answers or
// answers a GetBulkRequest with an error-status.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "session/bulk_walk.h"
#include "snmp/snmp_session.h"
#include "session/table_walk.h"
#include "session_test_util.h"

using namespace session_test;

namespace {

using Name = std::vector<uint32_t>;


// An SNMPv2c agent over a numerically ordered MIB of INTEGER objects:
// endOfMibView past its last object, GetBulkRequests answered repetition by
// repetition. `stuck` answers one OID for every GETNEXT step (a broken
// agent); `too_big_above` refuses more repetitions with tooBig (the
// request session's code, or the answer's error-status);
// `bulk_error` answers every GetBulkRequest with genErr. Non-repeaters are
// answered once each, before the repetitions; a GET gets its object or
// noSuchInstance.
class V2cAgent final : public InProcessAgent {
 public:
  std::map<Name, int32_t> mib;
  std::string stuck;
  uint32_t too_big_above = 0;
  bool too_big_in_answer = false;  // as an SNMPv3 session reports it
  bool bulk_error = false;
  uint32_t max_varbinds = 0;  // a GetBulkRequest's answer is cut after this many (0: no cut)
  std::vector<int64_t> bulk_repetitions;  // of each GetBulkRequest
  uint32_t get_next_requests = 0;
  uint32_t get_requests = 0;

  int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *) override {
    std::vector<Name> asked;
    for (uint32_t i = 0; i < count_of(pdu); ++i) asked.push_back(dotted_ids(name_at(pdu, i)));
    const bool bulk = pdu->get_type() == kTqsGetBulkRequest;
    if (pdu->get_type() == kTqsGetRequest) return answer_get(pdu, asked);
    const int64_t repetitions = bulk ? pdu->get_error_index() : 1;
    const size_t non_repeaters = bulk ? std::min<size_t>(pdu->get_error_status(), asked.size()) : 0;
    if (bulk) bulk_repetitions.push_back(repetitions);
    else ++get_next_requests;
    const bool too_big = bulk && too_big_above != 0 && repetitions > too_big_above;
    if (too_big && !too_big_in_answer) return QMR_E_TOO_BIG;
    pdu->set_type(kTqsResponse);
    pdu->set_error_status(too_big ? 1 : (bulk && bulk_error ? 5 : 0));
    pdu->set_error_index(0);
    if (too_big || (bulk && bulk_error)) return QMR_OK;
    TqcOwned<ITqsVarBindList> answer(tqs_create_var_bind_list());
    std::vector<Name> at = asked;
    for (int64_t r = -1; r < repetitions; ++r) {
      // Pass -1 answers the non-repeaters, the others repeat the rest.
      for (size_t i = r < 0 ? 0 : non_repeaters; i < (r < 0 ? non_repeaters : at.size()); ++i) {
        Name &name = at[i];
        if (bulk && max_varbinds != 0 && answer->count() == max_varbinds) break;
        auto it = stuck.empty() ? mib.upper_bound(name) : mib.find(dotted_ids(stuck));
        if (it == mib.end()) {
          answer->append_new(tqs_create_oid_from_text(dotted_text(name).c_str()), tqs_create_value(kTqsEndOfMibView));
          continue;
        }
        name = it->first;
        answer->append_new(tqs_create_oid_from_text(dotted_text(name).c_str()),
                           tqs_create_number_value(kTqsInteger, it->second));
      }
    }
    pdu->set_var_bind_list(answer.release());
    return QMR_OK;
  }

 private:
  int32_t answer_get(ITqsPdu *pdu, const std::vector<Name> &asked) {
    ++get_requests;
    TqcOwned<ITqsVarBindList> answer(tqs_create_var_bind_list());
    for (const Name &name : asked) {
      auto it = mib.find(name);
      answer->append_new(tqs_create_oid_from_text(dotted_text(name).c_str()),
                         it == mib.end() ? tqs_create_value(kTqsNoSuchInstance)
                                         : tqs_create_number_value(kTqsInteger, it->second));
    }
    pdu->set_type(kTqsResponse);
    pdu->set_var_bind_list(answer.release());
    return QMR_OK;
  }
};

constexpr char kEntry[] = "1.3.6.1.2.1.43.8.2.1";
const std::string kOther = "1.3.6.1.4.1.58114.8.59.16.1.1.5";

std::string col(int column) { return std::string(kEntry) + "." + std::to_string(column); }
std::string cell(int column, int row) { return col(column) + ".1." + std::to_string(row); }

// Every row as text: "name=value" per cell, "name=-" for an empty one.
std::vector<std::string> walk(ITqsSnmpSession *session, const std::vector<std::string> &columns, int32_t *rc) {
  TqcOwned<ITqsPduList> rows(tqs_create_pdu_list());
  auto pdu = request(kTqsGetNextRequest, columns);
  auto target = community_target("127.0.0.1", 161, 100, 0);
  TqcOwned<ITqsOid> root(tqs_create_oid_from_text(columns.front().c_str()));
  *rc = tqc_walk_table(session, pdu.get(), target.get(), root.get(), rows.get());
  std::vector<std::string> out;
  TqcOwned<ITqsListIterator> it(rows->new_iterator());
  for (ITqsPdu *p; (p = rows->element_at(it.get())) != nullptr; rows->step(it.get())) {
    std::string row;
    for (uint32_t i = 0; i < count_of(p); ++i)
      row += name_at(p, i) + "=" + (type_at(p, i) == kTqsNull ? "-" : std::to_string(int_at(p, i))) + " ";
    out.push_back(row);
  }
  return out;
}

struct Layout {
  const char *what;
  std::vector<std::pair<std::string, int32_t>> objects;
  std::vector<std::string> columns;
  std::string stuck;
  size_t rows;
};

std::vector<Layout> layouts() {
  std::vector<Layout> all;
  Layout full{"full table, then other data", {{"1.3.6.1.2.1.43.9.1.0", 99}}, {col(2), col(3)}, "", 40};
  for (int row = 1; row <= 40; ++row) {
    full.objects.push_back({cell(2, row), 20 + row});
    full.objects.push_back({cell(3, row), 30 + row});
  }
  all.push_back(full);
  Layout sparse{"sparse and missing columns", {}, {col(2), col(3), col(4), col(5)}, "", 9};
  for (int row = 1; row <= 9; ++row) {
    sparse.objects.push_back({cell(2, row), row});
    if (row % 3 != 0) sparse.objects.push_back({cell(3, row), 30 + row});
    sparse.objects.push_back({cell(5, row), 50 + row});
  }
  all.push_back(sparse);
  all.push_back({"first column gaps",
                 {{cell(2, 1), 21}, {cell(2, 3), 23}, {cell(3, 1), 31}, {cell(3, 2), 32}, {cell(3, 3), 33}},
                 {col(2), col(3)},
                 "",
                 2});
  all.push_back({"column of another table",
                 {{cell(2, 1), 21}, {cell(2, 2), 22}, {cell(2, 3), 23}, {kOther + ".7", 70}, {kOther + ".9", 90}},
                 {col(2), kOther},
                 "",
                 3});
  Layout end{"end of the agent's data inside the table", {}, {col(2), col(3)}, "", 5};
  for (int row = 1; row <= 5; ++row) end.objects.push_back({cell(2, row), row});
  for (int row = 1; row <= 3; ++row) end.objects.push_back({cell(3, row), row});
  all.push_back(end);
  all.push_back({"answers that do not move on", {{cell(2, 1), 21}}, {col(2)}, cell(2, 1), 1});
  all.push_back({"numeric index order", {{col(2) + ".9", 9}, {col(2) + ".10", 10}, {col(2) + ".11", 11}}, {col(2)}, "", 3});
  return all;
}

struct Fault {
  const char *what;
  uint32_t too_big_above;
  bool too_big_in_answer;
  bool bulk_error;
  uint32_t max_varbinds;
};

TEST(BulkWalk, RowsEqualTheRowByRowWalkInFewerExchanges) {
  const Fault faults[] = {{"no fault", 0, false, false, 0},
                          {"tooBig above 6 repetitions", 6, false, false, 0},
                          {"tooBig error-status above 6 repetitions", 6, true, false, 0},
                          {"genErr", 0, false, true, 0},
                          {"answers cut after one varbind", 0, false, false, 1}};
  auto bulk_target = community_target("127.0.0.1", 161, 100, 0);
  bulk_target->set_version(kTqsSnmpV2c);
  for (const Layout &layout : layouts()) {
    for (const Fault &fault : faults) {
      SCOPED_TRACE(std::string(layout.what) + ", " + fault.what);
      V2cAgent rows_agent, bulk_agent;
      for (const auto &o : layout.objects) rows_agent.mib[dotted_ids(o.first)] = bulk_agent.mib[dotted_ids(o.first)] = o.second;
      rows_agent.stuck = bulk_agent.stuck = layout.stuck;
      bulk_agent.too_big_above = fault.too_big_above;
      bulk_agent.too_big_in_answer = fault.too_big_in_answer;
      bulk_agent.bulk_error = fault.bulk_error;
      bulk_agent.max_varbinds = fault.max_varbinds;
      int32_t rows_rc = -1, bulk_rc = -1;
      const std::vector<std::string> expected = walk(&rows_agent, layout.columns, &rows_rc);
      TqcOwned<ITqsSnmpSession> bulk(tqc_create_bulk_walk_session(&bulk_agent, bulk_target.get()));
      ASSERT_TRUE(bulk);
      EXPECT_EQ(expected, walk(bulk.get(), layout.columns, &bulk_rc));
      EXPECT_EQ(QMR_OK, rows_rc);
      EXPECT_EQ(QMR_OK, bulk_rc);
      EXPECT_EQ(layout.rows, expected.size());
      ASSERT_FALSE(bulk_agent.bulk_repetitions.empty());
      if (fault.bulk_error) {
        // After the refused GetBulkRequest the walk goes on row by row.
        EXPECT_EQ(1u, bulk_agent.bulk_repetitions.size());
        EXPECT_EQ(rows_agent.get_next_requests, bulk_agent.get_next_requests);
      } else if (fault.max_varbinds != 0) {
        // Answers too short for the columns cost at most the one GetBulkRequest.
        EXPECT_LE(bulk_agent.bulk_repetitions.size() + bulk_agent.get_next_requests, rows_agent.get_next_requests + 1);
      } else {
        EXPECT_EQ(0u, bulk_agent.get_next_requests);
        if (layout.rows > 3) {
          EXPECT_LT(bulk_agent.bulk_repetitions.size(), rows_agent.get_next_requests);
        }
      }
      if (fault.too_big_above != 0) {
        // Refused sizes are halved until one passes, and not asked for again.
        const size_t first_fit = std::find_if(bulk_agent.bulk_repetitions.begin(), bulk_agent.bulk_repetitions.end(),
                                              [&](int64_t r) { return r <= fault.too_big_above; }) -
                                 bulk_agent.bulk_repetitions.begin();
        for (size_t i = first_fit; i < bulk_agent.bulk_repetitions.size(); ++i)
          EXPECT_LE(bulk_agent.bulk_repetitions[i], fault.too_big_above);
        for (size_t i = 1; i <= first_fit && i < bulk_agent.bulk_repetitions.size(); ++i)
          EXPECT_EQ(bulk_agent.bulk_repetitions[i - 1] / 2, bulk_agent.bulk_repetitions[i]);
      }
    }
  }
}

// One value by GET, as text: "type:value".
std::string get(ITqsSnmpSession *session, const std::string &name) {
  auto pdu = request(kTqsGetRequest, {name});
  auto target = community_target("127.0.0.1", 161, 100, 0);
  if (session->send_sync(pdu.get(), target.get()) != QMR_OK) return "failed";
  return std::to_string(type_at(pdu.get(), 0)) + ":" + std::to_string(int_at(pdu.get(), 0));
}

TEST(BulkWalk, PlannedReadsOfOneCallShareTheFirstExchange) {
  const std::string scalar = "1.3.6.1.2.1.1.5.0", absent = "1.3.6.1.2.1.1.6.0", empty = "1.3.6.1.2.1.43.9.2.1.2";
  V2cAgent rows_agent, bulk_agent;
  for (V2cAgent *agent : {&rows_agent, &bulk_agent}) {
    agent->mib[dotted_ids(scalar)] = 5;
    agent->mib[dotted_ids("1.3.6.1.2.1.1.7.0")] = 7;  // follows the absent instance
    for (int row = 1; row <= 3; ++row) agent->mib[dotted_ids(cell(2, row))] = row;
    agent->mib[dotted_ids(kOther + ".7")] = 70;
  }
  auto bulk_target = community_target("127.0.0.1", 161, 100, 0);
  bulk_target->set_version(kTqsSnmpV2c);
  TqcOwned<ITqcBulkShare> share(tqc_create_bulk_share());
  ASSERT_TRUE(share);
  const std::string table = col(2);
  const char *const table_walk[] = {table.c_str()}, *const empty_walk[] = {empty.c_str()};
  ASSERT_EQ(QMR_OK, share->plan_get("1.3.6.1.2.1.1.5", true));
  ASSERT_EQ(QMR_OK, share->plan_walk(table_walk, 1));
  ASSERT_EQ(QMR_OK, share->plan_walk(empty_walk, 1));
  ASSERT_EQ(QMR_OK, share->plan_get(absent.c_str(), false));
  auto session = [&] { return TqcOwned<ITqsSnmpSession>(tqc_create_bulk_walk_session(&bulk_agent, bulk_target.get(), nullptr, share.get())); };
  int32_t rc = -1;
  // The first GET's exchange asks every planned read's first step, and
  // the first planned walk's rows.
  EXPECT_EQ(get(&rows_agent, scalar), get(session().get(), scalar));
  EXPECT_EQ(1u, bulk_agent.bulk_repetitions.size());
  // The walks and the other scalar then take no exchange; the GETNEXT
  // before an absent instance finds another object, so its GET goes out.
  EXPECT_EQ(walk(&rows_agent, {table}, &rc), walk(session().get(), {table}, &rc));
  EXPECT_EQ(walk(&rows_agent, {empty}, &rc), walk(session().get(), {empty}, &rc));
  EXPECT_EQ(get(&rows_agent, absent), get(session().get(), absent));
  EXPECT_EQ(1u, bulk_agent.bulk_repetitions.size());
  EXPECT_EQ(0u, bulk_agent.get_next_requests);
  EXPECT_EQ(1u, bulk_agent.get_requests);
}

TEST(BulkWalk, RequestsOtherThanGetNextPassUnchanged) {
  V2cAgent agent;
  agent.mib[dotted_ids(cell(2, 1))] = 21;
  auto target = community_target("127.0.0.1", 161, 100, 0);
  TqcOwned<ITqsSnmpSession> bulk(tqc_create_bulk_walk_session(&agent, target.get()));
  auto get = request(kTqsGetRequest, {cell(2, 1)});
  EXPECT_EQ(QMR_OK, bulk->send_sync(get.get(), target.get()));
  EXPECT_TRUE(agent.bulk_repetitions.empty());
  EXPECT_EQ(nullptr, tqc_create_bulk_walk_session(nullptr, target.get()));
}

}  // namespace
