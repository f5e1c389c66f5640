#include "session/v3_platform.h"

// A device, not a directory: opening anything below it fails.
const char *tqc_v3_no_directory() { return "/dev/null"; }
