// Supply and alert records from the Printer MIB.
#include "printer/device_status.h"
#include "printer/status_records.h"

namespace {

// prtMarkerSuppliesTable: class, unit, maximum capacity, level, description.
constexpr const char *kSupplyColumns[] = {
    "1.3.6.1.2.1.43.11.1.1.5", "1.3.6.1.2.1.43.11.1.1.7", "1.3.6.1.2.1.43.11.1.1.8",
    "1.3.6.1.2.1.43.11.1.1.9", "1.3.6.1.2.1.43.11.1.1.6",
};
enum { kSupplyClass, kSupplyUnit, kSupplyMaxCapacity, kSupplyLevel, kSupplyDescription };

// prtMarkerSuppliesClass supplyThatIsConsumed; receptacles (4) are no toner.
constexpr int32_t kSupplyConsumed = 3;

// prtAlertTable: severity, group, group index, location, code, description.
constexpr const char *kAlertColumns[] = {
    "1.3.6.1.2.1.43.18.1.1.2", "1.3.6.1.2.1.43.18.1.1.4", "1.3.6.1.2.1.43.18.1.1.5",
    "1.3.6.1.2.1.43.18.1.1.6", "1.3.6.1.2.1.43.18.1.1.7", "1.3.6.1.2.1.43.18.1.1.8",
};
enum { kAlertSeverity, kAlertGroup, kAlertGroupIndex, kAlertLocation, kAlertCode, kAlertDescription };

}  // namespace

int32_t CQMRDeviceStatus::refresh_toners(int32_t *count) {
  return qmr_refresh_records(target(false), kSupplyColumns, &m_toners, count,
                             [](const CQMRStatusRow &row, QMRTonerInfo *record) {
                               record->supplyUnit = row.integer(kSupplyUnit);
                               record->maxCapacity = row.integer(kSupplyMaxCapacity);
                               record->level = row.integer(kSupplyLevel);
                               row.text(kSupplyDescription, record->description);
                               return row.integer(kSupplyClass) == kSupplyConsumed;
                             });
}

int32_t CQMRDeviceStatus::refresh_alerts(int32_t *count) {
  return qmr_refresh_records(target(false), kAlertColumns, &m_alerts, count,
                             [](const CQMRStatusRow &row, QMRAlertInfo *record) {
                               record->severityLevel = row.integer(kAlertSeverity);
                               record->group = row.integer(kAlertGroup);
                               record->groupIndex = row.integer(kAlertGroupIndex);
                               record->location = row.integer(kAlertLocation);
                               record->code = row.integer(kAlertCode);
                               row.text(kAlertDescription, record->description);
                               return true;
                             });
}
