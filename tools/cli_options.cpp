#include "cli_options.h"

#include <algorithm>
#include <cstring>

#include "flags.h"

namespace {

// Bits of the trace log's level mask.
constexpr uint32_t kTraceError = 1;
constexpr uint32_t kTraceWarn = 2;
constexpr uint32_t kTraceInfo = 4;
constexpr uint32_t kTraceDebug = 8;
constexpr uint32_t kTraceTrace = 16;
constexpr uint32_t kTraceAll = 31;
constexpr size_t kHelpColumn = 30;

struct Command {
  const char *name;
  const char *operands;  // usage line after the name
  size_t operand_count;
  unsigned options;      // OptionSet bits beyond the shared ones
  const char *summary;
  const char *examples;
};

const Command kCommands[] = {
    {"discover", "", 0, kJson | kDiscover,
     "Find supported printers by SNMP broadcast (IPv4, IPX) or multicast (IPv6).",
     "  qmr discover --dest 192.0.2.255\n"
     "  qmr discover --protocol ipv6 -v 2c -c office --json\n"},
    {"status", "ADDRESS", 1, kJson | kAddress,
     "Printer and device state, storage, input and output trays, supplies, alerts and jobs.",
     "  qmr status 192.0.2.10\n"
     "  qmr status -v 2c -c office -t 1.5 -r 2 printer.example.net --json\n"
     "  qmr status -v 3 -u monitor -l authPriv -a SHA -A AUTHPASS -x AES -X PRIVPASS 192.0.2.10\n"},
    {"options", "ADDRESS", 1, kJson | kAddress, "Every device option: units, memory, disks, names, input trays.",
     "  qmr options 192.0.2.10 --json\n"},
    {"jobs", "ADDRESS", 1, kJson | kAddress | kJobs, "The printer's jobs.",
     "  qmr jobs 192.0.2.10 --class 2\n"},
    {"cancel", "ADDRESS JOBID", 2, kJson | kWrite | kAddress, "Cancel the job JOBID (as `qmr jobs` lists it).",
     "  qmr cancel 192.0.2.10 JOB00041 --write-community private\n"},
    {"charset", "ADDRESS", 1, kJson | kAddress, "The character sets of the printer's texts.",
     "  qmr charset 192.0.2.10\n"},
    {"check", "ADDRESS", 1, kAddress | kCheck,
     "A monitoring check (Nagios, Icinga): one line QMR OK|WARNING|CRITICAL|UNKNOWN - summary | perfdata,\n"
     "exit status 0, 1, 2 or 3. Alerts, error-state bits, supply levels and empty trays decide.",
     "  qmr check 192.0.2.10\n"
     "  qmr check 192.0.2.10 -c office --warning 25 --critical 5\n"},
    {"exporter", "", 0, kExporter,
     "A Prometheus exporter: GET /probe?target=ADDRESS[&community=NAME] reads one printer,\n"
     "/metrics gives the exporter's own counters.",
     "  qmr exporter --listen 127.0.0.1:9116\n"
     "  curl 'http://127.0.0.1:9116/probe?target=192.0.2.10&community=office'\n"},
};

const Command *find_command(const std::string &name) {
  for (const Command &c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

void copy_text(char *to, size_t size, const std::string &from) {
  std::strncpy(to, from.c_str(), size - 1);
  to[size - 1] = '\0';
}

// The help lines of the flags of one group that `options` admits.
std::string flag_help(unsigned options, FlagGroup group) {
  size_t count = 0;
  const Flag *flags = flag_table(&count);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    const Flag &f = flags[i];
    if (f.group != group || (f.commands != kShared && !(f.commands & options))) continue;
    std::string line = "  " + flag_spelling(f) + (f.value_name != nullptr ? std::string(" ") + f.value_name : "");
    line.resize(std::max(line.size() + 1, kHelpColumn), ' ');
    text += line + f.help + "\n";
  }
  return text;
}

// Applies one flag; `spelt` is how the user wrote it, for messages.
bool apply_flag(const Flag &f, const std::string &spelt, const std::string &value, unsigned allowed,
                const std::string &command, CliOptions *o, std::string *error) {
  if (f.commands != kShared && !(f.commands & allowed)) {
    *error = spelt + " is not an option of " + (command.empty() ? "qmr" : "qmr " + command);
    return false;
  }
  std::string expected;
  if (f.apply(value, o, &expected)) return true;
  *error = "bad value \"" + value + "\" for " + spelt + (expected.empty() ? "" : " (expected " + expected + ")");
  return false;
}

// One argument that starts with '-': a short flag ("-c NAME", "-cNAME",
// "-v2c") or a long one ("--community NAME", "--community=NAME").
// Advances `*i` past a value taken from the next argument.
bool parse_flag(int argc, char **argv, int *i, unsigned allowed, const std::string &command, CliOptions *o,
                std::string *error) {
  const std::string arg = argv[*i];
  const Flag *f = nullptr;
  std::string value;
  bool has_value = false;
  if (arg.compare(0, 2, "--") == 0) {
    std::string name = arg.substr(2);
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      has_value = true;
    }
    f = find_long_flag(name);
    if (f == nullptr) {
      *error = "unknown option --" + name;
      return false;
    }
    if (has_value && f->value_name == nullptr) {
      *error = "--" + name + " takes no value";
      return false;
    }
  } else {
    f = find_short_flag(arg[1]);
    if (f == nullptr) {
      *error = "unknown option " + arg.substr(0, 2);
      return false;
    }
    if (arg.size() > 2) {
      if (f->value_name == nullptr) {
        *error = "unknown option " + arg + " (" + arg.substr(0, 2) + " takes no value)";
        return false;
      }
      value = arg.substr(2);
      has_value = true;
    }
  }
  const std::string spelt = arg.compare(0, 2, "--") == 0 ? "--" + std::string(f->long_name)
                                                         : std::string("-") + f->short_name;
  if (f->value_name != nullptr && !has_value) {
    if (*i + 1 >= argc) {
      *error = "option " + spelt + " needs a value (" + f->value_name + ")";
      return false;
    }
    value = argv[++*i];
  }
  return apply_flag(*f, spelt, value, allowed, command, o, error);
}

// The rules that join several options.
bool check_combination(const CliOptions &o, std::string *error) {
  if (!o.trace_file.empty() && o.trace.empty()) {
    *error = "--trace-file needs --trace LEVELS";
    return false;
  }
  const bool v3_settings = o.level >= 0 || o.auth_proto >= 0 || o.priv_proto >= 0 || !o.auth_pass.empty() ||
                           !o.priv_pass.empty() || !o.context.empty();
  if (o.user.empty() && (v3_settings || o.snmp_version == kSnmpV3)) {
    *error = "SNMPv3 needs a user name (-u NAME)";
    return false;
  }
  if (!o.user.empty() && (o.snmp_version == kSnmpV1 || o.snmp_version == kSnmpV2c)) {
    *error = "-u and the other SNMPv3 options need -v 3";
    return false;
  }
  if (o.critical_percent > o.warning_percent) {
    *error = "--critical must not be above --warning";
    return false;
  }
  return true;
}

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
      line.resize(kHelpColumn - 2, ' ');
      const std::string summary = k.summary;
      text += line + summary.substr(0, summary.find('\n')) + "\n";
    }
    text +=
        "\nExamples:\n"
        "  qmr status 192.0.2.10\n"
        "  qmr status -v 2c -c office -t 1.5 -r 2 192.0.2.10 --json\n"
        "  qmr check 192.0.2.10 --warning 25 --critical 5\n"
        "  qmr exporter --listen 127.0.0.1:9116\n"
        "\n`qmr COMMAND --help` lists the options of a command; man qmr tells more.\n"
        "Exit status: 0 success, 1 the printer or the library reported a failure, 2 usage error\n"
        "(qmr check: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN).\n";
    return text;
  }
  std::string text = std::string("Usage: qmr ") + c->name + " [OPTIONS]" +
                     (c->operand_count ? std::string(" ") + c->operands : "") + "\n" + c->summary + "\n";
  if (c->options & kAddress) text += "ADDRESS is an IPv4 or IPv6 address, an IPX address, or a host name.\n";
  const std::string own = flag_help(c->options, kGroupCommand);
  if (!own.empty()) text += "\nOptions of qmr " + std::string(c->name) + ":\n" + own;
  text += "\nConnection options (as snmpget spells them):\n" + flag_help(c->options, kGroupConnection);
  text += "SNMPv3 options:\n" + flag_help(c->options, kGroupV3);
  text += "Other options:\n" + flag_help(c->options, kGroupOther);
  text += "\nExamples:\n" + std::string(c->examples);
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
    const std::string arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) o.operands.emplace_back(argv[i]);
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      o.operands.push_back(arg);
      continue;
    }
    if (!parse_flag(argc, argv, &i, allowed, o.command, &o, error)) {
      *out = o;
      return false;
    }
  }
  if (!check_combination(o, error)) {
    *out = o;
    return false;
  }
  if (!o.help) {
    if (c == nullptr) {
      *error = "no command given";
      return false;
    }
    if (o.operands.size() != c->operand_count) {
      *error = std::string("qmr ") + c->name + " takes " +
               (c->operand_count ? std::string(c->operands) : std::string("no operands")) +
               (o.operands.size() > c->operand_count ? ", not also \"" + o.operands[c->operand_count] + "\""
                                                     : "");
      *out = o;
      return false;
    }
  }
  *out = o;
  return true;
}
