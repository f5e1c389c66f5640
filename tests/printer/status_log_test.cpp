// The "QMR" lines of failing status reads, caught by an appender on the
// shared log manager's root group.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log.h"
#include "log/log_config.h"
#include "log/log_manager.h"
#include "log/log_test_support.h"
#include "status_test_support.h"

using namespace status_test;

namespace {

constexpr char kQmrFailure[] = "QMR             , Error, ";

class StatusLog : public StatusAgentTest {
 protected:
  void SetUp() override {
    CTqcLogManager *manager = tqc_get_log_manager();
    ASSERT_NE(nullptr, manager);
    manager->reset();
    ITqcLoggerGroup *root = manager->get_group("All", nullptr);
    ASSERT_NE(nullptr, root);
    root->set_level_mask(kLogError);
    ASSERT_EQ(QMR_OK, root->add_appender(&m_lines));
  }
  void TearDown() override { tqc_log_silence(); }

  // The steps named by the QMR lines written so far.
  std::vector<std::string> steps() {
    std::vector<std::string> out;
    for (const std::string &line : m_lines.lines()) {
      const size_t at = line.find(kQmrFailure);
      if (at != std::string::npos) out.push_back(line.substr(at + sizeof kQmrFailure - 1));
    }
    return out;
  }

  logtest::CMemoryAppender m_lines;
};

TEST_F(StatusLog, LookupThatCannotBeNamedIsLogged) {
  QMR_REQUIRE_SNMPSIM();
  ASSERT_NE(nullptr, s_agent) << s_error;
  // A negative lookup value makes no OID: the lookup's add fails.
  StatusPtr status = open_reader(kAgentIp, "status-jobbad");
  int32_t count = -1;
  EXPECT_EQ(QMR_E_INVALID_ARG, status->refresh_jobs(0, &count));
  EXPECT_EQ((std::vector<std::string>{"pGetData->add_oid_string()"}), steps());
  QMRJobInfo job{};
  EXPECT_EQ(QMR_E_INDEX, status->get_job(0, &job));
}

TEST_F(StatusLog, WalkAndSetFailuresAreNamed) {
  QMR_REQUIRE_SNMPSIM();
  ASSERT_NE(nullptr, s_agent) << s_error;
  // No scenario answers this community: the walk times out.
  StatusPtr unanswered = open_reader(kAgentIp, "nobody-here", "", 200, 0);
  int32_t count = -1;
  EXPECT_EQ(QMR_E_TIMEOUT, unanswered->refresh_toners(&count));
  EXPECT_EQ((std::vector<std::string>{"pGetData->get_data()"}), steps());

  StatusPtr status = open_reader(kAgentIp, "status-cancel");
  EXPECT_EQ(QMR_E_OUT_OF_RANGE, status->cancel_job("LOCKED"));
  EXPECT_EQ((std::vector<std::string>{"pGetData->get_data()", "pGetData->set_data()"}), steps());
}

}  // namespace
