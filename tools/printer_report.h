// Everything qmr reads from one opened printer, gathered through the C
// interface before anything is printed, and its JSON form.
#ifndef QMR_TOOLS_PRINTER_REPORT_H
#define QMR_TOOLS_PRINTER_REPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "device.h"
#include "json_writer.h"
#include "qmr.h"
#include "text_table.h"

// A section that could not be read: its name and the failure.
struct SectionFailure {
  std::string section;
  Failure failure;
};

// The named system options that the status report shows.
struct SystemOptions {
  bool read = false;
  std::string sys_name, sys_location, rom_version, netware_name;
  int32_t memory_kb = 0;
  // Media-size code of each input tray, by position (10000 when unknown).
  std::vector<int32_t> tray_media_sizes;
};

struct PrinterReport {
  std::string address;
  int32_t protocol = 0;
  std::string model;
  SystemOptions system;
  bool printer_read = false;
  QMRPrinterInfo printer{};
  std::vector<QMRDeviceInfo> devices;
  std::vector<QMRStorageInfo> storage;
  std::vector<QMRInputTrayInfo> input_trays;
  std::vector<QMROutputTrayInfo> output_trays;
  std::vector<QMRTonerInfo> supplies;
  std::vector<QMRAlertInfo> alerts;
  std::vector<QMRJobInfo> jobs;
  std::vector<SectionFailure> failures;
};

// The parts of a report; a monitoring read skips what it does not show.
enum ReportSection : unsigned {
  kSectionSystem = 1,
  kSectionPrinter = 2,
  kSectionDevices = 4,
  kSectionStorage = 8,
  kSectionInputTrays = 16,
  kSectionOutputTrays = 32,
  kSectionSupplies = 64,
  kSectionAlerts = 128,
  kSectionJobs = 256,
  kAllSections = 511,
};

// Reads the record lists of `sections` (jobs with `job_selector`) and the
// system options; a failing section is recorded and the others are still
// read.
void read_printer_report(void *handle, uint32_t job_selector, PrinterReport *report,
                         unsigned sections = kAllSections);
// Only the job list.
Failure read_jobs(void *handle, uint32_t job_selector, std::vector<QMRJobInfo> *jobs);

// JSON members of the records, named as the record fields of qmr.h, with
// a few readable extras (names, percentages) under names of their own.
void write_status_json(const PrinterReport &report, JsonWriter *json);
void write_job_json(const QMRJobInfo &job, JsonWriter *json);
void write_failures_json(const std::vector<SectionFailure> &failures, JsonWriter *json);

// "2013-05-09 14:07:30", or "" for an all-zero stamp.
std::string time_stamp_text(const int16_t stamp[6]);

#endif  // QMR_TOOLS_PRINTER_REPORT_H
