#include "check.h"

#include <algorithm>
#include <set>

#include "mib_names.h"
#include "text_table.h"

namespace {

// prtAlertSeverityLevel.
constexpr int32_t kSeverityCritical = 3;
constexpr int32_t kSeverityWarning = 4;
constexpr int32_t kSeverityWarningEvent = 5;
constexpr int32_t kInputManualFeed = 5;
constexpr int32_t kUnitSheets = 8;
constexpr char kUnknownValue[] = "U";

// Error-state conditions that stop the printer; every other one set warns.
const char *const kStoppingConditions[] = {"noPaper", "noToner", "doorOpen", "jammed"};

bool stops_printer(const std::string &condition) {
  return std::find(std::begin(kStoppingConditions), std::end(kStoppingConditions), condition) !=
         std::end(kStoppingConditions);
}

// Device texts inside the one output line: no line breaks, and no '|',
// which would start the performance data.
std::string plain(const std::string &text) {
  std::string out = text;
  for (char &c : out) {
    if (c == '|') c = '/';
    else if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return out;
}

class Findings {
 public:
  void add(CheckState state, const std::string &text) { m_items.push_back({state, plain(text)}); }
  CheckResult result() const {
    CheckResult r;
    std::vector<Item> items = m_items;
    // CRITICAL first, then UNKNOWN, then WARNING; in found order within each.
    auto rank = [](CheckState s) { return s == kCheckCritical ? 0 : s == kCheckUnknown ? 1 : 2; };
    std::stable_sort(items.begin(), items.end(),
                     [&](const Item &a, const Item &b) { return rank(a.state) < rank(b.state); });
    for (const Item &i : items) r.problems.push_back(i.text);
    if (!items.empty()) r.state = items.front().state;
    return r;
  }

 private:
  struct Item {
    CheckState state;
    std::string text;
  };
  std::vector<Item> m_items;
};

// A label not used before: "Toner", then "Toner #2", "Toner #3".
std::string unique_label(const std::string &wanted, std::set<std::string> *used) {
  std::string label = wanted;
  for (int n = 2; !used->insert(label).second; ++n) label = wanted + " #" + std::to_string(n);
  return label;
}

std::string name_or(const std::string &name, const char *kind, size_t position) {
  return name.empty() ? std::string(kind) + " " + std::to_string(position) : name;
}

}  // namespace

const char *check_state_name(CheckState state) {
  switch (state) {
    case kCheckOk: return "OK";
    case kCheckWarning: return "WARNING";
    case kCheckCritical: return "CRITICAL";
    default: return "UNKNOWN";
  }
}

CheckResult evaluate_check(const PrinterReport &r, const CheckThresholds &t) {
  Findings findings;
  for (const SectionFailure &s : r.failures) {
    findings.add(kCheckUnknown, s.section + " could not be read: error " + std::to_string(s.failure.code) + " (" +
                                    qmr_result_text(s.failure.code) + ")");
  }
  if (r.printer_read) {
    for (const std::string &condition : detected_errors(r.printer.detectedErrorState))
      findings.add(stops_printer(condition) ? kCheckCritical : kCheckWarning, condition);
  }
  for (const QMRAlertInfo &a : r.alerts) {
    const std::string text = "alert: " + QMR_FIELD(a, description);
    if (a.severityLevel == kSeverityCritical) findings.add(kCheckCritical, text);
    else if (a.severityLevel == kSeverityWarning || a.severityLevel == kSeverityWarningEvent)
      findings.add(kCheckWarning, text);
  }

  std::vector<PerfDatum> perf;
  std::set<std::string> used;
  const std::string warn_range = std::to_string(t.warning_percent) + ":";
  const std::string crit_range = std::to_string(t.critical_percent) + ":";
  for (size_t i = 0; i < r.supplies.size(); ++i) {
    const QMRTonerInfo &s = r.supplies[i];
    const std::string name = name_or(QMR_FIELD(s, description), "supply", i + 1);
    // An empty supply is empty whatever its capacity says.
    const int percent = s.level == 0 ? 0 : percent_of(s.level, s.maxCapacity);
    PerfDatum d{unique_label(name, &used), kUnknownValue, "", warn_range, crit_range, "0", "100"};
    if (percent >= 0) {
      d.value = std::to_string(percent);
      d.uom = "%";
      const std::string text = name + " " + d.value + "%";
      if (percent < static_cast<int>(t.critical_percent)) findings.add(kCheckCritical, text);
      else if (percent < static_cast<int>(t.warning_percent)) findings.add(kCheckWarning, text);
    }
    perf.push_back(d);
  }
  for (size_t i = 0; i < r.input_trays.size(); ++i) {
    const QMRInputTrayInfo &tray = r.input_trays[i];
    const std::string name = name_or(QMR_FIELD(tray, inputName), "tray", i + 1);
    // A manual-feed slot is empty between uses; other trays should not be.
    const bool watched = tray.inputType != kInputManualFeed;
    PerfDatum d{unique_label(name, &used), kUnknownValue, "", watched ? "1:" : "", "", "0", ""};
    if (tray.maxCapacity >= 0 && tray.capacityUnit == kUnitSheets) d.max = std::to_string(tray.maxCapacity);
    if (tray.currentLevel >= 0) d.value = std::to_string(tray.currentLevel);
    if (tray.currentLevel == 0 && watched) findings.add(kCheckWarning, name + " empty");
    perf.push_back(d);
  }
  CheckResult result = findings.result();
  result.perfdata = std::move(perf);
  result.supplies = r.supplies.size();
  result.trays = r.input_trays.size();
  return result;
}

std::string perf_label(const std::string &text) {
  std::string label = plain(text);
  std::replace(label.begin(), label.end(), '=', '_');
  std::replace(label.begin(), label.end(), '\'', '_');
  return "'" + label + "'";
}

std::string format_perfdata(const std::vector<PerfDatum> &data) {
  std::string out;
  for (const PerfDatum &d : data) {
    std::string item = perf_label(d.label) + "=" + d.value + d.uom;
    std::string fields;
    for (const std::string *f : {&d.warn, &d.crit, &d.min, &d.max}) fields += ";" + *f;
    while (!fields.empty() && fields.back() == ';') fields.pop_back();
    out += (out.empty() ? "" : " ") + item + fields;
  }
  return out;
}

std::string check_line(const std::string &subject, const std::string &printer_state, const CheckResult &r) {
  std::string summary = plain(subject) + " " + printer_state + ": ";
  if (r.problems.empty()) {
    summary += std::to_string(r.supplies) + " supplies and " + std::to_string(r.trays) + " input trays fine";
  } else {
    for (size_t i = 0; i < r.problems.size(); ++i) summary += (i ? "; " : "") + r.problems[i];
  }
  std::string line = std::string("QMR ") + check_state_name(r.state) + " - " + summary;
  const std::string perf = format_perfdata(r.perfdata);
  if (!perf.empty()) line += " | " + perf;
  return line + "\n";
}

std::string unknown_line(const std::string &why) {
  return std::string("QMR ") + check_state_name(kCheckUnknown) + " - " + plain(why) + "\n";
}
