// Process-wide binding of the socket library: loaded once on first use,
// every socket call of the library goes through the pointers bound here.
#ifndef QMR_NET_SOCKET_API_H
#define QMR_NET_SOCKET_API_H

#include <cstdint>

#include "net/socket_types.h"

// One pointer per bound entry point, null until bound. Members carry a p_
// prefix because some C libraries define these names as macros.
struct TqcSocketFunctions {
  // required, in binding order
  TqcWsaStartupFn p_WSAStartup;
  TqcWsaCleanupFn p_WSACleanup;
  TqcWsaGetLastErrorFn p_WSAGetLastError;
  decltype(&::socket) p_socket;
  decltype(&::bind) p_bind;
  decltype(&::htons) p_htons;
  decltype(&::ntohs) p_ntohs;
  decltype(&::getsockname) p_getsockname;
  decltype(&::gethostname) p_gethostname;
  decltype(&::gethostbyname) p_gethostbyname;
  decltype(&::getsockopt) p_getsockopt;
  decltype(&::setsockopt) p_setsockopt;
  decltype(&::inet_addr) p_inet_addr;
  decltype(&::inet_ntoa) p_inet_ntoa;
  decltype(&::sendto) p_sendto;
  decltype(&::recvfrom) p_recvfrom;
  decltype(&::select) p_select;
  TqcCloseSocketFn p_closesocket;
  decltype(&::gethostbyaddr) p_gethostbyaddr;
  decltype(&::getservbyname) p_getservbyname;
  decltype(&::htonl) p_htonl;
  decltype(&::ntohl) p_ntohl;
  decltype(&::connect) p_connect;
  decltype(&::listen) p_listen;
  TqcIoctlSocketFn p_ioctlsocket;
  decltype(&::recv) p_recv;
  decltype(&::send) p_send;
  decltype(&::accept) p_accept;
  TqcFdIsSetFn p_WSAFDIsSet;
  // optional resolver functions
  decltype(&::getaddrinfo) p_getaddrinfo;
  decltype(&::getnameinfo) p_getnameinfo;
  decltype(&::freeaddrinfo) p_freeaddrinfo;
};

// Names of the socket libraries, tried in this order.
extern const char *const kTqcSocketLibraryName;
extern const char *const kTqcSocketLibraryFallbackName;

namespace NTqcSocketAPI {

// Loads and binds once: 0, QMR_E_SYSTEM_LIBRARY when no library loads, or
// the error of set_api (the next call then tries again).
int32_t load_library();
// True when the resolver functions (getaddrinfo, getnameinfo, freeaddrinfo)
// were all bound; false when loading fails.
bool has_protocol_independent_api();
// Load, then start the library at version 1.1 / 2.2: 0 or QMR_E_FAILED
// (or the load error). Pair every success with one cleanup().
int32_t startup_1_1();
int32_t startup_2_2();
// Ends one start; does nothing when the library is not loaded.
void cleanup();
// Binds both tables from `module`: 0, or QMR_E_FAILED when a required
// entry point is missing. Internal to loading; tests call it with a module
// of their own loader.
int32_t set_api(void *module);
// The bound table (valid after a successful load or start).
const TqcSocketFunctions &api();
// Platform error of the last socket call on this thread.
int last_error();

}  // namespace NTqcSocketAPI

// One start of the socket library for the life of a scope; the matching
// cleanup runs only when the start succeeded.
class CTqcSocketScope {
 public:
  enum EVersion { kVersion11, kVersion22 };
  explicit CTqcSocketScope(EVersion version)
      : m_result(version == kVersion11 ? NTqcSocketAPI::startup_1_1() : NTqcSocketAPI::startup_2_2()) {}
  ~CTqcSocketScope() {
    if (m_result == 0) NTqcSocketAPI::cleanup();
  }
  CTqcSocketScope(const CTqcSocketScope &) = delete;
  CTqcSocketScope &operator=(const CTqcSocketScope &) = delete;
  // 0, or the start's error.
  int32_t result() const { return m_result; }

 private:
  int32_t m_result;
};

#endif  // QMR_NET_SOCKET_API_H
