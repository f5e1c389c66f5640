#include "net/socket_api.h"

#include <atomic>
#include <mutex>

#include "log/log.h"
#include "net/module_loader.h"
#include "qmr.h"

namespace {

constexpr uint16_t kVersion11 = 0x0101;
constexpr uint16_t kVersion22 = 0x0202;

TqcSocketFunctions g_api{};
std::atomic<void *> g_module{nullptr};
std::atomic<bool> g_has_resolver{false};
std::mutex g_load_lock;

struct TqcBinding {
  const char *name;
  void **pointer;
};

template <typename Fn>
void **slot(Fn &fn) {
  return reinterpret_cast<void **>(&fn);
}

// Each table ends with an empty entry.
const TqcBinding kRequired[] = {
    {"WSAStartup", slot(g_api.p_WSAStartup)},
    {"WSACleanup", slot(g_api.p_WSACleanup)},
    {"WSAGetLastError", slot(g_api.p_WSAGetLastError)},
    {"socket", slot(g_api.p_socket)},
    {"bind", slot(g_api.p_bind)},
    {"htons", slot(g_api.p_htons)},
    {"ntohs", slot(g_api.p_ntohs)},
    {"getsockname", slot(g_api.p_getsockname)},
    {"gethostname", slot(g_api.p_gethostname)},
    {"gethostbyname", slot(g_api.p_gethostbyname)},
    {"getsockopt", slot(g_api.p_getsockopt)},
    {"setsockopt", slot(g_api.p_setsockopt)},
    {"inet_addr", slot(g_api.p_inet_addr)},
    {"inet_ntoa", slot(g_api.p_inet_ntoa)},
    {"sendto", slot(g_api.p_sendto)},
    {"recvfrom", slot(g_api.p_recvfrom)},
    {"select", slot(g_api.p_select)},
    {"closesocket", slot(g_api.p_closesocket)},
    {"gethostbyaddr", slot(g_api.p_gethostbyaddr)},
    {"getservbyname", slot(g_api.p_getservbyname)},
    {"htonl", slot(g_api.p_htonl)},
    {"ntohl", slot(g_api.p_ntohl)},
    {"connect", slot(g_api.p_connect)},
    {"listen", slot(g_api.p_listen)},
    {"ioctlsocket", slot(g_api.p_ioctlsocket)},
    {"recv", slot(g_api.p_recv)},
    {"send", slot(g_api.p_send)},
    {"accept", slot(g_api.p_accept)},
    {"__WSAFDIsSet", slot(g_api.p_WSAFDIsSet)},
    {nullptr, nullptr},
};

const TqcBinding kOptional[] = {
    {"getaddrinfo", slot(g_api.p_getaddrinfo)},
    {"getnameinfo", slot(g_api.p_getnameinfo)},
    {"freeaddrinfo", slot(g_api.p_freeaddrinfo)},
    {nullptr, nullptr},
};

const char kSetApiName[] = "NTqcSocketAPI::set_api";
const char kFailGetProc[] = "[NTqcSocketAPI::set_api] fail GetProcAddress \"%s\": GetLastError()=%d";

int32_t set_api_exit(int32_t rc) {
  socket_log().write(kLogTrace, "[%s] exit.", kSetApiName);
  return rc;
}

int32_t start(uint16_t version, const char *failure_line) {
  int32_t rc = NTqcSocketAPI::load_library();
  if (rc != QMR_OK) return rc;
  TqcWsaData data{};
  if (g_api.p_WSAStartup(version, &data) != 0) {
    socket_log().write(kLogError, failure_line, g_api.p_WSAGetLastError());
    return QMR_E_FAILED;
  }
  return QMR_OK;
}

}  // namespace

namespace NTqcSocketAPI {

int32_t set_api(void *module) {
  socket_log().write(kLogTrace, "[%s] enter.", kSetApiName);
  ITqcModuleLoader *loader = tqc_module_loader();
  for (const TqcBinding *b = kRequired; b->name != nullptr; ++b) {
    int32_t error = 0;
    *b->pointer = loader->symbol(module, b->name, &error);
    if (*b->pointer == nullptr) {
      socket_log().write(kLogError, kFailGetProc, b->name, static_cast<int>(error));
      return set_api_exit(QMR_E_FAILED);
    }
  }
  for (const TqcBinding *b = kOptional; b->name != nullptr; ++b) {
    int32_t error = 0;
    *b->pointer = loader->symbol(module, b->name, &error);
    if (*b->pointer != nullptr) continue;
    if (error == kTqcModuleNotFound || error == kTqcProcNotFound) {
      g_has_resolver.store(false, std::memory_order_relaxed);
      return set_api_exit(QMR_OK);
    }
    socket_log().write(kLogError, kFailGetProc, b->name, static_cast<int>(error));
    return set_api_exit(QMR_E_FAILED);
  }
  g_has_resolver.store(true, std::memory_order_relaxed);
  return set_api_exit(QMR_OK);
}

int32_t load_library() {
  if (g_module.load(std::memory_order_acquire) != nullptr) return QMR_OK;
  std::lock_guard<std::mutex> hold(g_load_lock);
  if (g_module.load(std::memory_order_acquire) != nullptr) return QMR_OK;
  ITqcModuleLoader *loader = tqc_module_loader();
  void *module = loader->open(kTqcSocketLibraryName);
  if (module == nullptr) module = loader->open(kTqcSocketLibraryFallbackName);
  if (module == nullptr) return QMR_E_SYSTEM_LIBRARY;
  int32_t rc = set_api(module);
  if (rc != QMR_OK) {
    loader->close(module);
    return rc;
  }
  // Published last: a thread that sees the module also sees the table.
  g_module.store(module, std::memory_order_release);
  return QMR_OK;
}

bool has_protocol_independent_api() {
  if (load_library() != QMR_OK) return false;
  return g_has_resolver.load(std::memory_order_relaxed);
}

int32_t startup_1_1() { return start(kVersion11, "fail WSAStartup(1.1). WSAGetLastError()=%d"); }

int32_t startup_2_2() { return start(kVersion22, "fail WSAStartup(2.2). WSAGetLastError()=%d"); }

void cleanup() {
  if (g_module.load(std::memory_order_acquire) == nullptr) return;
  g_api.p_WSACleanup();
}

const TqcSocketFunctions &api() { return g_api; }

int last_error() { return g_api.p_WSAGetLastError != nullptr ? g_api.p_WSAGetLastError() : 0; }

}  // namespace NTqcSocketAPI
