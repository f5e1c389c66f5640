#include "commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "device.h"
#include "json_writer.h"
#include "mib_names.h"
#include "printer_report.h"
#include "report_text.h"
#include "text_table.h"

namespace {

constexpr size_t kDeviceTextBytes = 64;    // QMRGetDeviceNext outputs
constexpr size_t kOptionTextBytes = 256;   // QMRGetOptionValueString output
constexpr char kBroadcastIPv4[] = "255.255.255.255";
constexpr char kMulticastIPv6[] = "ff02::1";
constexpr uint32_t kCharsetStandard = 0;
constexpr uint32_t kCharsetPrivate = 1;

const char *const kBooleanKeys[] = {"Scanner", "Copier", "FAXUnit", "HardDisk", "RamDisk", "DuplexModule", "InTrayMSI"};
const char *const kIntegerKeys[] = {"MemorySizeInKByte", "MemorySizeInMByte", "NumberOfInputTray"};
const char *const kTextKeys[] = {"PrinterRomVersion", "SysName", "SysLocation", "NetWareSAPUnitName"};
const char *const kTrayIntegerKeys[] = {
    "InputTrayIndex", "InputTrayType", "InputTrayMaxCapacityInSheets", "InputTrayCurrentLevelInPercent",
    "InputTrayMediaSize", "InputTrayMediaDirection", "InputTrayMediaDimFeedDirChosen",
    "InputTrayMediaDimXFeedDirChosen"};
const char *const kTrayTextKeys[] = {"InputTrayName", "InputTrayModelName", "InputTrayDescription",
                                     "InputTrayMediaType"};

void print(const std::string &text) { std::fputs(text.c_str(), stdout); }

int fail(const CliOptions &options, const Failure &f) {
  std::fprintf(stderr, "qmr: %s: error %d (%s)\n", f.step.c_str(), f.code, qmr_result_text(f.code));
  if (options.json) {
    JsonWriter json;
    json.begin_object();
    json.key("error").begin_object();
    json.key("step").string(f.step);
    json.key("code").number(f.code);
    json.key("message").string(qmr_result_text(f.code));
    json.end_object();
    json.end_object();
    print(json.text());
  }
  return kExitFailure;
}

void warn_sections(const std::vector<SectionFailure> &failures) {
  for (const SectionFailure &s : failures) {
    std::fprintf(stderr, "qmr: warning: %s could not be read: error %d (%s)\n", s.section.c_str(),
                 s.failure.code, qmr_result_text(s.failure.code));
  }
}

// Resolves and opens the device named by the first operand.
Failure open_from_operand(void *handle, const CliOptions &options, DeviceAddress *address) {
  Failure f = resolve_device_address(options.operands[0], options.protocol, address);
  if (f.failed()) return f;
  return open_device(handle, options, *address);
}

int discover(void *handle, const CliOptions &options) {
  const int32_t protocol = options.protocol != 0 ? options.protocol : kProtocolIPv4;
  const char *dest = options.destination.empty() ? nullptr : options.destination.c_str();
  const char *shown = dest != nullptr ? dest : protocol == kProtocolIPv6 ? kMulticastIPv6 : kBroadcastIPv4;
  Failure f;
  for (const std::string &filter : options.filters) {
    f.step = "add filter " + filter;
    f.code = QMRFindAddFilter(handle, filter.c_str());
    if (f.failed()) return fail(options, f);
  }
  f.step = std::string("discovery to ") + shown;
  int32_t found = 0;
  const int32_t selector = options.security_selector();
  if (selector != 0) {
    const QMRSecurityBlock block = options.security_block();
    f.code = QMRFindDeviceSNMPEx(handle, dest, protocol, selector, &block, options.timeout_ms, options.retries,
                                 &found);
  } else {
    f.code = QMRFindDeviceSNMP(handle, dest, protocol, options.timeout_ms, options.retries, &found);
  }
  if (f.failed()) return fail(options, f);

  struct Found {
    std::string address, model, oid;
  };
  std::vector<Found> devices;
  char address[kDeviceTextBytes], model[kDeviceTextBytes], zero[1], oid[kDeviceTextBytes];
  // Bounded by the count the discovery reported.
  for (int32_t i = 0; i < found && QMRGetDeviceNext(handle, address, model, zero, oid) == 1; ++i) {
    devices.push_back({field_text(address, sizeof address), field_text(model, sizeof model),
                       field_text(oid, sizeof oid)});
  }

  if (options.json) {
    JsonWriter json;
    json.begin_object();
    json.key("protocol").string(protocol_name(protocol));
    json.key("destination").string(shown);
    json.key("count").number(static_cast<int64_t>(devices.size()));
    json.key("devices").begin_array();
    for (const Found &d : devices) {
      json.begin_object();
      json.key("address").string(d.address);
      json.key("model").string(d.model);
      json.key("sysObjectId").string(d.oid);
      json.end_object();
    }
    json.end_array();
    json.end_object();
    print(json.text());
    return kExitOk;
  }
  if (devices.empty()) {
    print(std::string("No supported printer answered (") + protocol_name(protocol) + " " + shown + ").\n");
    return kExitOk;
  }
  print("Found " + std::to_string(devices.size()) + (devices.size() == 1 ? " printer" : " printers") + " (" +
        protocol_name(protocol) + " " + shown + ")\n");
  TextTable table({"ADDRESS", "MODEL", "SYSOBJECTID"});
  for (const Found &d : devices) table.add_row({d.address, d.model, d.oid});
  print(table.render());
  return kExitOk;
}

int status(void *handle, const CliOptions &options) {
  DeviceAddress address;
  const Failure f = open_from_operand(handle, options, &address);
  if (f.failed()) return fail(options, f);
  PrinterReport report;
  report.address = address.text;
  report.protocol = address.protocol;
  report.model = opened_model(handle, options, address);
  read_printer_report(handle, 0, &report);
  if (options.json) {
    JsonWriter json;
    write_status_json(report, &json);
    print(json.text());
  } else {
    print(status_text(report));
  }
  warn_sections(report.failures);
  return report.failures.empty() ? kExitOk : kExitFailure;
}

// One option value as JSON and as a table cell; failures give null / "-".
struct OptionValue {
  bool ok = false;
  std::string text;
  void write(JsonWriter *json, const char *key, bool quoted) const {
    json->key(key);
    if (!ok) json->null();
    else if (quoted) json->string(text);
    else if (text == "true" || text == "false") json->boolean(text == "true");
    else json->number(std::stoll(text));
  }
};

OptionValue boolean_option(void *h, const char *key) {
  int16_t value = 0;
  OptionValue v;
  v.ok = QMRGetOptionValueBoolean(h, key, 0, &value) == QMR_OK;
  v.text = value ? "true" : "false";
  return v;
}

OptionValue integer_option(void *h, const char *key, uint16_t index) {
  int32_t value = 0;
  OptionValue v;
  v.ok = QMRGetOptionValueInteger(h, key, index, &value) == QMR_OK;
  v.text = std::to_string(value);
  return v;
}

OptionValue text_option(void *h, const char *key, uint16_t index) {
  char value[kOptionTextBytes] = {};
  OptionValue v;
  v.ok = QMRGetOptionValueString(h, key, index, value) == QMR_OK;
  v.text = field_text(value, sizeof value);
  return v;
}

int options_command(void *handle, const CliOptions &options) {
  DeviceAddress address;
  Failure f = open_from_operand(handle, options, &address);
  if (f.failed()) return fail(options, f);
  f.step = "read options";
  f.code = QMRRefreshOptions(handle);
  if (f.failed()) return fail(options, f);

  struct Named {
    const char *key;
    OptionValue value;
    bool quoted;
  };
  std::vector<Named> device;
  for (const char *k : kBooleanKeys) device.push_back({k, boolean_option(handle, k), false});
  for (const char *k : kIntegerKeys) device.push_back({k, integer_option(handle, k, 0), false});
  for (const char *k : kTextKeys) device.push_back({k, text_option(handle, k, 0), true});
  int32_t trays = 0;
  QMRGetOptionValueInteger(handle, "NumberOfInputTray", 0, &trays);
  std::vector<std::vector<OptionValue>> tray_values;
  for (int32_t i = 0; i < trays; ++i) {
    std::vector<OptionValue> row;
    for (const char *k : kTrayIntegerKeys) row.push_back(integer_option(handle, k, static_cast<uint16_t>(i)));
    for (const char *k : kTrayTextKeys) row.push_back(text_option(handle, k, static_cast<uint16_t>(i)));
    tray_values.push_back(row);
  }

  if (options.json) {
    JsonWriter json;
    json.begin_object();
    json.key("address").string(address.text);
    json.key("options").begin_object();
    for (const Named &d : device) d.value.write(&json, d.key, d.quoted);
    json.end_object();
    json.key("inputTrays").begin_array();
    for (const auto &row : tray_values) {
      json.begin_object();
      size_t c = 0;
      for (const char *k : kTrayIntegerKeys) row[c++].write(&json, k, false);
      for (const char *k : kTrayTextKeys) row[c++].write(&json, k, true);
      json.end_object();
    }
    json.end_array();
    json.end_object();
    print(json.text());
    return kExitOk;
  }
  print("Options of " + address.text + "\n");
  TextTable table({"KEY", "VALUE"});
  for (const Named &d : device) table.add_row({d.key, d.value.ok ? d.value.text : "-"});
  print(table.render());
  for (size_t i = 0; i < tray_values.size(); ++i) {
    print("\nInput tray " + std::to_string(i) + " (option index " + std::to_string(i) + ")\n");
    TextTable tray({"KEY", "VALUE"});
    size_t c = 0;
    std::vector<const char *> keys(std::begin(kTrayIntegerKeys), std::end(kTrayIntegerKeys));
    keys.insert(keys.end(), std::begin(kTrayTextKeys), std::end(kTrayTextKeys));
    for (const char *k : keys) {
      const OptionValue &v = tray_values[i][c++];
      std::string text = v.ok ? v.text : "-";
      if (v.ok && std::string(k) == "InputTrayMediaSize") {
        const char *name = media_size_name(std::stoi(v.text));
        text += name != nullptr ? std::string(" (") + name + ")" : " (unknown)";
      }
      tray.add_row({k, text});
    }
    print(tray.render());
  }
  return kExitOk;
}

int jobs(void *handle, const CliOptions &options) {
  DeviceAddress address;
  Failure f = open_from_operand(handle, options, &address);
  if (f.failed()) return fail(options, f);
  std::vector<QMRJobInfo> list;
  f = read_jobs(handle, options.job_selector, &list);
  if (f.failed()) return fail(options, f);
  static const char *const kClassNames[] = {"all", "1", "2"};
  if (options.json) {
    JsonWriter json;
    json.begin_object();
    json.key("address").string(address.text);
    json.key("class").string(kClassNames[options.job_selector]);
    json.key("jobs").begin_array();
    for (const QMRJobInfo &j : list) write_job_json(j, &json);
    json.end_array();
    json.end_object();
    print(json.text());
    return kExitOk;
  }
  print("Jobs of " + address.text + " (class " + kClassNames[options.job_selector] + "): " +
        std::to_string(list.size()) + "\n");
  if (!list.empty()) print(jobs_table_text(list));
  return kExitOk;
}

int cancel(void *handle, const CliOptions &options) {
  DeviceAddress address;
  Failure f = open_from_operand(handle, options, &address);
  if (f.failed()) return fail(options, f);
  const std::string &job = options.operands[1];
  f.step = "cancel job " + job;
  f.code = QMRCancelJob(handle, job.c_str());
  if (f.failed()) return fail(options, f);
  if (options.json) {
    JsonWriter json;
    json.begin_object();
    json.key("address").string(address.text);
    json.key("jobId").string(job);
    json.key("cancelled").boolean(true);
    json.end_object();
    print(json.text());
  } else {
    print("Job " + job + " on " + address.text + ": cancel request accepted.\n");
  }
  return kExitOk;
}

int charset(void *handle, const CliOptions &options) {
  DeviceAddress address;
  Failure f = open_from_operand(handle, options, &address);
  if (f.failed()) return fail(options, f);
  int32_t values[2] = {};
  const uint32_t selectors[2] = {kCharsetStandard, kCharsetPrivate};
  const char *const names[2] = {"standard", "private"};
  for (int i = 0; i < 2; ++i) {
    f.step = std::string("read ") + names[i] + " character set";
    f.code = QMRGetCharSet(handle, selectors[i], &values[i]);
    if (f.failed()) return fail(options, f);
  }
  if (options.json) {
    JsonWriter json;
    json.begin_object();
    json.key("address").string(address.text);
    for (int i = 0; i < 2; ++i) {
      json.key(names[i]).begin_object();
      json.key("value").number(values[i]);
      const char *name = charset_name(values[i]);
      json.key("name");
      if (name != nullptr) json.string(name);
      else json.null();
      json.end_object();
    }
    json.end_object();
    print(json.text());
    return kExitOk;
  }
  print("Character sets of " + address.text + "\n");
  TextTable table({"TABLE", ">MIBENUM", "NAME"});
  const char *const titles[2] = {"Printer MIB (standard)", "Maker's MIB (private)"};
  for (int i = 0; i < 2; ++i) {
    const char *name = charset_name(values[i]);
    table.add_row({titles[i], std::to_string(values[i]), name != nullptr ? name : values[i] == 0 ? "not set" : "-"});
  }
  print(table.render());
  return kExitOk;
}

}  // namespace

int run_command(const CliOptions &options) {
  // These two open their own handles: one per check, one per probe.
  if (options.command == "check") return run_check(options);
#ifdef QMR_WITH_EXPORTER
  if (options.command == "exporter") return run_exporter(options);
#else
  if (options.command == "exporter") {
    std::fprintf(stderr, "qmr: this build has no exporter (it needs cpp-httplib and POSIX signals)\n");
    return kExitFailure;
  }
#endif
  LibraryHandle library;
  const Failure f = library.init(options);
  if (f.failed()) return fail(options, f);
  void *h = library.get();
  const std::string &c = options.command;
  if (c == "discover") return discover(h, options);
  if (c == "status") return status(h, options);
  if (c == "options") return options_command(h, options);
  if (c == "jobs") return jobs(h, options);
  if (c == "cancel") return cancel(h, options);
  return charset(h, options);
}
