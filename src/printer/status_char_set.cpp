// The character-set values and the job cancel of the device status reader.
#include <cinttypes>
#include <cstdio>

#include "log/log.h"
#include "net/octet_buffer.h"
#include "printer/device_status.h"
#include "printer/printer_read.h"
#include "printer/status_row.h"
#include "snmp/oid.h"

namespace {

constexpr uint32_t kStandardCharSet = 0;
constexpr uint32_t kPrivateCharSet = 1;

// prtGeneralCurrentLocalization walked, prtLocalizationCharacterSet read.
constexpr char kStandardWalkColumn[] = "1.3.6.1.2.1.43.5.1.1.2";
constexpr char kStandardValueColumn[] = "1.3.6.1.2.1.43.7.1.1.4";
// The printer maker's localization objects.
constexpr char kPrivateWalkColumn[] = "1.3.6.1.4.1.58114.8.51.3.1.1.1";
constexpr char kPrivateValueColumn[] = "1.3.6.1.4.1.58114.8.51.4.1.1.7";

// Writing 1414 to the job's entry of this column cancels the job; the
// entry's index is 101 followed by the job identifier with its length.
constexpr char kCancelColumn[] = "1.3.6.1.4.1.58114.8.76.3.2.1.1";
constexpr char kCancelIndexPrefix[] = "101";
constexpr int32_t kCancelValue = 1414;

// "column.D.L": a column OID of about 30 characters and two numbers.
constexpr size_t kInstanceOidSize = 128;

}  // namespace

int32_t CQMRDeviceStatus::read_char_set(uint32_t selector, int32_t *value) {
  if (value == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_E_INVALID_ARG;
  int32_t *stored = nullptr;
  if (selector == kStandardCharSet) {
    stored = &m_standardCharSet;
    rc = read_char_set_value(kStandardWalkColumn, kStandardValueColumn, stored);
  } else if (selector == kPrivateCharSet) {
    stored = &m_privateCharSet;
    rc = read_char_set_value(kPrivateWalkColumn, kPrivateValueColumn, stored);
  }
  if (rc != QMR_OK) return rc;
  *value = *stored;
  return QMR_OK;
}

int32_t CQMRDeviceStatus::read_char_set_value(const char *walkColumn, const char *valueColumn,
                                              int32_t *stored) const {
  const SQMRDeviceTarget settings = target(false);
  TqcOwned<ITqsPduList> rows;
  int32_t rc = qmr_read_columns(settings, &walkColumn, 1, &rows);
  if (rc != QMR_OK) return rc;  // the stored value stays as it was
  return qmr_for_each_row(rows.get(), [&](const ITqsPdu *cells, uint32_t) {
    // Each row names a localization: its index D and its value L select
    // the character set "valueColumn.D.L"; the last row read decides.
    const CQMRStatusRow row(cells);
    uint32_t localizationIndex = 0;
    int32_t code = row.first_index(0, walkColumn, &localizationIndex);
    int32_t charSet = 0;
    if (code == QMR_OK) {
      char instance[kInstanceOidSize];
      std::snprintf(instance, sizeof instance, "%s.%" PRIu32 ".%" PRId32, valueColumn,
                    localizationIndex, row.integer(0));
      code = qmr_read_integer(settings, instance, EQMRInstance::kExact, &charSet,
                              EQMRReadLog::kSilent);
    }
    *stored = code == QMR_OK ? charSet : 0;
    return code;
  });
}

int32_t CQMRDeviceStatus::cancel_job(const char *jobId) {
  if (jobId == nullptr) return QMR_E_INVALID_ARG;
  // The index: 101, then the identifier as an octet string with its length.
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> index(tqs_create_oid_from_text(kCancelIndexPrefix, &rc));
  if (!index) return rc;
  if ((rc = index->append_index_text(jobId, kTqsOctetString, false)) != QMR_OK) return rc;
  TqcOwned<ITqsOctetBuffer> instance(index->to_text(&rc));
  if (!instance) return rc;

  QMRGetDataPtr facade;
  if ((rc = qmr_create_get_data(&facade)) != QMR_OK) return rc;
  if ((rc = qmr_init_get_data(facade.get(), target(true))) != QMR_OK) return rc;
  if ((rc = facade->add_oid_string(kCancelColumn, instance->c_str(), kCancelValue)) != QMR_OK) {
    log_qmr_failure("pGetData->add_oid_string()", rc);
    return rc;
  }
  if ((rc = facade->set_data()) != QMR_OK) log_qmr_failure("pGetData->set_data()", rc);
  return rc;
}
