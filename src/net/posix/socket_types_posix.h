// POSIX spellings of the socket library's types and of the entry points
// that exist only in the Windows socket library.
#ifndef QMR_NET_POSIX_SOCKET_TYPES_POSIX_H
#define QMR_NET_POSIX_SOCKET_TYPES_POSIX_H

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

using TqcSocket = int;
using TqcSockLen = socklen_t;
constexpr TqcSocket kTqcInvalidSocket = -1;
constexpr int kTqcSocketError = -1;

// Added to every socket type: descriptors must not leak into programs
// that the host application starts.
constexpr int kTqcSocketTypeFlags = SOCK_CLOEXEC;

// Address families as the rest of the library numbers them (the Windows
// values); the platform file maps them to the kernel's.
constexpr int kTqcFamilyUnspec = 0;
constexpr int kTqcFamilyInet = 2;
constexpr int kTqcFamilyIpx = 6;
constexpr int kTqcFamilyInet6 = 23;

// Native family of a library family number (-1 when the kernel has none),
// and the reverse (0 for families the library does not know).
int tqc_native_family(int family);
int tqc_library_family(int native_family);

// Start-up record filled by the start entry point.
struct TqcWsaData {
  uint16_t version;
  uint16_t high_version;
};

using TqcWsaStartupFn = int (*)(uint16_t version, TqcWsaData *data);
using TqcWsaCleanupFn = int (*)();
using TqcWsaGetLastErrorFn = int (*)();
using TqcCloseSocketFn = int (*)(TqcSocket socket);
using TqcIoctlSocketFn = int (*)(TqcSocket socket, long command, unsigned long *argument);
using TqcFdIsSetFn = int (*)(TqcSocket socket, fd_set *set);

// Waits until `socket` is readable: 1 ready, 0 time-out, -1 failure (the
// platform error stays readable through the last-error entry point). A
// negative time-out waits without limit.
int tqc_wait_readable(TqcSocket socket, int32_t timeout_ms);

#endif  // QMR_NET_POSIX_SOCKET_TYPES_POSIX_H
