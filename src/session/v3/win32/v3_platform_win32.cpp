// Windows: the SNMP library links the socket library at load time, so its
// text conversion is called directly here.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "session/v3/v3_platform.h"

bool tqc_v3_address_text(int native_family, const void *bytes, char *text, size_t capacity) {
  if (bytes == nullptr || text == nullptr) return false;
  return inet_ntop(native_family, const_cast<void *>(bytes), text, capacity) != nullptr;
}

// Windows names scoped addresses by interface number: the text stays as it is.
bool tqc_v3_interface_name(unsigned, std::string *) { return false; }

// The library keeps no persistent state on Windows builds: no directory.
bool tqc_v3_make_private_dir(std::string *) { return false; }
