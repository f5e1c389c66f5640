// Prometheus' text exposition format: a writer that groups samples by
// family, the escaping the format asks for, and the metrics of one
// printer probe. Pure text work, testable without a network.
#ifndef QMR_TOOLS_EXPOSITION_H
#define QMR_TOOLS_EXPOSITION_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "printer_report.h"

using MetricLabels = std::vector<std::pair<std::string, std::string>>;

class Exposition {
 public:
  // Declares a family (# HELP, # TYPE); families are written in the order
  // declared, and only when they hold a sample.
  void family(const std::string &name, const char *type, const std::string &help);
  // A sample of the family declared last under `name` (a counter's
  // samples carry the family name plus "_total").
  void sample(const std::string &family_name, const std::string &name, const MetricLabels &labels, double value);
  void sample(const std::string &name, const MetricLabels &labels, double value) {
    sample(name, name, labels, value);
  }
  std::string text() const;

 private:
  struct Family {
    std::string name, type, help;
    std::vector<std::string> lines;
  };
  std::vector<Family> m_families;
};

// A label value: backslash, double quote and line feed escaped, and bytes
// that are not UTF-8 replaced by U+FFFD (Prometheus refuses them).
std::string escape_label_value(const std::string &text);
// A HELP text: backslash and line feed escaped.
std::string escape_help(const std::string &text);
// The shortest text that reads back as `value`; "NaN", "+Inf", "-Inf".
std::string format_sample_value(double value);

// What one probe found: whether the printer was opened (`code` says why
// not), how long it took, and the report (meaningful when up).
struct ProbeOutcome {
  bool up = false;
  int32_t code = 0;
  double seconds = 0;
  PrinterReport report;
};
// The exposition of a probe. Levels that are not amounts (-1 other,
// -2 unknown, -3 some left) are left out rather than written as negative
// ratios.
std::string probe_exposition(const ProbeOutcome &outcome);

#endif  // QMR_TOOLS_EXPOSITION_H
