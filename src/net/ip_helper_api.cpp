#include "net/ip_helper_api.h"

#include <atomic>
#include <mutex>

#include "log/log.h"
#include "net/module_loader.h"
#include "qmr.h"

const char *const kTqcIpHelperLibraryName = "iphlpapi.dll";

namespace {

TqcIpHelpFunctions g_api{};
std::atomic<void *> g_module{nullptr};
std::mutex g_load_lock;

const char kSetApiName[] = "NTqcIpHelpAPI::set_api";

}  // namespace

namespace NTqcIpHelpAPI {

int32_t set_api(void *module) {
  socket_log().write(kLogTrace, "[%s] enter.", kSetApiName);
  struct Binding {
    const char *name;
    void **pointer;
  };
  const Binding bindings[] = {
      {"GetBestInterfaceEx", reinterpret_cast<void **>(&g_api.p_GetBestInterfaceEx)},
      {"GetAdaptersInfo", reinterpret_cast<void **>(&g_api.p_GetAdaptersInfo)},
      {"GetAdaptersAddresses", reinterpret_cast<void **>(&g_api.p_GetAdaptersAddresses)},
  };
  ITqcModuleLoader *loader = tqc_module_loader();
  for (const Binding &b : bindings) {
    int32_t error = 0;
    *b.pointer = loader->symbol(module, b.name, &error);
    if (*b.pointer == nullptr) {
      socket_log().write(kLogError, "[NTqcIpHelpAPI::set_api] fail GetProcAddress \"%s\": GetLastError()=%d",
                         b.name, static_cast<int>(error));
    }
  }
  socket_log().write(kLogTrace, "[%s] exit.", kSetApiName);
  return QMR_OK;
}

int32_t load() {
  if (g_module.load(std::memory_order_acquire) != nullptr) return QMR_OK;
  std::lock_guard<std::mutex> hold(g_load_lock);
  if (g_module.load(std::memory_order_acquire) != nullptr) return QMR_OK;
  void *module = tqc_module_loader()->open(kTqcIpHelperLibraryName);
  if (module == nullptr) return QMR_E_SYSTEM_LIBRARY;
  set_api(module);
  g_module.store(module, std::memory_order_release);
  return QMR_OK;
}

const TqcIpHelpFunctions &api() { return g_api; }

}  // namespace NTqcIpHelpAPI
