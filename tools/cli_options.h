// Command line of the qmr program: the command, its operands and the
// options shared by all commands.
#ifndef QMR_TOOLS_CLI_OPTIONS_H
#define QMR_TOOLS_CLI_OPTIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "qmr.h"

inline constexpr uint32_t kDefaultTimeoutMs = 2000;
inline constexpr uint32_t kDefaultRetries = 1;
inline constexpr uint32_t kDefaultTraceFileBytes = 1024 * 1024;

// Public protocol numbers of the library.
inline constexpr int32_t kProtocolIPv4 = 1;
inline constexpr int32_t kProtocolIPX = 2;
inline constexpr int32_t kProtocolIPv6 = 5;

// Security selectors that ask for SNMPv2c and SNMPv3.
inline constexpr int32_t kSelectorV2c = 1;
inline constexpr int32_t kSelectorV3 = 2;

struct CliOptions {
  std::string command;
  std::vector<std::string> operands;
  bool json = false;
  bool help = false;
  bool bulk = false;            // GetBulk table walks (community devices then speak v2c)

  std::string community;        // reads (and discovery unless find_community)
  std::string write_community;  // job cancel
  std::string find_community;   // discovery
  uint32_t timeout_ms = kDefaultTimeoutMs;
  uint32_t retries = kDefaultRetries;
  int32_t protocol = 0;         // 0: from the address text (IPv4 for discovery)
  std::string destination;      // discovery destination; empty: broadcast
  std::vector<std::string> filters;
  uint32_t job_selector = 0;

  // SNMPv3: used when a user name is given.
  std::string user;
  int32_t level = -1;           // -1 keeps the library default
  int32_t auth_proto = -1;
  int32_t priv_proto = -1;
  std::string auth_pass;
  std::string priv_pass;
  std::string context;

  std::string trace;            // level words, empty: no trace
  std::string trace_file;
  uint32_t trace_max_bytes = kDefaultTraceFileBytes;

  bool v3() const { return !user.empty(); }
  // The block for the ...Ex functions.
  QMRSecurityBlock security_block() const;
};

// Parses argv. On a usage error returns false with the reason in `error`.
bool parse_cli(int argc, char **argv, CliOptions *out, std::string *error);

// Usage text of one command, or of the program when `command` is empty or
// unknown.
std::string usage_text(const std::string &command);
bool is_command(const std::string &name);

// Trace level words ("error,warn,info,debug,trace", "all", or a number) to
// the log mask; false when a word is unknown.
bool parse_trace_levels(const std::string &text, uint32_t *mask);

#endif  // QMR_TOOLS_CLI_OPTIONS_H
