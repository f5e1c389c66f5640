#include "exposition.h"

#include <charconv>
#include <cmath>
#include <map>

#include "mib_names.h"

namespace {

constexpr int32_t kUnitSheets = 8;
constexpr char kGauge[] = "gauge";

// Length of the UTF-8 sequence at `p` (of `left` bytes), or 0 when it is
// not a valid one (overlong forms, surrogates and values above U+10FFFF
// included).
size_t utf8_sequence(const unsigned char *p, size_t left) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  size_t n = 0;
  uint32_t cp = 0;
  if ((c & 0xE0) == 0xC0) n = 2, cp = c & 0x1F;
  else if ((c & 0xF0) == 0xE0) n = 3, cp = c & 0x0F;
  else if ((c & 0xF8) == 0xF0) n = 4, cp = c & 0x07;
  else return 0;
  if (left < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

std::string escaped(const std::string &text, bool quotes) {
  std::string out;
  const auto *p = reinterpret_cast<const unsigned char *>(text.data());
  for (size_t i = 0; i < text.size();) {
    const size_t n = utf8_sequence(p + i, text.size() - i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    const char c = text[i];
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '"' && quotes) out += "\\\"";
    else out.append(text, i, n);
    i += n;
  }
  return out;
}

std::string labels_text(const MetricLabels &labels) {
  if (labels.empty()) return "";
  std::string out = "{";
  for (size_t i = 0; i < labels.size(); ++i) {
    out += (i ? "," : "") + labels[i].first + "=\"" + escape_label_value(labels[i].second) + "\"";
  }
  return out + "}";
}

std::string position(size_t i) { return std::to_string(i + 1); }

double ratio(int32_t level, int32_t maximum) { return static_cast<double>(level) / maximum; }

}  // namespace

std::string escape_label_value(const std::string &text) { return escaped(text, true); }
std::string escape_help(const std::string &text) { return escaped(text, false); }

std::string format_sample_value(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ptr);
}

void Exposition::family(const std::string &name, const char *type, const std::string &help) {
  m_families.push_back({name, type, help, {}});
}

void Exposition::sample(const std::string &family_name, const std::string &name, const MetricLabels &labels,
                        double value) {
  for (auto f = m_families.rbegin(); f != m_families.rend(); ++f) {
    if (f->name != family_name) continue;
    f->lines.push_back(name + labels_text(labels) + " " + format_sample_value(value) + "\n");
    return;
  }
}

std::string Exposition::text() const {
  std::string out;
  for (const Family &f : m_families) {
    if (f.lines.empty()) continue;
    out += "# HELP " + f.name + " " + escape_help(f.help) + "\n";
    out += "# TYPE " + f.name + " " + f.type + "\n";
    for (const std::string &line : f.lines) out += line;
  }
  return out;
}

std::string probe_exposition(const ProbeOutcome &o) {
  Exposition e;
  e.family("qmr_up", kGauge, "1 when the printer was opened and read, 0 when it could not be.");
  e.sample("qmr_up", {}, o.up ? 1 : 0);
  e.family("qmr_probe_duration_seconds", kGauge, "How long the probe took.");
  e.sample("qmr_probe_duration_seconds", {}, o.seconds);
  e.family("qmr_probe_result_code", kGauge, "The library's result code of opening the printer (0 success).");
  e.sample("qmr_probe_result_code", {}, o.code);
  if (!o.up) return e.text();

  const PrinterReport &r = o.report;
  e.family("qmr_read_failed", kGauge, "1 for each part of the printer's state that could not be read.");
  for (const SectionFailure &s : r.failures) e.sample("qmr_read_failed", {{"section", s.section}}, 1);

  e.family("qmr_info", kGauge, "The printer's model, names and controller version.");
  e.sample("qmr_info",
           {{"model", r.model},
            {"name", r.system.sys_name},
            {"location", r.system.sys_location},
            {"controller", r.system.rom_version},
            {"address", r.address}},
           1);

  if (r.printer_read) {
    e.family("qmr_printer_status", kGauge, "hrPrinterStatus: 1 other, 2 unknown, 3 idle, 4 printing, 5 warmup.");
    e.sample("qmr_printer_status", {}, r.printer.printerStatus);
    e.family("qmr_printer_error_state", kGauge, "1 for each hrPrinterDetectedErrorState condition that is set.");
    for (size_t bit = 0; bit < error_condition_count(); ++bit) {
      e.sample("qmr_printer_error_state", {{"condition", error_condition_name(bit)}},
               error_condition_set(r.printer.detectedErrorState, bit) ? 1 : 0);
    }
  }

  e.family("qmr_supply_level_ratio", kGauge, "Level of a consumed supply as a fraction of its capacity.");
  for (size_t i = 0; i < r.supplies.size(); ++i) {
    const QMRTonerInfo &s = r.supplies[i];
    if (s.level >= 0 && s.maxCapacity > 0)
      e.sample("qmr_supply_level_ratio", {{"index", position(i)}, {"description", QMR_FIELD(s, description)}},
               ratio(s.level, s.maxCapacity));
  }
  e.family("qmr_supply_capacity", kGauge, "Capacity of a consumed supply in the unit the printer names.");
  for (size_t i = 0; i < r.supplies.size(); ++i) {
    const QMRTonerInfo &s = r.supplies[i];
    if (s.maxCapacity >= 0)
      e.sample("qmr_supply_capacity",
               {{"index", position(i)},
                {"description", QMR_FIELD(s, description)},
                {"unit", capacity_unit_name(s.supplyUnit)}},
               s.maxCapacity);
  }
  e.family("qmr_input_tray_level_ratio", kGauge, "Paper in an input tray as a fraction of its capacity.");
  for (size_t i = 0; i < r.input_trays.size(); ++i) {
    const QMRInputTrayInfo &t = r.input_trays[i];
    if (t.currentLevel >= 0 && t.maxCapacity > 0)
      e.sample("qmr_input_tray_level_ratio", {{"index", position(i)}, {"name", QMR_FIELD(t, inputName)}},
               ratio(t.currentLevel, t.maxCapacity));
  }
  e.family("qmr_input_tray_capacity_sheets", kGauge, "Capacity of an input tray in sheets.");
  for (size_t i = 0; i < r.input_trays.size(); ++i) {
    const QMRInputTrayInfo &t = r.input_trays[i];
    if (t.capacityUnit == kUnitSheets && t.maxCapacity >= 0)
      e.sample("qmr_input_tray_capacity_sheets", {{"index", position(i)}, {"name", QMR_FIELD(t, inputName)}},
               t.maxCapacity);
  }
  e.family("qmr_alert_info", kGauge, "One sample per active alert of the printer's alert table.");
  for (size_t i = 0; i < r.alerts.size(); ++i) {
    const QMRAlertInfo &a = r.alerts[i];
    e.sample("qmr_alert_info",
             {{"index", position(i)},
              {"severity", alert_severity_name(a.severityLevel)},
              {"group", alert_group_name(a.group)},
              {"code", std::to_string(a.code)},
              {"description", QMR_FIELD(a, description)}},
             1);
  }
  std::map<std::string, int> jobs;
  for (const QMRJobInfo &j : r.jobs) {
    const std::string state = QMR_FIELD(j, lookupText3);
    ++jobs[state.empty() ? "unknown" : state];
  }
  e.family("qmr_jobs", kGauge, "Jobs on the printer by the state it names.");
  for (const auto &[state, count] : jobs) e.sample("qmr_jobs", {{"state", state}}, count);
  return e.text();
}
