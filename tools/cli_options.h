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

// Public protocol numbers of the library.
inline constexpr int32_t kProtocolIPv4 = 1;
inline constexpr int32_t kProtocolIPX = 2;
inline constexpr int32_t kProtocolIPv6 = 5;

// Security selectors of the ...Ex functions: SNMP version codes.
inline constexpr int32_t kSelectorV2c = 1;
inline constexpr int32_t kSelectorV3 = 2;

// -v: as net-snmp numbers its versions; 0 when not given.
inline constexpr int32_t kSnmpV1 = 1;
inline constexpr int32_t kSnmpV2c = 2;
inline constexpr int32_t kSnmpV3 = 3;

// Supply levels at or below these percentages make `qmr check` warn or fail.
inline constexpr uint32_t kDefaultWarningPercent = 20;
inline constexpr uint32_t kDefaultCriticalPercent = 10;
inline constexpr uint32_t kDefaultMaxProbes = 8;
inline constexpr uint32_t kDefaultProbeTimeoutMs = 10000;

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

  int32_t snmp_version = 0;    // kSnmpV1, kSnmpV2c, kSnmpV3; 0: v1, or v3 with a user
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

  uint32_t warning_percent = kDefaultWarningPercent;
  uint32_t critical_percent = kDefaultCriticalPercent;

  std::string listen;           // exporter: ADDRESS:PORT
  uint32_t max_probes = kDefaultMaxProbes;
  uint32_t probe_timeout_ms = kDefaultProbeTimeoutMs;

  bool v3() const { return !user.empty(); }
  // 0 for SNMPv1 (the plain functions), else the selector of the ...Ex ones.
  int32_t security_selector() const { return v3() ? kSelectorV3 : snmp_version == kSnmpV2c ? kSelectorV2c : 0; }
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
