#include "log/log_platform.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace NTqcLogPlatform {

void get_local_time(LocalTime *out) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm parts{};
  localtime_r(&now.tv_sec, &parts);
  out->year = parts.tm_year + 1900;
  out->month = parts.tm_mon + 1;
  out->day = parts.tm_mday;
  out->hour = parts.tm_hour;
  out->minute = parts.tm_min;
  out->second = parts.tm_sec;
  out->millisecond = static_cast<int>(now.tv_nsec / 1000000);
}

uint32_t get_process_id() { return static_cast<uint32_t>(getpid()); }

// syscall rather than gettid(): older C libraries lack the wrapper.
uint32_t get_thread_id() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

}  // namespace NTqcLogPlatform
