#include "cli_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// Bits of the trace log's level mask.
constexpr uint32_t kTraceError = 1;
constexpr uint32_t kTraceWarn = 2;
constexpr uint32_t kTraceInfo = 4;
constexpr uint32_t kTraceDebug = 8;
constexpr uint32_t kTraceTrace = 16;
constexpr uint32_t kTraceAll = 31;

// Which options each command takes, beyond the shared ones.
enum OptionSet : unsigned {
  kRead = 1,        // --community, --json
  kWrite = 2,       // --write-community
  kDiscover = 4,    // --find-community, --dest, --filter
  kJobs = 8,        // --class
  kAddress = 16,    // --protocol for a device address
};

struct Command {
  const char *name;
  const char *operands;  // usage line after the name
  size_t operand_count;
  unsigned options;
  const char *summary;
};

const Command kCommands[] = {
    {"discover", "", 0, kRead | kDiscover,
     "Find supported printers by SNMP broadcast (IPv4, IPX) or multicast (IPv6)."},
    {"status", "ADDRESS", 1, kRead | kAddress,
     "Printer and device state, storage, input and output trays, supplies, alerts and jobs."},
    {"options", "ADDRESS", 1, kRead | kAddress, "Every device option: units, memory, disks, names, input trays."},
    {"jobs", "ADDRESS", 1, kRead | kAddress | kJobs, "The printer's jobs."},
    {"cancel", "ADDRESS JOBID", 2, kRead | kWrite | kAddress, "Cancel the job JOBID (as `qmr jobs` lists it)."},
    {"charset", "ADDRESS", 1, kRead | kAddress, "The character sets of the printer's texts."},
};

const Command *find_command(const std::string &name) {
  for (const Command &c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

bool parse_u32(const std::string &text, uint32_t *out) {
  if (text.empty() || text[0] == '-') return false;
  errno = 0;
  char *end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value > UINT32_MAX) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

// A word among `words` (index = code), or a digit 0..2.
bool parse_choice(const std::string &text, const char *const *words, size_t count, int32_t first_code, int32_t *out) {
  for (size_t i = 0; i < count; ++i) {
    if (text == words[i]) {
      *out = first_code + static_cast<int32_t>(i);
      return true;
    }
  }
  uint32_t value = 0;
  if (parse_u32(text, &value) && value >= static_cast<uint32_t>(first_code) &&
      value < first_code + count) {
    *out = static_cast<int32_t>(value);
    return true;
  }
  return false;
}

bool parse_protocol(const std::string &text, int32_t *out) {
  if (text == "ipv4" || text == "1") *out = kProtocolIPv4;
  else if (text == "ipx" || text == "2") *out = kProtocolIPX;
  else if (text == "ipv6" || text == "5") *out = kProtocolIPv6;
  else return false;
  return true;
}

void copy_text(char *to, size_t size, const std::string &from) {
  std::strncpy(to, from.c_str(), size - 1);
  to[size - 1] = '\0';
}

const char kSharedHelp[] =
    "Connection options:\n"
    "  --timeout MS            time-out of each request in milliseconds (default 2000)\n"
    "  --retries N             retries after a time-out (default 1)\n"
    "  --community NAME        read community (default \"public\")\n"
    "  --bulk                  read tables with GetBulk, many rows per exchange (SNMPv2c,\n"
    "                          or SNMPv3 with --user)\n"
    "SNMPv3 options (a user name selects SNMPv3):\n"
    "  --user NAME             security name\n"
    "  --level LEVEL           noauth, auth or priv (default priv)\n"
    "  --auth-proto PROTO      md5 or sha (default md5)\n"
    "  --auth-pass TEXT        authentication pass phrase\n"
    "  --priv-proto PROTO      des or aes (default des)\n"
    "  --priv-pass TEXT        privacy pass phrase\n"
    "  --context NAME          context name\n"
    "Other options:\n"
    "  --json                  one JSON document on standard output\n"
    "  --trace LEVELS          trace log to standard error: error,warn,info,debug,trace or all\n"
    "  --trace-file PATH       trace log into PATH instead (kept under 1 MiB, one .bak)\n"
    "  --help                  this text\n";

}  // namespace

QMRSecurityBlock CliOptions::security_block() const {
  QMRSecurityBlock block;
  std::memset(&block, 0, sizeof block);
  copy_text(block.userName, sizeof block.userName, user);
  block.choice1 = level;
  block.choice2 = auth_proto;
  block.choice3 = priv_proto;
  copy_text(block.passPhrase1, sizeof block.passPhrase1, auth_pass);
  copy_text(block.passPhrase2, sizeof block.passPhrase2, priv_pass);
  copy_text(block.text3, sizeof block.text3, context);
  return block;
}

bool is_command(const std::string &name) { return find_command(name) != nullptr; }

bool parse_trace_levels(const std::string &text, uint32_t *mask) {
  uint32_t value = 0;
  if (parse_u32(text, &value)) {
    *mask = value & kTraceAll;
    return value <= kTraceAll;
  }
  static const struct {
    const char *word;
    uint32_t bits;
  } kWords[] = {{"error", kTraceError}, {"warn", kTraceWarn}, {"info", kTraceInfo},
                {"debug", kTraceDebug}, {"trace", kTraceTrace}, {"all", kTraceAll}};
  uint32_t bits = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    bool known = false;
    for (const auto &w : kWords) {
      if (word == w.word) {
        bits |= w.bits;
        known = true;
      }
    }
    if (!known) return false;
    start = end + 1;
  }
  *mask = bits;
  return true;
}

std::string usage_text(const std::string &name) {
  const Command *c = find_command(name);
  if (c == nullptr) {
    std::string text =
        "qmr - watch and manage network printers over SNMP (libqmr)\n\n"
        "Usage: qmr COMMAND [OPTIONS] [OPERANDS]\n\nCommands:\n";
    for (const Command &k : kCommands) {
      std::string line = std::string("  ") + k.name + " " + k.operands;
      line.resize(24, ' ');
      text += line + k.summary + "\n";
    }
    text += "\n`qmr COMMAND --help` lists the options of a command.\n";
    text += "Exit status: 0 success, 1 the printer or the library reported a failure, 2 usage error.\n";
    return text;
  }
  std::string text = std::string("Usage: qmr ") + c->name + " [OPTIONS]" +
                     (c->operand_count ? std::string(" ") + c->operands : "") + "\n" + c->summary + "\n\n";
  if (c->options & kAddress)
    text +=
        "ADDRESS is an IPv4 or IPv6 address, an IPX address, or a host name.\n"
        "  --protocol P            ipv4, ipv6 or ipx (default: that of the address)\n";
  if (c->options & kDiscover)
    text +=
        "  --dest ADDRESS          destination (default 255.255.255.255, ff02::1 for ipv6)\n"
        "  --protocol P            ipv4, ipv6 or ipx (default ipv4; ipx needs --dest)\n"
        "  --filter OID            keep only sysObjectIDs beginning with OID (repeatable)\n"
        "  --find-community NAME   discovery community (default: --community, else \"public\")\n";
  if (c->options & kJobs) text += "  --class CLASS           all, 1 (jobs of other classes) or 2 (class 17)\n";
  if (c->options & kWrite) text += "  --write-community NAME  community of the cancel request (default \"private\")\n";
  text += kSharedHelp;
  return text;
}

bool parse_cli(int argc, char **argv, CliOptions *out, std::string *error) {
  CliOptions o;
  int i = 1;
  if (i < argc && argv[i][0] != '-') o.command = argv[i++];
  if (o.command == "help") {
    o.help = true;
    o.command = i < argc ? argv[i] : "";
    *out = o;
    return true;
  }
  const Command *c = find_command(o.command);
  if (c == nullptr && !o.command.empty()) {
    *error = "unknown command \"" + o.command + "\"";
    return false;
  }
  const unsigned allowed = c != nullptr ? c->options : 0;

  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0 || arg == "--") {
      if (arg == "--") {
        for (++i; i < argc; ++i) o.operands.emplace_back(argv[i]);
        break;
      }
      o.operands.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    std::string value;
    bool has_value = false;
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      has_value = true;
    }
    if (name == "json" || name == "help" || name == "bulk") {
      if (has_value) {
        *error = "--" + name + " takes no value";
        return false;
      }
      (name == "json" ? o.json : name == "help" ? o.help : o.bulk) = true;
      continue;
    }
    if (!has_value) {
      if (i + 1 >= argc) {
        *error = "--" + name + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    auto needs = [&](unsigned set) {
      if (allowed & set) return true;
      *error = "--" + name + " is not an option of " + (o.command.empty() ? "qmr" : "qmr " + o.command);
      return false;
    };
    static const char *const kLevels[] = {"noauth", "auth", "priv"};
    static const char *const kAuth[] = {"md5", "sha"};
    static const char *const kPriv[] = {"des", "aes"};
    bool ok = true;
    if (name == "community") o.community = value;
    else if (name == "write-community") {
      ok = needs(kWrite);
      o.write_community = value;
    }
    else if (name == "find-community") {
      ok = needs(kDiscover);
      o.find_community = value;
    }
    else if (name == "dest") {
      ok = needs(kDiscover);
      o.destination = value;
    }
    else if (name == "filter") {
      ok = needs(kDiscover);
      o.filters.push_back(value);
    }
    else if (name == "timeout") ok = parse_u32(value, &o.timeout_ms);
    else if (name == "retries") ok = parse_u32(value, &o.retries);
    else if (name == "protocol") ok = needs(kDiscover | kAddress) && parse_protocol(value, &o.protocol);
    else if (name == "class") {
      ok = needs(kJobs);
      if (ok) {
        if (value == "all" || value == "0") o.job_selector = 0;
        else if (value == "1") o.job_selector = 1;
        else if (value == "2") o.job_selector = 2;
        else ok = false;
      }
    } else if (name == "user") o.user = value;
    else if (name == "level") ok = parse_choice(value, kLevels, 3, 0, &o.level);
    else if (name == "auth-proto") ok = parse_choice(value, kAuth, 2, 1, &o.auth_proto);
    else if (name == "priv-proto") ok = parse_choice(value, kPriv, 2, 1, &o.priv_proto);
    else if (name == "auth-pass") o.auth_pass = value;
    else if (name == "priv-pass") o.priv_pass = value;
    else if (name == "context") o.context = value;
    else if (name == "trace") {
      uint32_t mask = 0;
      ok = parse_trace_levels(value, &mask);
      o.trace = value;
    } else if (name == "trace-file") o.trace_file = value;
    else {
      *error = "unknown option --" + name;
      return false;
    }
    if (!ok) {
      if (error->empty()) *error = "bad value \"" + value + "\" for --" + name;
      return false;
    }
  }
  if (!o.trace_file.empty() && o.trace.empty()) {
    *error = "--trace-file needs --trace LEVELS";
    return false;
  }
  if (o.user.empty() && (o.level >= 0 || o.auth_proto >= 0 || o.priv_proto >= 0 || !o.auth_pass.empty() ||
                         !o.priv_pass.empty() || !o.context.empty())) {
    *error = "SNMPv3 options need --user";
    return false;
  }
  if (!o.help) {
    if (c == nullptr) {
      *error = "no command given";
      return false;
    }
    if (o.operands.size() != c->operand_count) {
      *error = std::string("qmr ") + c->name + " takes " +
               (c->operand_count ? std::string(c->operands) : std::string("no operands"));
      return false;
    }
  }
  *out = o;
  return true;
}
