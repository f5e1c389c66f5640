#include "printer_report.h"

#include <cstdio>
#include <cstring>

#include "mib_names.h"
#include "text_table.h"

namespace {

// Option keys read for the report.
constexpr char kKeySysName[] = "SysName";
constexpr char kKeySysLocation[] = "SysLocation";
constexpr char kKeyRomVersion[] = "PrinterRomVersion";
constexpr char kKeyNetWare[] = "NetWareSAPUnitName";
constexpr char kKeyMemoryKb[] = "MemorySizeInKByte";
constexpr char kKeyTrayCount[] = "NumberOfInputTray";
constexpr char kKeyTrayMediaSize[] = "InputTrayMediaSize";
constexpr size_t kOptionTextBytes = 256;
constexpr int32_t kMediaSizeUnknown = 10000;
constexpr int32_t kUnitSheets = 8;

// Count call and copy-out call of one record list.
template <typename Record, typename Count, typename Get>
Failure read_list(void *handle, const char *what, Count count_fn, Get get_fn, std::vector<Record> *out) {
  Failure f;
  int32_t count = 0;
  f.step = std::string("read ") + what;
  f.code = count_fn(handle, &count);
  if (f.failed()) return f;
  out->clear();
  for (int32_t i = 0; i < count; ++i) {
    Record record;
    f.code = get_fn(handle, static_cast<uint32_t>(i), &record);
    if (f.failed()) return f;
    out->push_back(record);
  }
  return Failure{};
}

template <typename Record, typename Count, typename Get>
void read_section(void *handle, const char *what, Count count_fn, Get get_fn, std::vector<Record> *out,
                  PrinterReport *report) {
  const Failure f = read_list(handle, what, count_fn, get_fn, out);
  if (f.failed()) report->failures.push_back({what, f});
}

std::string option_text(void *handle, const char *key) {
  char text[kOptionTextBytes] = {};
  if (QMRGetOptionValueString(handle, key, 0, text) != QMR_OK) return "";
  return field_text(text, sizeof text);
}

Failure read_system(void *handle, SystemOptions *out) {
  Failure f;
  f.step = "read options";
  f.code = QMRRefreshOptions(handle);
  if (f.failed()) return f;
  out->read = true;
  out->sys_name = option_text(handle, kKeySysName);
  out->sys_location = option_text(handle, kKeySysLocation);
  out->rom_version = option_text(handle, kKeyRomVersion);
  out->netware_name = option_text(handle, kKeyNetWare);
  QMRGetOptionValueInteger(handle, kKeyMemoryKb, 0, &out->memory_kb);
  int32_t trays = 0;
  QMRGetOptionValueInteger(handle, kKeyTrayCount, 0, &trays);
  for (int32_t i = 0; i < trays; ++i) {
    int32_t code = kMediaSizeUnknown;
    QMRGetOptionValueInteger(handle, kKeyTrayMediaSize, static_cast<uint16_t>(i), &code);
    out->tray_media_sizes.push_back(code);
  }
  return Failure{};
}

void member(JsonWriter *json, const char *name, int64_t value) { json->key(name).number(value); }
void member(JsonWriter *json, const char *name, const std::string &value) { json->key(name).string(value); }

void stamp_member(JsonWriter *json, const char *name, const int16_t stamp[6]) {
  json->key(name).begin_array();
  for (int i = 0; i < 6; ++i) json->number(stamp[i]);
  json->end_array();
}

// Text of a record field; a device text may fill it to the last byte.
#define TEXT(record, member_name) QMR_FIELD(record, member_name)

}  // namespace

std::string time_stamp_text(const int16_t s[6]) {
  bool any = false;
  for (int i = 0; i < 6; ++i) any = any || s[i] != 0;
  if (!any) return "";
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", s[0], s[1], s[2], s[3], s[4], s[5]);
  return text;
}

Failure read_jobs(void *handle, uint32_t selector, std::vector<QMRJobInfo> *jobs) {
  auto count = [selector](void *h, int32_t *n) { return QMRGetNumberOfJobInfo(h, selector, n); };
  return read_list(handle, "jobs", count, QMRGetJobInfo, jobs);
}

void read_printer_report(void *handle, uint32_t job_selector, PrinterReport *report, unsigned sections) {
  Failure f;
  if (sections & kSectionSystem) {
    f = read_system(handle, &report->system);
    if (f.failed()) report->failures.push_back({"system", f});
  }
  if (sections & kSectionPrinter) {
    f.step = "read printer";
    f.code = QMRGetPrinterInfo(handle, &report->printer);
    report->printer_read = !f.failed();
    if (f.failed()) report->failures.push_back({"printer", f});
  }
  if (sections & kSectionDevices)
    read_section(handle, "devices", QMRGetNumberOfDeviceInfo, QMRGetDeviceInfo, &report->devices, report);
  if (sections & kSectionStorage)
    read_section(handle, "storage", QMRGetNumberOfStorageInfo, QMRGetStorageInfo, &report->storage, report);
  if (sections & kSectionInputTrays)
    read_section(handle, "inputTrays", QMRGetNumberOfInputTrayInfo, QMRGetInputTrayInfo, &report->input_trays,
                 report);
  if (sections & kSectionOutputTrays)
    read_section(handle, "outputTrays", QMRGetNumberOfOutputTrayInfo, QMRGetOutputTrayInfo,
                 &report->output_trays, report);
  if (sections & kSectionSupplies)
    read_section(handle, "supplies", QMRGetNumberOfTonerInfo, QMRGetTonerInfo, &report->supplies, report);
  if (sections & kSectionAlerts)
    read_section(handle, "alerts", QMRGetNumberOfAlertInfo, QMRGetAlertInfo, &report->alerts, report);
  if (sections & kSectionJobs) {
    f = read_jobs(handle, job_selector, &report->jobs);
    if (f.failed()) report->failures.push_back({"jobs", f});
  }
}

void write_job_json(const QMRJobInfo &j, JsonWriter *json) {
  json->begin_object();
  member(json, "jobId", TEXT(j, jobId));
  member(json, "jobType", j.jobType);
  member(json, "jobClass", j.jobClass);
  member(json, "jobValue2", j.jobValue2);
  member(json, "unsignedValue1", j.unsignedValue1);
  member(json, "unsignedValue2", j.unsignedValue2);
  member(json, "lookupText1", TEXT(j, lookupText1));
  member(json, "lookupText2", TEXT(j, lookupText2));
  member(json, "lookupText3", TEXT(j, lookupText3));
  member(json, "jobText", TEXT(j, jobText));
  stamp_member(json, "timeStamp1", j.timeStamp1);
  stamp_member(json, "timeStamp2", j.timeStamp2);
  stamp_member(json, "timeStamp3", j.timeStamp3);
  json->end_object();
}

void write_failures_json(const std::vector<SectionFailure> &failures, JsonWriter *json) {
  json->key("errors").begin_array();
  for (const SectionFailure &s : failures) {
    json->begin_object();
    member(json, "section", s.section);
    member(json, "code", s.failure.code);
    member(json, "message", std::string(qmr_result_text(s.failure.code)));
    json->end_object();
  }
  json->end_array();
}

void write_status_json(const PrinterReport &r, JsonWriter *json) {
  json->begin_object();
  member(json, "address", r.address);
  member(json, "protocol", std::string(protocol_name(r.protocol)));
  member(json, "model", r.model);

  json->key("system");
  if (r.system.read) {
    json->begin_object();
    member(json, "sysName", r.system.sys_name);
    member(json, "sysLocation", r.system.sys_location);
    member(json, "printerRomVersion", r.system.rom_version);
    member(json, "netWareSAPUnitName", r.system.netware_name);
    member(json, "memorySizeKByte", r.system.memory_kb);
    json->end_object();
  } else {
    json->null();
  }

  json->key("printer");
  if (r.printer_read) {
    json->begin_object();
    member(json, "printerStatus", r.printer.printerStatus);
    member(json, "printerStatusName", std::string(printer_status_name(r.printer.printerStatus)));
    json->key("detectedErrorState").begin_array();
    for (uint8_t b : r.printer.detectedErrorState) json->number(b);
    json->end_array();
    json->key("detectedErrors").begin_array();
    for (const std::string &e : detected_errors(r.printer.detectedErrorState)) json->string(e);
    json->end_array();
    json->end_object();
  } else {
    json->null();
  }

  json->key("devices").begin_array();
  for (const QMRDeviceInfo &d : r.devices) {
    json->begin_object();
    member(json, "deviceType", d.deviceType);
    member(json, "deviceStatus", d.deviceStatus);
    member(json, "deviceStatusName", std::string(device_status_name(d.deviceStatus)));
    member(json, "description", TEXT(d, description));
    json->end_object();
  }
  json->end_array();

  json->key("storage").begin_array();
  for (const QMRStorageInfo &s : r.storage) {
    json->begin_object();
    member(json, "storageType", s.storageType);
    member(json, "allocationUnits", s.allocationUnits);
    member(json, "size", s.size);
    member(json, "description", TEXT(s, description));
    member(json, "sizeBytes", static_cast<int64_t>(s.allocationUnits) * s.size);
    json->end_object();
  }
  json->end_array();

  json->key("inputTrays").begin_array();
  for (size_t i = 0; i < r.input_trays.size(); ++i) {
    const QMRInputTrayInfo &t = r.input_trays[i];
    json->begin_object();
    member(json, "inputType", t.inputType);
    member(json, "dimensionUnit", t.dimensionUnit);
    member(json, "declaredFeedDimension", t.declaredFeedDimension);
    member(json, "declaredCrossFeedDimension", t.declaredCrossFeedDimension);
    member(json, "chosenFeedDimension", t.chosenFeedDimension);
    member(json, "chosenCrossFeedDimension", t.chosenCrossFeedDimension);
    member(json, "capacityUnit", t.capacityUnit);
    member(json, "maxCapacity", t.maxCapacity);
    member(json, "currentLevel", t.currentLevel);
    member(json, "status", t.status);
    member(json, "mediaName", TEXT(t, mediaName));
    member(json, "inputName", TEXT(t, inputName));
    member(json, "description", TEXT(t, description));
    member(json, "mediaType", TEXT(t, mediaType));
    member(json, "mediaColour", TEXT(t, mediaColour));
    const int32_t code = i < r.system.tray_media_sizes.size() ? r.system.tray_media_sizes[i] : kMediaSizeUnknown;
    json->key("mediaSizeCode").number(code);
    const char *size_name = media_size_name(code);
    json->key("mediaSizeName");
    if (size_name != nullptr) json->string(size_name);
    else json->null();
    const int percent = t.capacityUnit == kUnitSheets ? percent_of(t.currentLevel, t.maxCapacity) : -1;
    json->key("levelPercent");
    if (percent >= 0) json->number(percent);
    else json->null();
    json->end_object();
  }
  json->end_array();

  json->key("outputTrays").begin_array();
  for (const QMROutputTrayInfo &t : r.output_trays) {
    json->begin_object();
    member(json, "outputType", t.outputType);
    member(json, "status", t.status);
    member(json, "name", TEXT(t, name));
    member(json, "description", TEXT(t, description));
    json->end_object();
  }
  json->end_array();

  json->key("supplies").begin_array();
  for (const QMRTonerInfo &s : r.supplies) {
    json->begin_object();
    member(json, "supplyUnit", s.supplyUnit);
    member(json, "maxCapacity", s.maxCapacity);
    member(json, "level", s.level);
    member(json, "description", TEXT(s, description));
    const int percent = percent_of(s.level, s.maxCapacity);
    json->key("levelPercent");
    if (percent >= 0) json->number(percent);
    else json->null();
    json->end_object();
  }
  json->end_array();

  json->key("alerts").begin_array();
  for (const QMRAlertInfo &a : r.alerts) {
    json->begin_object();
    member(json, "severityLevel", a.severityLevel);
    member(json, "group", a.group);
    member(json, "groupIndex", a.groupIndex);
    member(json, "location", a.location);
    member(json, "code", a.code);
    member(json, "description", TEXT(a, description));
    json->end_object();
  }
  json->end_array();

  json->key("jobs").begin_array();
  for (const QMRJobInfo &j : r.jobs) write_job_json(j, json);
  json->end_array();

  write_failures_json(r.failures, json);
  json->end_object();
}
