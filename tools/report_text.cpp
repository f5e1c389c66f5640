#include "report_text.h"

#include <cstdio>

#include "mib_names.h"
#include "text_table.h"

namespace {

constexpr int32_t kUnitTenThousandthsInch = 3;
constexpr int32_t kUnitMicrometres = 4;
constexpr int32_t kUnitSheets = 8;
constexpr int32_t kMediaSizeUnknown = 10000;
// Printer MIB level and capacity values that are not amounts.
constexpr int32_t kLevelOther = -1;
constexpr int32_t kLevelUnknown = -2;
constexpr int32_t kLevelSomeLeft = -3;
constexpr int kBarWidth = 20;

std::string number(long long value) { return std::to_string(value); }

std::string heading(const std::string &title, size_t count) {
  return "\n" + title + " (" + number(static_cast<long long>(count)) + ")\n";
}

std::string level_words(int32_t level) {
  switch (level) {
    case kLevelOther: return "other";
    case kLevelUnknown: return "unknown";
    case kLevelSomeLeft: return "some left";
    default: return number(level);
  }
}

// Bar and percent, or words when the level is not an amount.
std::string level_cell(int32_t level, int32_t maximum) {
  const int percent = percent_of(level, maximum);
  if (percent < 0) return level_words(level);
  char text[16];
  std::snprintf(text, sizeof text, " %3d%%", percent);
  return fill_bar(percent, kBarWidth) + text;
}

std::string bytes_text(long long bytes) {
  static const char *const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string or_dash(const std::string &text) { return text.empty() ? "-" : text; }

// Supply units given in fractions of a plain unit, shown in that unit.
const struct {
  int32_t unit;
  int divisor;
  const char *name;
} kScaledUnits[] = {{12, 1000, "oz"}, {13, 10, "g"}, {14, 100, "fl oz"}, {15, 10, "ml"}};

std::string amount_text(int32_t amount, int32_t unit) {
  for (const auto &u : kScaledUnits) {
    if (u.unit != unit) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(amount) / u.divisor);
    return text;
  }
  return number(amount);
}

std::string unit_text(int32_t unit) {
  for (const auto &u : kScaledUnits) {
    if (u.unit == unit) return u.name;
  }
  return capacity_unit_name(unit);
}

}  // namespace

std::string dimension_text(int32_t unit, int32_t feed, int32_t cross) {
  if (feed <= 0 || cross <= 0) return "";
  char text[48];
  if (unit == kUnitMicrometres) {
    std::snprintf(text, sizeof text, "%d x %d mm", (cross + 500) / 1000, (feed + 500) / 1000);
  } else if (unit == kUnitTenThousandthsInch) {
    std::snprintf(text, sizeof text, "%.2f x %.2f in", cross / 10000.0, feed / 10000.0);
  } else {
    return "";
  }
  return text;
}

std::string jobs_table_text(const std::vector<QMRJobInfo> &jobs) {
  TextTable table({"JOB ID", ">TYPE", ">CLASS", "STATE", "OWNER", "DOCUMENT", "TIME", "TEXT"});
  for (const QMRJobInfo &j : jobs) {
    table.add_row({or_dash(QMR_FIELD(j, jobId)), number(j.jobType), number(j.jobClass),
                   or_dash(QMR_FIELD(j, lookupText3)), or_dash(QMR_FIELD(j, lookupText1)),
                   or_dash(QMR_FIELD(j, lookupText2)), or_dash(time_stamp_text(j.timeStamp1)),
                   QMR_FIELD(j, jobText)});
  }
  return table.render();
}

std::string status_text(const PrinterReport &r) {
  std::string out = "Printer " + r.address;
  if (!r.model.empty()) out += "  " + r.model;
  out += "\n";
  // One key/value list, so that every value starts in the same column
  // whichever rows are present.
  TextTable info({"", ""});
  auto add = [&](const char *name, const std::string &value) {
    if (!value.empty()) info.add_row({name, value});
  };
  if (r.system.read) {
    add("Name", r.system.sys_name);
    add("Location", r.system.sys_location);
    add("Controller", r.system.rom_version);
    add("NetWare name", r.system.netware_name);
    if (r.system.memory_kb > 0) add("Memory", bytes_text(1024LL * r.system.memory_kb));
  }
  if (r.printer_read) {
    std::string state = printer_status_name(r.printer.printerStatus);
    const std::vector<std::string> errors = detected_errors(r.printer.detectedErrorState);
    if (!errors.empty()) {
      state += " -";
      for (const std::string &e : errors) state += " " + e;
    }
    add("State", state);
  }
  if (!info.empty()) {
    // The title row of a key/value list is empty; drop it.
    const std::string text = info.render();
    out += text.substr(text.find('\n') + 1);
  }

  out += heading("Devices", r.devices.size());
  TextTable devices({"TYPE", "STATUS", "DESCRIPTION"});
  for (const QMRDeviceInfo &d : r.devices)
    devices.add_row({device_type_name(d.deviceType), device_status_name(d.deviceStatus), QMR_FIELD(d, description)});
  out += devices.render();

  out += heading("Storage", r.storage.size());
  TextTable storage({"TYPE", ">SIZE", "DESCRIPTION"});
  for (const QMRStorageInfo &s : r.storage)
    storage.add_row({storage_type_name(s.storageType), bytes_text(static_cast<long long>(s.allocationUnits) * s.size),
                     QMR_FIELD(s, description)});
  out += storage.render();

  out += heading("Input trays", r.input_trays.size());
  TextTable inputs({">#", "NAME", "TYPE", "MEDIA", "SIZE", ">CAPACITY", "LEVEL", "STATUS"});
  for (size_t i = 0; i < r.input_trays.size(); ++i) {
    const QMRInputTrayInfo &t = r.input_trays[i];
    const int32_t code = i < r.system.tray_media_sizes.size() ? r.system.tray_media_sizes[i] : kMediaSizeUnknown;
    const char *size_name = media_size_name(code);
    const std::string dims = dimension_text(t.dimensionUnit, t.chosenFeedDimension, t.chosenCrossFeedDimension);
    std::string size = size_name != nullptr ? size_name : "";
    if (!dims.empty()) size += size.empty() ? dims : " (" + dims + ")";
    std::string media = QMR_FIELD(t, mediaName);
    const std::string type = QMR_FIELD(t, mediaType);
    if (!type.empty() && type != media) media += media.empty() ? type : ", " + type;
    const std::string capacity =
        t.maxCapacity >= 0 ? number(t.maxCapacity) + (t.capacityUnit == kUnitSheets ? " sheets" : "")
                           : level_words(t.maxCapacity);
    inputs.add_row({number(static_cast<long long>(i + 1)), or_dash(QMR_FIELD(t, inputName)),
                    input_type_name(t.inputType), or_dash(media), or_dash(size), capacity,
                    level_cell(t.currentLevel, t.maxCapacity), subunit_status_text(t.status)});
  }
  out += inputs.render();

  out += heading("Output trays", r.output_trays.size());
  TextTable outputs({">#", "NAME", "TYPE", "STATUS", "DESCRIPTION"});
  for (size_t i = 0; i < r.output_trays.size(); ++i) {
    const QMROutputTrayInfo &t = r.output_trays[i];
    outputs.add_row({number(static_cast<long long>(i + 1)), or_dash(QMR_FIELD(t, name)),
                     output_type_name(t.outputType), subunit_status_text(t.status), QMR_FIELD(t, description)});
  }
  out += outputs.render();

  out += heading("Supplies", r.supplies.size());
  TextTable supplies({"SUPPLY", "LEVEL", ">REMAINING"});
  for (const QMRTonerInfo &s : r.supplies) {
    const std::string remaining =
        s.level >= 0 ? amount_text(s.level, s.supplyUnit) + " / " +
                           (s.maxCapacity >= 0 ? amount_text(s.maxCapacity, s.supplyUnit) : level_words(s.maxCapacity)) +
                           " " + unit_text(s.supplyUnit)
                     : "";
    supplies.add_row({or_dash(QMR_FIELD(s, description)), level_cell(s.level, s.maxCapacity), remaining});
  }
  out += supplies.render();

  out += heading("Alerts", r.alerts.size());
  if (r.alerts.empty()) {
    out += "  none\n";
  } else {
    TextTable alerts({"SEVERITY", "GROUP", ">#", ">CODE", "DESCRIPTION"});
    for (const QMRAlertInfo &a : r.alerts)
      alerts.add_row({alert_severity_name(a.severityLevel), alert_group_name(a.group), number(a.groupIndex),
                      number(a.code), QMR_FIELD(a, description)});
    out += alerts.render();
  }

  out += heading("Jobs", r.jobs.size());
  out += r.jobs.empty() ? "  none\n" : jobs_table_text(r.jobs);

  return out;
}
