// Storage, device and printer records from the Host Resources MIB.
#include <cstring>
#include <iterator>

#include "printer/device_status.h"
#include "printer/device_type_tables.h"
#include "printer/status_records.h"

namespace {

// hrStorageTable: type, allocation units, size, description.
constexpr const char *kStorageColumns[] = {
    "1.3.6.1.2.1.25.2.3.1.2",
    "1.3.6.1.2.1.25.2.3.1.4",
    "1.3.6.1.2.1.25.2.3.1.5",
    "1.3.6.1.2.1.25.2.3.1.3",
};
enum { kStorageType, kStorageUnits, kStorageSize, kStorageDescr };

// hrDeviceTable: type, status, description.
constexpr const char *kDeviceColumns[] = {
    "1.3.6.1.2.1.25.3.2.1.2",
    "1.3.6.1.2.1.25.3.2.1.5",
    "1.3.6.1.2.1.25.3.2.1.3",
};
enum { kDeviceType, kDeviceStatus, kDeviceDescr };

// hrPrinterTable: status, detected error state.
constexpr const char *kPrinterColumns[] = {
    "1.3.6.1.2.1.25.3.5.1.1",
    "1.3.6.1.2.1.25.3.5.1.2",
};
enum { kPrinterStatus, kPrinterErrorState };

// An OID text of a type column: 255 characters are plenty to tell the
// table's entries apart.
constexpr size_t kTypeTextSize = 256;

}  // namespace

int32_t CQMRDeviceStatus::refresh_storage(int32_t *count) {
  return qmr_refresh_records(
      target(false), kStorageColumns, &m_storage, count,
      [](const CQMRStatusRow &row, QMRStorageInfo *record) {
        char type[kTypeTextSize];
        row.text(kStorageType, type);
        record->storageType = qmr_storage_type_code(type);
        record->allocationUnits = row.integer(kStorageUnits);
        record->size = row.integer(kStorageSize);
        row.text(kStorageDescr, record->description);
        return true;
      });
}

int32_t CQMRDeviceStatus::refresh_devices(int32_t *count) {
  return qmr_refresh_records(
      target(false), kDeviceColumns, &m_devices, count,
      [](const CQMRStatusRow &row, QMRDeviceInfo *record) {
        char type[kTypeTextSize];
        row.text(kDeviceType, type);
        record->deviceType = qmr_device_type_code(type);
        record->deviceStatus = row.integer(kDeviceStatus);
        row.text(kDeviceDescr, record->description);
        return true;
      });
}

int32_t CQMRDeviceStatus::refresh_printer(QMRPrinterInfo *out) {
  std::memset(&m_printerInfo, 0, sizeof m_printerInfo);
  if (out == nullptr) return QMR_E_INVALID_ARG;
  TqcOwned<ITqsPduList> rows;
  int32_t rc = walk_table(kPrinterColumns, std::size(kPrinterColumns), &rows);
  if (rc != QMR_OK) return rc;
  rc = qmr_for_each_row(rows.get(), [this](const ITqsPdu *cells, uint32_t) {
    const CQMRStatusRow row(cells);
    m_printerInfo.printerStatus = row.integer(kPrinterStatus);
    // The error state is a bit string: its octets are copied as they are,
    // zero octets included.
    row.bytes(kPrinterErrorState, m_printerInfo.detectedErrorState,
              sizeof m_printerInfo.detectedErrorState);
    return QMR_OK;
  });
  if (rc != QMR_OK) return rc;
  std::memcpy(out, &m_printerInfo, sizeof m_printerInfo);
  return QMR_OK;
}
