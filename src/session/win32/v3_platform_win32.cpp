#include "session/v3_platform.h"

// The null device, which no path can lead below.
const char *tqc_v3_no_directory() { return "NUL"; }
