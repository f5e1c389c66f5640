// The few platform calls of the SNMPv3 session, one binding file per
// platform (posix/, win32/).
#ifndef QMR_SESSION_V3_V3_PLATFORM_H
#define QMR_SESSION_V3_V3_PLATFORM_H

#include <cstddef>
#include <string>

// Numeric text of an address of the platform's AF_INET or AF_INET6 family
// (the 4 or 16 address bytes); false when it cannot be formed.
bool tqc_v3_address_text(int native_family, const void *bytes, char *text, size_t capacity);
// The name of the interface with `index`, for hosts whose SNMP library
// takes names after '%'; false where the number itself is what it takes.
bool tqc_v3_interface_name(unsigned index, std::string *name);
// Makes a new empty directory private to this process; false when none can
// be made.
bool tqc_v3_make_private_dir(std::string *path);

#endif  // QMR_SESSION_V3_V3_PLATFORM_H
