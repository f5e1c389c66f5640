// What the SNMPv3 glue needs from the platform, in posix/ and win32/.
#ifndef QMR_SESSION_V3_V3_PLATFORM_H
#define QMR_SESSION_V3_V3_PLATFORM_H

#include <string>

// A path that names no directory and cannot become one: given to net-snmp
// as its persistent and MIB directories, so that it reads and writes none
// (neither the host's defaults nor a folder of ours).
const char *tqc_v3_no_directory();

// How net-snmp wants interface `index` written after '%' in an IPv6 peer
// name: the interface's name where the library looks names up, else the
// number.
std::string tqc_v3_interface_name(unsigned index);

#endif  // QMR_SESSION_V3_V3_PLATFORM_H
