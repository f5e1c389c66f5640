#include "mib_names.h"

namespace {

struct Named {
  int32_t value;
  const char *name;
};

template <size_t N>
const char *find(const Named (&table)[N], int32_t value) {
  for (const Named &row : table) {
    if (row.value == value) return row.name;
  }
  return nullptr;
}

template <size_t N>
const char *find_or(const Named (&table)[N], int32_t value, const char *fallback) {
  const char *name = find(table, value);
  return name != nullptr ? name : fallback;
}

// Names of the codes the library's media-size table can give (ISO A, B and
// C series, JIS B series, North American and East Asian sheet sizes).
const Named kMediaSizes[] = {
    {1, "Letter"}, {2, "Legal"}, {3, "10x13 in"}, {4, "9x12 in"}, {5, "Envelope #10"},
    {6, "7x9 in"}, {7, "9x11 in"}, {8, "10x14 in"}, {10, "6x9 in"}, {11, "10x15 in"},
    {15, "C (17x22 in)"}, {16, "D (22x34 in)"}, {17, "E (34x44 in)"},
    {21, "A0"}, {22, "A1"}, {23, "A2"}, {24, "A3"}, {25, "A4"}, {26, "A5"}, {27, "A6"},
    {28, "A7"}, {29, "A8"}, {30, "A9"}, {31, "A10"},
    {41, "ISO B0"}, {42, "ISO B1"}, {43, "ISO B2"}, {44, "ISO B3"}, {45, "ISO B4"},
    {46, "ISO B5"}, {47, "ISO B6"}, {48, "ISO B7"}, {49, "ISO B8"}, {50, "ISO B9"},
    {51, "ISO B10"},
    {61, "C0"}, {62, "C1"}, {63, "C2"}, {64, "C3"}, {65, "C4"}, {66, "C5"}, {67, "C6"},
    {68, "C7"}, {69, "C8"}, {70, "DL"},
    {81, "JIS B0"}, {82, "JIS B1"}, {83, "JIS B2"}, {84, "JIS B3"}, {85, "JIS B4"},
    {86, "JIS B5"}, {87, "JIS B6"}, {88, "JIS B7"}, {89, "JIS B8"}, {90, "JIS B9"},
    {91, "JIS B10"},
    {10001, "Ledger"}, {10002, "Folio"}, {10003, "Postcard"}, {10005, "8K"}, {10006, "16K"},
    {10007, "Statement"}, {10008, "8x10 in"}, {10009, "12x18 in"}, {10010, "12x19 in"},
    {10011, "320x457 mm"}, {10012, "SRA3"}, {10013, "Envelope Chou 3"}, {10014, "Executive"},
    {10015, "Big 8K"}, {10016, "Big 16K"}, {10018, "223x297 mm"}, {10019, "226x310 mm"},
    {10020, "328x453 mm"}, {10021, "Double postcard"}, {10022, "12.6x19.2 in"},
    {10023, "13x18 in"}, {10024, "13x19 in"}, {10025, "215x351 mm"},
};

const Named kPrinterStatus[] = {{1, "other"}, {2, "unknown"}, {3, "idle"}, {4, "printing"}, {5, "warmup"}};

// hrPrinterDetectedErrorState: bit 7 of the first octet is the first condition.
const char *const kErrorBits[] = {
    "lowPaper", "noPaper", "lowToner", "noToner", "doorOpen", "jammed", "offline", "serviceRequested",
    "inputTrayMissing", "outputTrayMissing", "markerSupplyMissing", "outputNearFull", "outputFull",
    "inputTrayEmpty", "overduePreventMaint",
};

const Named kDeviceStatus[] = {{1, "unknown"}, {2, "running"}, {3, "warning"}, {4, "testing"}, {5, "down"}};

const Named kDeviceTypes[] = {
    {1, "other"}, {2, "unknown"}, {3, "processor"}, {4, "network"}, {5, "printer"}, {6, "disk storage"},
    {10, "video"}, {11, "audio"}, {12, "coprocessor"}, {13, "keyboard"}, {14, "modem"},
    {15, "parallel port"}, {16, "pointing"}, {17, "serial port"}, {18, "tape"}, {19, "clock"},
    {20, "volatile memory"}, {21, "non-volatile memory"},
};

const Named kStorageTypes[] = {
    {1, "other"}, {2, "RAM"}, {3, "virtual memory"}, {4, "fixed disk"}, {5, "removable disk"},
    {6, "floppy disk"}, {7, "compact disc"}, {8, "RAM disk"},
};

const Named kInputTypes[] = {
    {1, "other"}, {2, "unknown"}, {3, "removable tray"}, {4, "fixed tray"}, {5, "manual feed"},
    {6, "roll"}, {7, "fan-fold"},
};

const Named kOutputTypes[] = {
    {1, "other"}, {2, "unknown"}, {3, "removable bin"}, {4, "fixed bin"}, {5, "roll"},
    {6, "mailbox"}, {7, "fan-fold"},
};

// Availability in the low three bits of prtSubUnitStatus.
const char *const kAvailability[] = {"idle", "unavailable", "standby", "broken", "active", "unknown", "busy", "unknown"};
constexpr int32_t kStatusNonCritical = 8;
constexpr int32_t kStatusCritical = 16;
constexpr int32_t kStatusOffline = 32;
constexpr int32_t kStatusTransitioning = 64;

const Named kUnits[] = {
    {3, "1/10000 in"}, {4, "micrometres"}, {7, "impressions"}, {8, "sheets"}, {11, "hours"},
    {12, "1/1000 oz"}, {13, "1/10 g"}, {14, "1/100 fl oz"}, {15, "1/10 ml"}, {16, "feet"},
    {17, "metres"}, {18, "items"}, {19, "percent"},
};

const Named kSeverities[] = {{1, "other"}, {3, "critical"}, {4, "warning"}, {5, "warning (event)"}};

const Named kAlertGroups[] = {
    {1, "other"}, {3, "storage"}, {4, "device"}, {5, "printer"}, {6, "cover"}, {7, "localization"},
    {8, "input"}, {9, "output"}, {10, "marker"}, {11, "supplies"}, {12, "colorant"},
    {13, "media path"}, {14, "channel"}, {15, "interpreter"}, {16, "console"}, {17, "lights"},
    {18, "alert"}, {30, "finisher"}, {31, "finisher supply"},
};

// IANA MIBenum numbers of the character sets printers commonly report.
const Named kCharsets[] = {
    {3, "US-ASCII"}, {4, "ISO-8859-1"}, {5, "ISO-8859-2"}, {17, "Shift_JIS"}, {18, "EUC-JP"},
    {36, "KS_C_5601-1987"}, {38, "EUC-KR"}, {106, "UTF-8"}, {1000, "ISO-10646-UCS-2"},
    {1013, "UTF-16BE"}, {1014, "UTF-16LE"}, {1015, "UTF-16"}, {2025, "GB2312"}, {2026, "Big5"},
    {2252, "windows-1252"}, {113, "GBK"}, {114, "GB18030"},
};

}  // namespace

const char *media_size_name(int32_t code) { return find(kMediaSizes, code); }
const char *printer_status_name(int32_t status) { return find_or(kPrinterStatus, status, "invalid"); }

size_t error_condition_count() { return sizeof kErrorBits / sizeof kErrorBits[0]; }
const char *error_condition_name(size_t bit) { return bit < error_condition_count() ? kErrorBits[bit] : nullptr; }
bool error_condition_set(const uint8_t state[4], size_t bit) { return state[bit / 8] & (0x80u >> (bit % 8)); }

std::vector<std::string> detected_errors(const uint8_t state[4]) {
  std::vector<std::string> out;
  for (size_t bit = 0; bit < error_condition_count(); ++bit) {
    if (error_condition_set(state, bit)) out.emplace_back(kErrorBits[bit]);
  }
  return out;
}

const char *device_status_name(int32_t status) { return find_or(kDeviceStatus, status, "invalid"); }

const char *device_type_name(int32_t type) {
  if (type > 100) return "printer unit";  // the maker's own device types
  return find_or(kDeviceTypes, type, "unlisted");
}

const char *storage_type_name(int32_t type) { return find_or(kStorageTypes, type, "unlisted"); }
const char *input_type_name(int32_t type) { return find_or(kInputTypes, type, "invalid"); }
const char *output_type_name(int32_t type) { return find_or(kOutputTypes, type, "invalid"); }

std::string subunit_status_text(int32_t status) {
  if (status < 0) return "invalid";
  std::string text = kAvailability[status & 7];
  if (status & kStatusCritical) text += ", critical";
  else if (status & kStatusNonCritical) text += ", warning";
  if (status & kStatusOffline) text += ", off-line";
  if (status & kStatusTransitioning) text += ", changing";
  return text;
}

const char *capacity_unit_name(int32_t unit) { return find_or(kUnits, unit, "units"); }
const char *alert_severity_name(int32_t severity) { return find_or(kSeverities, severity, "invalid"); }
const char *alert_group_name(int32_t group) { return find_or(kAlertGroups, group, "unlisted"); }
const char *charset_name(int32_t mib_enum) { return find(kCharsets, mib_enum); }
