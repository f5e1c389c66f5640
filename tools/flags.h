// The options of the qmr commands, one table row each: net-snmp's short
// spellings (-v -c -t -r -u -l -a -A -x -X -n) beside the long forms.
#ifndef QMR_TOOLS_FLAGS_H
#define QMR_TOOLS_FLAGS_H

#include <cstddef>
#include <cstdint>
#include <string>

struct CliOptions;

// Which commands take an option; every command takes those of kShared.
enum OptionSet : unsigned {
  kShared = 0,
  kJson = 1,         // --json
  kWrite = 2,        // --write-community
  kDiscover = 4,     // --find-community, --dest, --filter
  kJobs = 8,         // --class
  kAddress = 16,     // --protocol for a device address
  kCheck = 32,       // --warning, --critical
  kExporter = 64,    // --listen, --max-probes, --probe-timeout
};

// Help sections, printed in this order.
enum FlagGroup { kGroupCommand, kGroupConnection, kGroupV3, kGroupOther };

struct Flag {
  char short_name;         // 0: long form only
  const char *long_name;   // without "--"; null: short form only
  const char *value_name;  // null: the flag takes no value
  unsigned commands;       // OptionSet bits; kShared: every command
  FlagGroup group;
  // Stores `value` (empty for a flag without one); false when it is not
  // acceptable, with what was expected in `expected`.
  bool (*apply)(const std::string &value, CliOptions *options, std::string *expected);
  const char *help;
};

// The whole table, `*count` rows.
const Flag *flag_table(size_t *count);
// The row of "-c" (`short_name`) or of "--community" (`long_name`); null
// when there is none.
const Flag *find_short_flag(char short_name);
const Flag *find_long_flag(const std::string &long_name);
// "-c, --community" / "--json" / "-t": how a row is spelt in messages and help.
std::string flag_spelling(const Flag &flag);

// Value parsers shared with other option readers.
bool parse_u32(const std::string &text, uint32_t *out);
// Decimal seconds ("1.5", "2", ".25") to whole milliseconds, at most
// one day; false for anything else.
bool parse_seconds(const std::string &text, uint32_t *ms);

#endif  // QMR_TOOLS_FLAGS_H
