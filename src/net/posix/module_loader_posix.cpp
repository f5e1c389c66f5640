// The POSIX loader: "ws2_32.dll" is the C library (with the Windows-only
// entry points given their POSIX meaning), "iphlpapi.dll" the kernel-backed
// IP helper, and further built-in libraries can be registered by name.
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

#include "net/module_loader.h"
#include "net/posix/builtin_module_posix.h"
#include "net/socket_api.h"

const char *const kTqcSocketLibraryName = "ws2_32.dll";
const char *const kTqcSocketLibraryFallbackName = "wsock32.dll";

namespace {

constexpr const char *kCLibrary = "libc.so.6";
constexpr size_t kMaxBuiltins = 8;

// Start and cleanup only count, so that cleanup without start is refused as
// on Windows; the kernel needs no start.
std::atomic<int> g_start_count{0};

int shim_startup(uint16_t version, TqcWsaData *data) {
  if (data != nullptr) {
    data->version = version;
    data->high_version = 0x0202;
  }
  g_start_count.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

int shim_cleanup() {
  int count = g_start_count.load(std::memory_order_relaxed);
  while (count > 0) {
    if (g_start_count.compare_exchange_weak(count, count - 1, std::memory_order_relaxed)) return 0;
  }
  errno = EINVAL;
  return kTqcSocketError;
}

int shim_last_error() { return errno; }

int shim_close(TqcSocket socket) { return ::close(socket); }

int shim_ioctl(TqcSocket socket, long command, unsigned long *argument) {
  return ::ioctl(socket, static_cast<unsigned long>(command), argument);
}

int shim_fd_isset(TqcSocket socket, fd_set *set) {
  // FD_ISSET past FD_SETSIZE would read outside the set.
  if (set == nullptr || socket < 0 || socket >= FD_SETSIZE) return 0;
  return FD_ISSET(socket, set) ? 1 : 0;
}

void *socket_shim(const char *name) {
  struct Shim {
    const char *name;
    void *fn;
  };
  static const Shim kShims[] = {
      {"WSAStartup", reinterpret_cast<void *>(&shim_startup)},
      {"WSACleanup", reinterpret_cast<void *>(&shim_cleanup)},
      {"WSAGetLastError", reinterpret_cast<void *>(&shim_last_error)},
      {"closesocket", reinterpret_cast<void *>(&shim_close)},
      {"ioctlsocket", reinterpret_cast<void *>(&shim_ioctl)},
      {"__WSAFDIsSet", reinterpret_cast<void *>(&shim_fd_isset)},
  };
  for (const Shim &s : kShims) {
    if (std::strcmp(s.name, name) == 0) return s.fn;
  }
  return nullptr;
}

struct TqcBuiltin {
  const char *name;
  TqcBuiltinLookupFn lookup;
};

std::mutex g_registry_lock;
TqcBuiltin g_builtins[kMaxBuiltins] = {{"iphlpapi.dll", &tqc_posix_ip_helper_symbol}};
size_t g_builtin_count = 1;

const char *find_builtin(const char *name) {
  std::lock_guard<std::mutex> hold(g_registry_lock);
  for (size_t i = 0; i < g_builtin_count; ++i) {
    if (std::strcmp(g_builtins[i].name, name) == 0) return g_builtins[i].name;
  }
  return nullptr;
}

void *builtin_symbol(const char *module_name, const char *name) {
  std::lock_guard<std::mutex> hold(g_registry_lock);
  for (size_t i = 0; i < g_builtin_count; ++i) {
    if (std::strcmp(g_builtins[i].name, module_name) != 0) continue;
    if (void *fn = g_builtins[i].lookup(name)) return fn;
  }
  return nullptr;
}

struct TqcPosixModule {
  void *c_library;      // for the socket library
  const char *builtin;  // registered name, for the others
};

class CTqcPosixModuleLoader final : public ITqcModuleLoader {
 public:
  void *open(const char *name) override {
    if (name == nullptr) return nullptr;
    TqcPosixModule module{nullptr, nullptr};
    if (std::strcmp(name, kTqcSocketLibraryName) == 0) {
      module.c_library = dlopen(kCLibrary, RTLD_LAZY);
      if (module.c_library == nullptr) return nullptr;
    } else {
      module.builtin = find_builtin(name);
      if (module.builtin == nullptr) return nullptr;
    }
    TqcPosixModule *made = new (std::nothrow) TqcPosixModule(module);
    if (made == nullptr && module.c_library != nullptr) dlclose(module.c_library);
    return made;
  }

  void *symbol(void *module, const char *name, int32_t *last_error) override {
    auto *m = static_cast<TqcPosixModule *>(module);
    void *fn = nullptr;
    if (m == nullptr || name == nullptr) {
      fn = nullptr;
    } else if (m->c_library != nullptr) {
      fn = socket_shim(name);
      if (fn == nullptr) fn = dlsym(m->c_library, name);
    } else {
      fn = builtin_symbol(m->builtin, name);
    }
    if (fn == nullptr && last_error != nullptr) *last_error = m == nullptr ? kTqcModuleNotFound : kTqcProcNotFound;
    return fn;
  }

  void close(void *module) override {
    auto *m = static_cast<TqcPosixModule *>(module);
    if (m == nullptr) return;
    if (m->c_library != nullptr) dlclose(m->c_library);
    delete m;
  }
};

}  // namespace

bool tqc_register_builtin_module(const char *name, TqcBuiltinLookupFn lookup) {
  std::lock_guard<std::mutex> hold(g_registry_lock);
  for (size_t i = 0; i < g_builtin_count; ++i) {
    if (std::strcmp(g_builtins[i].name, name) == 0 && g_builtins[i].lookup == lookup) return true;
  }
  if (g_builtin_count == kMaxBuiltins) return false;
  g_builtins[g_builtin_count++] = {name, lookup};
  return true;
}

ITqcModuleLoader *tqc_platform_module_loader() {
  static CTqcPosixModuleLoader loader;
  return &loader;
}

int tqc_native_family(int family) {
  switch (family) {
    case kTqcFamilyUnspec: return AF_UNSPEC;
    case kTqcFamilyInet: return AF_INET;
    case kTqcFamilyInet6: return AF_INET6;
#if defined(AF_IPX)
    case kTqcFamilyIpx: return AF_IPX;  // current kernels refuse it at socket()
#endif
    default: return -1;
  }
}

int tqc_library_family(int native_family) {
  switch (native_family) {
    case AF_INET: return kTqcFamilyInet;
    case AF_INET6: return kTqcFamilyInet6;
#if defined(AF_IPX)
    case AF_IPX: return kTqcFamilyIpx;
#endif
    default: return kTqcFamilyUnspec;
  }
}
