// qmr: the command-line face of libqmr.
#include <cstdio>
#include <string>

#include "cli_options.h"
#include "commands.h"
#include "trace_log.h"

int main(int argc, char **argv) {
  CliOptions options;
  std::string error;
  if (!parse_cli(argc, argv, &options, &error)) {
    const std::string help = is_command(options.command) ? "qmr " + options.command + " --help" : "qmr --help";
    std::fprintf(stderr, "qmr: %s\n`%s` lists the options.\n", error.c_str(), help.c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(usage_text(options.command).c_str(), stdout);
    return kExitOk;
  }
  if (!options.trace.empty()) {
    uint32_t mask = 0;
    parse_trace_levels(options.trace, &mask);
    const char *path = options.trace_file.empty() ? nullptr : options.trace_file.c_str();
    const int32_t rc = start_trace_log(mask, path, options.trace_max_bytes);
    if (rc != QMR_OK) {
      std::fprintf(stderr, "qmr: cannot start the trace log: error %d (%s)\n", rc, qmr_result_text(rc));
      return kExitFailure;
    }
  }
  return run_command(options);
}
