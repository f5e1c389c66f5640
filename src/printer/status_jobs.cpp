// Job records from the printer maker's private job tables.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "printer/device_status.h"
#include "printer/device_type_tables.h"
#include "printer/printer_read.h"
#include "printer/status_row.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"

namespace {

constexpr char kJobTypeColumn[] = "1.3.6.1.4.1.58114.8.59.6.1.1.4";
constexpr char kLookupColumn1[] = "1.3.6.1.4.1.58114.8.59.6.1.1.5";
constexpr char kLookupColumn2[] = "1.3.6.1.4.1.58114.8.59.6.1.1.6";
constexpr char kLookupColumn3[] = "1.3.6.1.4.1.58114.8.59.10.1.1.7";

// Rows are those of the job-type column; the other tables follow along.
constexpr const char *kJobColumns[] = {
    kJobTypeColumn,
    "1.3.6.1.4.1.58114.8.59.6.1.1.9",
    "1.3.6.1.4.1.58114.8.59.6.1.1.10",
    "1.3.6.1.4.1.58114.8.59.16.1.1.5",
    "1.3.6.1.4.1.58114.8.59.16.1.1.6",
    kLookupColumn1,
    kLookupColumn2,
    kLookupColumn3,
    "1.3.6.1.4.1.58114.8.59.6.1.1.3",
    "1.3.6.1.4.1.58114.8.59.10.1.1.10",
    "1.3.6.1.4.1.58114.8.59.16.1.1.4",
    "1.3.6.1.4.1.58114.8.59.16.1.1.7",
};
enum {
  kJobType,
  kJobClass,
  kJobValue2,
  kJobUnsigned1,
  kJobUnsigned2,
  kJobLookup1,
  kJobLookup2,
  kJobLookup3,
  kJobText,
  kJobTime1,
  kJobTime2,
  kJobTime3,
};

// The texts behind the lookup columns, by "X.N.charset".
constexpr char kLookupTextColumn[] = "1.3.6.1.4.1.58114.8.51.5.1.1.4";
constexpr uint32_t kPrivateCharSet = 1;

constexpr uint32_t kAllJobs = 0;
constexpr uint32_t kOtherJobs = 1;
constexpr uint32_t kClass17Jobs = 2;
constexpr int32_t kJobClass17 = 17;

// The job identifier: after two leading index sub-identifiers, an octet
// string of eight octets without its length.
constexpr uint32_t kJobIdSkippedIds = 2;
constexpr int32_t kJobIdOctets = 8;

// DateAndTime: year (two octets, high first), month, day, hour, minute,
// second; deci-seconds and the zone are not kept.
constexpr size_t kDateAndTimeOctets = 7;
constexpr size_t kTimeStampFields = 6;

constexpr size_t kLookupOidSize = 128;

int16_t widened(uint8_t octet) { return static_cast<int16_t>(static_cast<int8_t>(octet)); }

void convert_time_stamp(const CQMRStatusRow &row, size_t column, int16_t (&stamp)[kTimeStampFields]) {
  // Octets as received: a zero octet (midnight, a whole minute) is a value.
  uint8_t octets[kDateAndTimeOctets];
  row.bytes(column, octets, sizeof octets);
  stamp[0] = static_cast<int16_t>(octets[0] * 256 + octets[1]);
  for (size_t i = 1; i < kTimeStampFields; ++i) stamp[i] = widened(octets[i + 1]);
}

bool selected(uint32_t selector, int32_t jobClass) {
  return selector == kAllJobs || (selector == kOtherJobs && jobClass != kJobClass17) ||
         (selector == kClass17Jobs && jobClass == kJobClass17);
}

// The identifier encoded in the index of the job's lookup-3 cell.
int32_t decode_job_id(const CQMRStatusRow &row, char (&jobId)[256]) {
  ITqsOid *index = nullptr;
  int32_t rc = row.index_of(kJobLookup3, kLookupColumn3, &index);
  if (rc != QMR_OK) return rc;
  TqcOwned<ITqsOid> owned(index);
  if ((rc = owned->remove(0, kJobIdSkippedIds)) != QMR_OK) return rc;
  TqcOwned<ITqsSnmpValue> octets(tqs_create_value(kTqsOctetString, &rc));
  if (!octets) return rc;
  if ((rc = octets->read_index(owned.get(), true, kJobIdOctets)) != QMR_OK) return rc;
  uint32_t length = 0;
  const uint8_t *bytes = octets->get_bytes(&length);
  std::memset(jobId, 0, sizeof jobId);
  for (uint32_t i = 0; bytes != nullptr && i < length && bytes[i] != 0; ++i)
    jobId[i] = static_cast<char>(bytes[i]);
  return QMR_OK;
}

}  // namespace

int32_t CQMRDeviceStatus::refresh_jobs(uint32_t selector, int32_t *count) {
  if (selector > kClass17Jobs || count == nullptr) return QMR_E_INVALID_ARG;
  // In bulk mode the character-set lookup's exchange also starts the walk.
  CQMRReadPlan plan(target(false));
  plan.walk(kJobColumns);
  const CQMRPlanScope scope(&m_pBulkShare, plan.share());
  // The lookup texts are read in the private character set.
  if (m_privateCharSet == 0) {
    int32_t charSet = 0;
    const int32_t rc = read_char_set(kPrivateCharSet, &charSet);
    if (rc != QMR_OK) return rc;
  }
  m_jobs.clear();
  TqcOwned<ITqsPduList> rows;
  int32_t rc = walk_table(kJobColumns, std::size(kJobColumns), &rows);
  if (rc != QMR_OK) return rc;
  // A failure inside a row ends the refresh; the jobs before it stay.
  rc = qmr_for_each_row(rows.get(), [&](const ITqsPdu *row, uint32_t) {
    QMRJobInfo job{};
    int32_t code = fill_job(CQMRStatusRow(row), &job);
    if (code == QMR_OK && selected(selector, job.jobClass)) code = qmr_append_record(&m_jobs, job);
    return code;
  });
  if (rc != QMR_OK) return rc;
  *count = static_cast<int32_t>(m_jobs.size());
  return QMR_OK;
}

int32_t CQMRDeviceStatus::fill_job(const CQMRStatusRow &row, QMRJobInfo *job) const {
  char typeText[sizeof job->jobText];
  row.text(kJobType, typeText);
  job->jobType = qmr_job_type_code(typeText);
  job->jobClass = row.integer(kJobClass);
  job->jobValue2 = row.integer(kJobValue2);
  job->unsignedValue1 = row.unsigned_number(kJobUnsigned1);
  job->unsignedValue2 = row.unsigned_number(kJobUnsigned2);
  int32_t rc = lookup_text(row, kJobLookup1, kLookupColumn1, job->lookupText1, sizeof job->lookupText1);
  if (rc == QMR_OK)
    rc = lookup_text(row, kJobLookup2, kLookupColumn2, job->lookupText2, sizeof job->lookupText2);
  if (rc == QMR_OK)
    rc = lookup_text(row, kJobLookup3, kLookupColumn3, job->lookupText3, sizeof job->lookupText3);
  // A job without a lookup-3 cell has no identifier to decode.
  if (rc == QMR_OK && !row.missing(kJobLookup3)) rc = decode_job_id(row, job->jobId);
  if (rc != QMR_OK) return rc;
  row.text(kJobText, job->jobText);
  convert_time_stamp(row, kJobTime1, job->timeStamp1);
  convert_time_stamp(row, kJobTime2, job->timeStamp2);
  convert_time_stamp(row, kJobTime3, job->timeStamp3);
  return QMR_OK;
}

int32_t CQMRDeviceStatus::lookup_text(const CQMRStatusRow &row, size_t column,
                                      const char *columnOid, char *field, size_t width) const {
  std::memset(field, 0, width);
  // A cell the device lacks names no text.
  if (row.missing(column)) return QMR_OK;
  uint32_t tableIndex = 0;
  int32_t rc = row.first_index(column, columnOid, &tableIndex);
  if (rc != QMR_OK) return rc;
  char instance[kLookupOidSize];
  std::snprintf(instance, sizeof instance, "%s.%" PRIu32 ".%" PRId32 ".%" PRId32, kLookupTextColumn,
                tableIndex, row.integer(column), m_privateCharSet);
  return qmr_read_text(target(false), instance, EQMRInstance::kExact, field, width,
                       EQMRReadLog::kSilent);
}
