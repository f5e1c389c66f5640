// The two-call protocol of the IP helper's list and table functions: ask
// for the size, allocate, ask again; a list that grew in between is asked
// for once more.
#ifndef QMR_NET_WIN32_SYSTEM_LIST_WIN32_H
#define QMR_NET_WIN32_SYSTEM_LIST_WIN32_H

#include <cstdint>
#include <new>
#include <vector>

#include "net/socket_types.h"

// Calls `call(buffer, &size)` until it fills `storage` (8-byte aligned) or
// answers something other than `too_small`; returns the last answer
// (ERROR_NO_DATA for a success that filled nothing).
template <typename Call>
DWORD tqc_win32_fetch_list(Call call, DWORD too_small, std::vector<uint64_t> &storage) {
  constexpr int kRounds = 4;
  ULONG size = 0;
  DWORD rc = call(nullptr, &size);
  for (int round = 0; round < kRounds && rc == too_small; ++round) {
    try {
      storage.assign(size / sizeof(uint64_t) + 1, 0);
    } catch (const std::bad_alloc &) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    size = static_cast<ULONG>(storage.size() * sizeof(uint64_t));
    rc = call(storage.data(), &size);
  }
  // Success without a buffer would leave nothing to read.
  return rc == ERROR_SUCCESS && storage.empty() ? ERROR_NO_DATA : rc;
}

#endif  // QMR_NET_WIN32_SYSTEM_LIST_WIN32_H
