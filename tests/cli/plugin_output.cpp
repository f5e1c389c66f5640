#include "plugin_output.h"

#include <regex>

namespace {

// Numbers are in [-0-9.]; a threshold is a range: [@][start:][end], where
// start may be ~ (negative infinity) and an empty end means infinity.
const std::string kNumber = R"((?:-?[0-9]+(?:\.[0-9]+)?|-?\.[0-9]+))";
const std::string kRange = "(@?(?:(?:~|" + kNumber + "):)?(?:" + kNumber + ")?)";
// A label may hold anything but '=' and a single quote ('' stands for a
// quote inside a quoted label); it must be quoted when it holds a space.
const std::string kLabel = R"(('(?:[^'=]|'')+'|[^'=\s]+))";
const std::string kUom = "(s|ms|us|%|B|KB|MB|TB|c)?";
const std::string kNumberGroup = "(" + kNumber + ")";
// Trailing fields may be left out altogether.
const std::regex kItem("^" + kLabel + "=(U|" + kNumber + ")" + kUom + "(?:;" + kRange + "?(?:;" + kRange +
                       "?(?:;" + kNumberGroup + "?(?:;" + kNumberGroup + "?)?)?)?)?(?:\\s+|$)");
const std::regex kHead(R"(^(\S+) (OK|WARNING|CRITICAL|UNKNOWN) - (.*)$)");

std::string unquote(const std::string &label) {
  if (label.size() < 2 || label.front() != '\'') return label;
  std::string inner = label.substr(1, label.size() - 2), out;
  for (size_t i = 0; i < inner.size(); ++i) {
    out += inner[i];
    if (inner[i] == '\'') ++i;  // '' is one quote
  }
  return out;
}

}  // namespace

bool parse_plugin_output(const std::string &text, PluginOutput *out, std::string *reason) {
  std::string line = text;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (line.find('\n') != std::string::npos) {
    *reason = "more than one line";
    return false;
  }
  const size_t bar = line.find('|');
  const std::string head = line.substr(0, bar);
  std::smatch m;
  if (!std::regex_match(head, m, kHead)) {
    *reason = "not \"SERVICE STATE - summary\": " + head;
    return false;
  }
  out->service = m[1];
  out->state = m[2];
  out->summary = m[3];
  out->perf.clear();
  if (bar == std::string::npos) return true;
  if (bar + 1 >= line.size() || line[bar + 1] != ' ') {
    *reason = "no space after '|'";
    return false;
  }
  std::string rest = line.substr(bar + 2);
  if (rest.find('|') != std::string::npos) {
    *reason = "a second '|'";
    return false;
  }
  while (!rest.empty()) {
    if (!std::regex_search(rest, m, kItem)) {
      *reason = "not performance data: " + rest;
      return false;
    }
    PerfItem item{unquote(m[1]), m[2], m[3], m[4], m[5], m[6], m[7]};
    out->perf.push_back(item);
    rest = m.suffix();
  }
  return true;
}
