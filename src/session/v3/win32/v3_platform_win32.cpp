#include "session/v3/v3_platform.h"

// The null device, which no path can lead below.
const char *tqc_v3_no_directory() { return "NUL"; }

// net-snmp for Windows reads the scope of an IPv6 peer as a number.
std::string tqc_v3_interface_name(unsigned index) { return std::to_string(index); }
