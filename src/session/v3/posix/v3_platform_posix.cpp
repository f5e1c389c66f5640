#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>

#include "session/v3/v3_platform.h"

bool tqc_v3_address_text(int native_family, const void *bytes, char *text, size_t capacity) {
  if (bytes == nullptr || text == nullptr) return false;
  return inet_ntop(native_family, bytes, text, static_cast<socklen_t>(capacity)) != nullptr;
}

bool tqc_v3_interface_name(unsigned index, std::string *name) {
  char buffer[IF_NAMESIZE];
  if (name == nullptr || if_indextoname(index, buffer) == nullptr) return false;
  *name = buffer;
  return true;
}

bool tqc_v3_make_private_dir(std::string *path) {
  char name[] = "/tmp/qmr-snmp-XXXXXX";
  if (path == nullptr || mkdtemp(name) == nullptr) return false;
  *path = name;
  return true;
}
