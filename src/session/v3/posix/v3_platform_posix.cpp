#include <net/if.h>

#include "session/v3/v3_platform.h"

// A device, not a directory: opening anything below it fails.
const char *tqc_v3_no_directory() { return "/dev/null"; }

std::string tqc_v3_interface_name(unsigned index) {
  char name[IF_NAMESIZE];
  return if_indextoname(index, name) != nullptr ? std::string(name) : std::to_string(index);
}
