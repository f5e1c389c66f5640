// Runs the qmr program (or another command) with a time bound and collects
// its exit status and both output streams; flattens JSON output through an
// independent parser (Python's) for field-by-field checks.
#ifndef QMR_TESTS_CLI_CLI_RUNNER_H
#define QMR_TESTS_CLI_CLI_RUNNER_H

#include <map>
#include <string>
#include <vector>

struct RunResult {
  int status = -1;  // exit status; -1 when killed or not started
  std::string out;
  std::string err;
};

// In a forked child: runs `argv` (argv[0] the program path); never returns.
[[noreturn]] void exec_program(const std::vector<std::string> &argv);
// `argv[0]` is the program path. Killed after `limit_ms`.
RunResult run_program(const std::vector<std::string> &argv, int limit_ms = 60000);
// The qmr program of this build with `args`.
RunResult run_qmr(const std::vector<std::string> &args, int limit_ms = 60000);

// Leaves of a JSON document by path ("inputTrays.0.mediaName"); containers
// give "{N}" / "[N]". Empty map when the text is not one valid document.
using FlatJson = std::map<std::string, std::string>;
FlatJson flatten_json(const std::string &text);
// The flattened form of a string leaf.
std::string json_string_leaf(const std::string &text);

#endif  // QMR_TESTS_CLI_CLI_RUNNER_H
