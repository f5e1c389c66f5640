// qmr: the command-line face of libqmr.
#include <cstdio>
#include <string>

#include "cli_options.h"
#include "commands.h"

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
  return run_command(options);
}
