#include "flags.h"

#include <strings.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "cli_options.h"

namespace {

constexpr double kMaxSeconds = 86400;
constexpr uint32_t kMaxPercent = 100;

// One accepted word (compared without regard to case, as net-snmp does)
// and the code it stands for.
struct Word {
  const char *text;
  int32_t code;
};

template <size_t N>
bool parse_word(const std::string &text, const Word (&words)[N], int32_t *out) {
  for (const Word &w : words) {
    if (strcasecmp(text.c_str(), w.text) == 0) {
      *out = w.code;
      return true;
    }
  }
  return false;
}

// Codes of the security block's choices.
const Word kLevels[] = {{"noAuthNoPriv", 0}, {"authNoPriv", 1}, {"authPriv", 2},
                        {"noauth", 0},       {"auth", 1},       {"priv", 2},
                        {"0", 0},            {"1", 1},          {"2", 2}};
const Word kAuthProtocols[] = {{"MD5", 1}, {"SHA", 2}, {"1", 1}, {"2", 2}};
const Word kPrivProtocols[] = {{"DES", 1}, {"AES", 2}, {"1", 1}, {"2", 2}};
const Word kVersions[] = {{"1", kSnmpV1}, {"2c", kSnmpV2c}, {"3", kSnmpV3}};
const Word kProtocols[] = {{"ipv4", kProtocolIPv4}, {"1", kProtocolIPv4}, {"ipx", kProtocolIPX},
                           {"2", kProtocolIPX},     {"ipv6", kProtocolIPv6}, {"5", kProtocolIPv6}};
const Word kJobClasses[] = {{"all", 0}, {"0", 0}, {"1", 1}, {"2", 2}};

bool percent(const std::string &v, uint32_t *out) { return parse_u32(v, out) && *out <= kMaxPercent; }

// clang-format off
const Flag kFlags[] = {
    // Command options.
    {0, "json", nullptr, kJson, kGroupCommand,
     [](const std::string &, CliOptions *o, std::string *) { return o->json = true; },
     "one JSON document on standard output"},
    {0, "dest", "ADDRESS", kDiscover, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *) { o->destination = v; return true; },
     "destination (default 255.255.255.255, ff02::1 for ipv6)"},
    {0, "protocol", "P", kDiscover | kAddress, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "ipv4, ipv6 or ipx";
       return parse_word(v, kProtocols, &o->protocol);
     },
     "ipv4, ipv6 or ipx (default: that of the address; ipv4 for discovery)"},
    {0, "filter", "OID", kDiscover, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *) { o->filters.push_back(v); return true; },
     "keep only sysObjectIDs beginning with OID (repeatable)"},
    {0, "find-community", "NAME", kDiscover, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *) { o->find_community = v; return true; },
     "discovery community (default: -c, else \"public\")"},
    {0, "class", "CLASS", kJobs, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "all, 1 or 2";
       int32_t code = 0;
       if (!parse_word(v, kJobClasses, &code)) return false;
       o->job_selector = static_cast<uint32_t>(code);
       return true;
     },
     "all, 1 (jobs of other classes) or 2 (class 17)"},
    {0, "write-community", "NAME", kWrite, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *) { o->write_community = v; return true; },
     "community of the cancel request (default \"private\")"},
    {0, "warning", "PERCENT", kCheck, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "a percentage 0..100";
       return percent(v, &o->warning_percent);
     },
     "WARNING when a supply is at or below PERCENT (default 20)"},
    {0, "critical", "PERCENT", kCheck, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "a percentage 0..100";
       return percent(v, &o->critical_percent);
     },
     "CRITICAL when a supply is at or below PERCENT (default 10)"},
    {0, "listen", "ADDRESS:PORT", kExporter, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *) { o->listen = v; return !v.empty(); },
     "where to serve HTTP, e.g. 127.0.0.1:9116 or [::1]:9116 (port 0: any free port)"},
    {0, "max-probes", "N", kExporter, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "a number 1..256";
       return parse_u32(v, &o->max_probes) && o->max_probes >= 1 && o->max_probes <= 256;
     },
     "printers read at the same time at most (default 8)"},
    {0, "probe-timeout", "SECONDS", kExporter, kGroupCommand,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "seconds, e.g. 10 or 2.5";
       return parse_seconds(v, &o->probe_timeout_ms) && o->probe_timeout_ms > 0;
     },
     "longest time one probe may take (default 10; lowered to Prometheus' scrape time-out)"},

    // Connection, as net-snmp's tools spell it.
    {'v', "snmp-version", "1|2c|3", kShared, kGroupConnection,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "1, 2c or 3";
       return parse_word(v, kVersions, &o->snmp_version);
     },
     "SNMP version (default 1; 3 when -u is given)"},
    {'c', "community", "NAME", kShared, kGroupConnection,
     [](const std::string &v, CliOptions *o, std::string *) { o->community = v; return true; },
     "read community (default \"public\")"},
    {'t', nullptr, "SECONDS", kShared, kGroupConnection,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "seconds, e.g. 1 or 1.5";
       return parse_seconds(v, &o->timeout_ms);
     },
     "time-out of each request in seconds, decimals allowed (default 2)"},
    {0, "timeout", "MS", kShared, kGroupConnection,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "milliseconds";
       return parse_u32(v, &o->timeout_ms);
     },
     "the same in milliseconds"},
    {'r', "retries", "N", kShared, kGroupConnection,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "a number";
       return parse_u32(v, &o->retries);
     },
     "retries after a time-out (default 1)"},

    {0, "bulk", nullptr, kShared, kGroupConnection,
     [](const std::string &, CliOptions *o, std::string *) { return o->bulk = true; },
     "read tables with GetBulk, many rows per exchange (SNMPv2c, the default with it, or SNMPv3; -v 1 reads row by row)"},
    {'C', nullptr, "r", kShared, kGroupConnection,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "r, as in snmptable -Cr";
       return v == "r" && (o->bulk = true);
     },
     "-Cr: the same as --bulk (the repetitions per request fit the message size)"},

    // SNMPv3.
    {'u', "user", "NAME", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *) { o->user = v; return !v.empty(); },
     "security name"},
    {'l', "level", "LEVEL", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "noAuthNoPriv, authNoPriv or authPriv";
       return parse_word(v, kLevels, &o->level);
     },
     "noAuthNoPriv, authNoPriv or authPriv (also noauth, auth, priv; default authPriv)"},
    {'a', "auth-proto", "MD5|SHA", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "MD5 or SHA";
       return parse_word(v, kAuthProtocols, &o->auth_proto);
     },
     "authentication protocol (default MD5)"},
    {'A', "auth-pass", "PASS", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *) { o->auth_pass = v; return true; },
     "authentication pass phrase"},
    {'x', "priv-proto", "DES|AES", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "DES or AES";
       return parse_word(v, kPrivProtocols, &o->priv_proto);
     },
     "privacy protocol (default DES)"},
    {'X', "priv-pass", "PASS", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *) { o->priv_pass = v; return true; },
     "privacy pass phrase"},
    {'n', "context", "NAME", kShared, kGroupV3,
     [](const std::string &v, CliOptions *o, std::string *) { o->context = v; return true; },
     "context name"},

    // Other.
    {0, "trace", "LEVELS", kShared, kGroupOther,
     [](const std::string &v, CliOptions *o, std::string *e) {
       *e = "error,warn,info,debug,trace or all";
       uint32_t mask = 0;
       o->trace = v;
       return parse_trace_levels(v, &mask);
     },
     "trace log to standard error: error,warn,info,debug,trace or all"},
    {0, "trace-file", "PATH", kShared, kGroupOther,
     [](const std::string &v, CliOptions *o, std::string *) { o->trace_file = v; return true; },
     "trace log into PATH instead (kept under 1 MiB, one .bak)"},
    {'h', "help", nullptr, kShared, kGroupOther,
     [](const std::string &, CliOptions *o, std::string *) { return o->help = true; },
     "this text"},
};
// clang-format on

}  // namespace

const Flag *flag_table(size_t *count) {
  *count = sizeof kFlags / sizeof kFlags[0];
  return kFlags;
}

const Flag *find_short_flag(char short_name) {
  for (const Flag &f : kFlags) {
    if (short_name != 0 && f.short_name == short_name) return &f;
  }
  return nullptr;
}

const Flag *find_long_flag(const std::string &long_name) {
  for (const Flag &f : kFlags) {
    if (f.long_name != nullptr && long_name == f.long_name) return &f;
  }
  return nullptr;
}

std::string flag_spelling(const Flag &f) {
  std::string text;
  if (f.short_name != 0) text = std::string("-") + f.short_name;
  if (f.long_name != nullptr) text += (text.empty() ? "--" : ", --") + std::string(f.long_name);
  return text;
}

bool parse_u32(const std::string &text, uint32_t *out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char *end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value > UINT32_MAX) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

bool parse_seconds(const std::string &text, uint32_t *ms) {
  // Digits with at most one point; no sign, exponent, "inf" or "nan".
  size_t points = 0, digits = 0;
  for (char c : text) {
    if (c == '.') ++points;
    else if (c >= '0' && c <= '9') ++digits;
    else return false;
  }
  if (digits == 0 || points > 1) return false;
  const double seconds = std::strtod(text.c_str(), nullptr);
  if (seconds > kMaxSeconds) return false;
  *ms = static_cast<uint32_t>(std::lround(seconds * 1000));
  return true;
}
