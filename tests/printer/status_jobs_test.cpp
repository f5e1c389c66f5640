// Job records and character sets against snmpsimd.
#include <gtest/gtest.h>

#include <vector>

#include "status_test_support.h"

using namespace status_test;

namespace {

using StatusJobs = StatusAgentTest;

std::vector<int16_t> stamp(const int16_t (&s)[6]) { return std::vector<int16_t>(s, s + 6); }

TEST_F(StatusJobs, SelectorsSplitTheJobsByClass17) {
  StatusPtr status = open_reader(kAgentIp, "status-jobs");
  // Classes 17, 5, 17, 5, 5.
  const struct {
    uint32_t selector;
    int32_t count;
  } cases[] = {{0, 5}, {1, 3}, {2, 2}};
  for (const auto &c : cases) {
    int32_t count = -1;
    ASSERT_EQ(QMR_OK, status->refresh_jobs(c.selector, &count)) << c.selector;
    EXPECT_EQ(c.count, count) << c.selector;
    for (int32_t i = 0; i < count; ++i) {
      QMRJobInfo job{};
      ASSERT_EQ(QMR_OK, status->get_job(static_cast<uint32_t>(i), &job));
      if (c.selector == 1) {
        EXPECT_NE(17, job.jobClass);
      } else if (c.selector == 2) {
        EXPECT_EQ(17, job.jobClass);
      }
    }
  }
  int32_t count = 99;
  EXPECT_EQ(QMR_E_INVALID_ARG, status->refresh_jobs(3, &count));
  EXPECT_EQ(99, count);
}

TEST_F(StatusJobs, JobRecordFields) {
  StatusPtr status = open_reader(kAgentIp, "status-jobs");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_jobs(0, &count));
  ASSERT_EQ(5, count);
  QMRJobInfo job[5];
  for (uint32_t i = 0; i < 5; ++i) ASSERT_EQ(QMR_OK, status->get_job(i, &job[i]));

  EXPECT_EQ(3, job[0].jobType);
  EXPECT_EQ(17, job[0].jobClass);
  EXPECT_EQ(101, job[0].jobValue2);
  EXPECT_EQ(4000000000u, job[0].unsignedValue1);  // Counter32
  EXPECT_EQ(1234u, job[0].unsignedValue2);        // INTEGER
  // Texts looked up by "X.N.106" in the private character set.
  EXPECT_STREQ("Owner 1", job[0].lookupText1);
  EXPECT_STREQ("Document 1", job[0].lookupText2);
  EXPECT_STREQ("State 1", job[0].lookupText3);
  EXPECT_STREQ("JOB00001", job[0].jobId);  // from the eight-octet index
  EXPECT_STREQ("Job text 1", job[0].jobText);
  EXPECT_EQ((std::vector<int16_t>{2013, 5, 9, 14, 7, 30}), stamp(job[0].timeStamp1));
  EXPECT_EQ((std::vector<int16_t>{2013, 5, 9, 0, 0, 0}), stamp(job[0].timeStamp2));
  EXPECT_EQ((std::vector<int16_t>{2014, 12, 31, 15, 30, 45}), stamp(job[0].timeStamp3));

  // Type "...58.2.13" is not in the table; Gauge32 values above 2^31.
  EXPECT_EQ(0, job[1].jobType);
  EXPECT_EQ(4294967295u, job[1].unsignedValue1);
  EXPECT_EQ(3000000000u, job[1].unsignedValue2);
  EXPECT_EQ((std::vector<int16_t>{2013, 5, 9, 0, 0, 0}), stamp(job[1].timeStamp1));  // midnight
  EXPECT_STREQ("JOB00002", job[1].jobId);

  // No text behind the second lookup: the field stays empty.
  EXPECT_EQ(12, job[2].jobType);
  EXPECT_STREQ("Owner 3", job[2].lookupText1);
  EXPECT_STREQ("", job[2].lookupText2);
  EXPECT_EQ(7u, job[2].unsignedValue1);
  EXPECT_EQ(0u, job[2].unsignedValue2);
  EXPECT_EQ((std::vector<int16_t>{2013, 5, 9, 0, 7, 30}), stamp(job[2].timeStamp1));

  EXPECT_EQ(1, job[3].jobType);
  EXPECT_EQ((std::vector<int16_t>{2013, 5, 9, 14, 0, 5}), stamp(job[3].timeStamp1));
  EXPECT_EQ(repeated('T', 255), std::string(job[3].jobText));

  // "...58.2" without a number; no cells in the unsigned columns (-1);
  // an eleven-octet DateAndTime with its zone.
  EXPECT_EQ(0, job[4].jobType);
  EXPECT_EQ(0xFFFFFFFFu, job[4].unsignedValue1);
  EXPECT_EQ(0xFFFFFFFFu, job[4].unsignedValue2);
  EXPECT_EQ((std::vector<int16_t>{2023, 12, 31, 23, 59, 59}), stamp(job[4].timeStamp1));
  EXPECT_STREQ("State 5", job[4].lookupText3);
}

TEST_F(StatusJobs, CharacterSetsFollowTheLocalizationRow) {
  StatusPtr status = open_reader(kAgentIp, "status-jobs");
  int32_t value = -1;
  ASSERT_EQ(QMR_OK, status->read_char_set(0, &value));
  EXPECT_EQ(3, value);
  ASSERT_EQ(QMR_OK, status->read_char_set(1, &value));
  EXPECT_EQ(106, value);
}

}  // namespace
