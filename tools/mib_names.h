// Words for the numbers that printers report: media-size codes, statuses,
// types and units of the Host Resources and Printer MIBs.
#ifndef QMR_TOOLS_MIB_NAMES_H
#define QMR_TOOLS_MIB_NAMES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Name of a media-size code as the option "InputTrayMediaSize" gives it
// ("A4", "Letter"); null for 10000 (unknown) and codes without a name.
const char *media_size_name(int32_t code);

const char *printer_status_name(int32_t status);
// The conditions set in hrPrinterDetectedErrorState ("lowPaper", "jammed").
std::vector<std::string> detected_errors(const uint8_t state[4]);
// Every condition of hrPrinterDetectedErrorState, bit 0 first.
size_t error_condition_count();
const char *error_condition_name(size_t bit);
bool error_condition_set(const uint8_t state[4], size_t bit);
const char *device_status_name(int32_t status);
const char *device_type_name(int32_t type);
const char *storage_type_name(int32_t type);
const char *input_type_name(int32_t type);
const char *output_type_name(int32_t type);
// prtSubUnitStatus: availability plus alert and on-line bits ("idle",
// "active, warning", "broken, critical, off-line").
std::string subunit_status_text(int32_t status);
const char *capacity_unit_name(int32_t unit);
const char *alert_severity_name(int32_t severity);
const char *alert_group_name(int32_t group);
const char *charset_name(int32_t mib_enum);

#endif  // QMR_TOOLS_MIB_NAMES_H
