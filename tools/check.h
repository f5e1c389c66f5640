// `qmr check`: the state of one printer in the monitoring-plugins
// convention (Nagios, Icinga): one line "QMR STATE - summary | perfdata"
// and the exit status 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN. Everything
// here works on a report already read, so it needs no network.
#ifndef QMR_TOOLS_CHECK_H
#define QMR_TOOLS_CHECK_H

#include <cstdint>
#include <string>
#include <vector>

#include "printer_report.h"

// Values are the plugin exit statuses.
enum CheckState : int { kCheckOk = 0, kCheckWarning = 1, kCheckCritical = 2, kCheckUnknown = 3 };

struct CheckThresholds {
  uint32_t warning_percent = 20;   // a supply below this warns
  uint32_t critical_percent = 10;  // below this it is critical
};

// One performance value: 'label'=value[UOM];warn;crit;min;max.
struct PerfDatum {
  std::string label;
  std::string value;  // a number or "U" (not known)
  std::string uom;
  std::string warn, crit, min, max;
};

struct CheckResult {
  CheckState state = kCheckOk;
  // What is wrong, the worst first.
  std::vector<std::string> problems;
  std::vector<PerfDatum> perfdata;
  size_t supplies = 0, trays = 0;  // how many were looked at
};

// The sections a check reads.
inline constexpr unsigned kCheckSections = kSectionPrinter | kSectionInputTrays | kSectionSupplies | kSectionAlerts;

const char *check_state_name(CheckState state);
// Alerts, error-state bits, supplies against the thresholds, empty trays,
// and UNKNOWN for a section that could not be read (a CRITICAL finding
// still wins over it).
CheckResult evaluate_check(const PrinterReport &report, const CheckThresholds &thresholds);
// "QMR WARNING - subject: problems | perfdata", one line.
std::string check_line(const std::string &subject, const std::string &printer_state, const CheckResult &result);
// "QMR UNKNOWN - why".
std::string unknown_line(const std::string &why);

// The label quoted as the guidelines ask ('...'), with the two characters
// a label may not hold (= and ') replaced.
std::string perf_label(const std::string &text);
// Space-separated data, empty trailing fields dropped.
std::string format_perfdata(const std::vector<PerfDatum> &data);

#endif  // QMR_TOOLS_CHECK_H
