// The qmr commands. Each returns the process exit status.
#ifndef QMR_TOOLS_COMMANDS_H
#define QMR_TOOLS_COMMANDS_H

#include "cli_options.h"

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int run_command(const CliOptions &options);
// `qmr check`: the monitoring-plugin exit status.
int run_check(const CliOptions &options);
// `qmr exporter`: serves until SIGINT or SIGTERM.
int run_exporter(const CliOptions &options);

#endif  // QMR_TOOLS_COMMANDS_H
