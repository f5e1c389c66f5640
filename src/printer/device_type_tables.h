// The tables that turn the OID texts of a device's type columns into the
// small numbers of the information records.
#ifndef QMR_PRINTER_DEVICE_TYPE_TABLES_H
#define QMR_PRINTER_DEVICE_TYPE_TABLES_H

#include <cstdint>

// hrStorageType: "1.3.6.1.2.1.25.2.1.N" gives N for N = 1..8 (other, RAM,
// virtual memory, fixed disk, removable disk, floppy disk, compact disc,
// RAM disk); any other text, the later standard types included, gives 0.
int32_t qmr_storage_type_code(const char *oidText);

// hrDeviceType: the standard types "1.3.6.1.2.1.25.3.1.N" (N = 1..6 and
// 10..21) and the printer maker's "1.3.6.1.4.1.58114.8.52.2.N" (N = 101..109,
// 151..154, 201..207) give N; any other text gives 0.
int32_t qmr_device_type_code(const char *oidText);

// Job type: "1.3.6.1.4.1.58114.8.58.2.N" gives N for N = 1..12, else 0.
int32_t qmr_job_type_code(const char *oidText);

#endif  // QMR_PRINTER_DEVICE_TYPE_TABLES_H
