// qmr: the command-line face of libqmr.
#include <cstdio>
#include <string>

#include "cli_options.h"
#include "commands.h"

int main(int argc, char **argv) {
  CliOptions options;
  std::string error;
  if (!parse_cli(argc, argv, &options, &error)) {
    std::fprintf(stderr, "qmr: %s\n\n%s", error.c_str(), usage_text(options.command.empty() && argc > 1 && is_command(argv[1]) ? argv[1] : "").c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(usage_text(options.command).c_str(), stdout);
    return kExitOk;
  }
  return run_command(options);
}
