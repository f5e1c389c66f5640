// The receive wait uses poll, not select: select cannot watch descriptors
// at or above FD_SETSIZE, which a busy host process easily reaches.
#include <poll.h>
#include <time.h>

#include <cerrno>

#include "net/socket_types.h"

namespace {

int64_t now_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

int tqc_wait_readable(TqcSocket socket, int32_t timeout_ms) {
  pollfd watch{socket, POLLIN, 0};
  const int64_t deadline = timeout_ms < 0 ? 0 : now_ms() + timeout_ms;
  int wait = timeout_ms < 0 ? -1 : timeout_ms;
  // Bounded by the deadline: a signal only shortens the remaining wait.
  for (;;) {
    int ready = ::poll(&watch, 1, wait);
    if (ready >= 0) return ready > 0 ? 1 : 0;
    if (errno != EINTR) return -1;
    if (timeout_ms >= 0) {
      int64_t left = deadline - now_ms();
      if (left <= 0) return 0;
      wait = static_cast<int>(left);
    }
  }
}
