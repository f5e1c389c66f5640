// Windows spellings of the socket library's types. Only declarations come
// from the system headers: every call goes through the run-time binding,
// so this library imports nothing from the socket library at load time.
#ifndef QMR_NET_WIN32_SOCKET_TYPES_WIN32_H
#define QMR_NET_WIN32_SOCKET_TYPES_WIN32_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdint>

using TqcSocket = SOCKET;
using TqcSockLen = int;
constexpr TqcSocket kTqcInvalidSocket = INVALID_SOCKET;
constexpr int kTqcSocketError = SOCKET_ERROR;

// Handles are not inherited by programs the host starts unless asked for.
constexpr int kTqcSocketTypeFlags = 0;

// Address families: the library's numbers are the Windows ones.
constexpr int kTqcFamilyUnspec = 0;
constexpr int kTqcFamilyInet = 2;
constexpr int kTqcFamilyIpx = 6;
constexpr int kTqcFamilyInet6 = 23;
static_assert(AF_INET == kTqcFamilyInet && AF_INET6 == kTqcFamilyInet6 && AF_IPX == kTqcFamilyIpx,
              "library family numbers are the system's");

int tqc_native_family(int family);
int tqc_library_family(int native_family);

using TqcWsaData = WSADATA;

using TqcWsaStartupFn = int(WSAAPI *)(WORD version, LPWSADATA data);
using TqcWsaCleanupFn = int(WSAAPI *)();
using TqcWsaGetLastErrorFn = int(WSAAPI *)();
using TqcCloseSocketFn = int(WSAAPI *)(SOCKET socket);
using TqcIoctlSocketFn = int(WSAAPI *)(SOCKET socket, long command, u_long *argument);
using TqcFdIsSetFn = int(WSAAPI *)(SOCKET socket, fd_set *set);

// Waits until `socket` is readable: 1 ready, 0 time-out, -1 failure (the
// platform error stays readable through the last-error entry point). A
// negative time-out waits without limit.
int tqc_wait_readable(TqcSocket socket, int32_t timeout_ms);

#endif  // QMR_NET_WIN32_SOCKET_TYPES_WIN32_H
