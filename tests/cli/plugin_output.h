// A reader of monitoring-plugin output written from the plugin guidelines
// alone (Monitoring Plugins Development Guidelines, "Plugin Output" and
// "Performance data"), to check what `qmr check` prints independently of
// the code that prints it.
#ifndef QMR_TESTS_CLI_PLUGIN_OUTPUT_H
#define QMR_TESTS_CLI_PLUGIN_OUTPUT_H

#include <string>
#include <vector>

struct PerfItem {
  std::string label;  // unquoted
  std::string value, uom, warn, crit, min, max;
};

struct PluginOutput {
  std::string service, state, summary;
  std::vector<PerfItem> perf;
};

// "SERVICE STATE - summary | 'label'=value[UOM];warn;crit;min;max ..." on
// one line. False with the reason when anything breaks the grammar.
bool parse_plugin_output(const std::string &text, PluginOutput *out, std::string *reason);

#endif  // QMR_TESTS_CLI_PLUGIN_OUTPUT_H
