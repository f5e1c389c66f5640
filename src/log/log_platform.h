// The few platform services a log line needs. posix/ implements them for
// Linux; a win32/ version maps them to GetLocalTime, GetCurrentProcessId and
// GetCurrentThreadId.
#ifndef QMR_LOG_LOG_PLATFORM_H
#define QMR_LOG_LOG_PLATFORM_H

#include <cstdint>

namespace NTqcLogPlatform {

struct LocalTime {
  int year;
  int month;  // 1..12
  int day;
  int hour;
  int minute;
  int second;
  int millisecond;
};

void get_local_time(LocalTime *out);
uint32_t get_process_id();
// The kernel's numeric identifier of the calling thread.
uint32_t get_thread_id();

}  // namespace NTqcLogPlatform

#endif  // QMR_LOG_LOG_PLATFORM_H
