#include <time.h>

#include <cstdlib>

#include "net/posix/builtin_module_posix.h"
#include "session/local/local_system_types.h"
#include "session/local/posix/local_kernel_tables_posix.h"

void *tqc_global_alloc(size_t size) { return std::calloc(size == 0 ? 1 : size, 1); }

void tqc_global_free(void *memory) { std::free(memory); }

uint32_t tqc_tick_count() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void tqc_register_local_sources() {
  // The same library name as the adapter functions: the table functions
  // are added to it.
  tqc_register_builtin_module("iphlpapi.dll", &tqc_posix_ip_table_symbol);
  tqc_register_builtin_module("inetmib1.dll", &tqc_posix_mib2_agent_symbol);
}
