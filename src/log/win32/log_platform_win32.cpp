#include "log/log_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace NTqcLogPlatform {

void get_local_time(LocalTime *out) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  out->year = now.wYear;
  out->month = now.wMonth;
  out->day = now.wDay;
  out->hour = now.wHour;
  out->minute = now.wMinute;
  out->second = now.wSecond;
  out->millisecond = now.wMilliseconds;
}

uint32_t get_process_id() { return static_cast<uint32_t>(GetCurrentProcessId()); }

uint32_t get_thread_id() { return static_cast<uint32_t>(GetCurrentThreadId()); }

}  // namespace NTqcLogPlatform
