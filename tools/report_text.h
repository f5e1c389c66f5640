// The human-readable form of the printer report.
#ifndef QMR_TOOLS_REPORT_TEXT_H
#define QMR_TOOLS_REPORT_TEXT_H

#include <string>
#include <vector>

#include "printer_report.h"

std::string status_text(const PrinterReport &report);
std::string jobs_table_text(const std::vector<QMRJobInfo> &jobs);
// "210 x 297 mm" from a tray's unit and chosen dimensions; "" when unknown.
std::string dimension_text(int32_t unit, int32_t feed, int32_t cross_feed);

#endif  // QMR_TOOLS_REPORT_TEXT_H
