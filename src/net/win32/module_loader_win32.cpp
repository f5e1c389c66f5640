// The Windows loader: system libraries by name, entry points with
// GetProcAddress. Each library is tried first with LoadLibraryA and then
// with LoadLibraryExA and LOAD_WITH_ALTERED_SEARCH_PATH, so that a library
// beside a host installed elsewhere is still found.
#include <atomic>
#include <mutex>

#include "net/module_loader.h"
#include "net/socket_api.h"
#include "net/win32/module_loader_win32.h"

const char *const kTqcSocketLibraryName = "ws2_32.dll";
const char *const kTqcSocketLibraryFallbackName = "wsock32.dll";

namespace {

constexpr size_t kMaxTranslators = 4;

std::mutex g_registry_lock;
TqcWin32TranslateFn g_translators[kMaxTranslators] = {&tqc_win32_adapter_translator};
size_t g_translator_count = 1;

void *translate(const char *name, void *system) {
  std::lock_guard<std::mutex> hold(g_registry_lock);
  for (size_t i = 0; i < g_translator_count; ++i) {
    if (void *wrapped = g_translators[i](name, system)) return wrapped;
  }
  return system;
}

class CTqcWin32ModuleLoader final : public ITqcModuleLoader {
 public:
  void *open(const char *name) override {
    if (name == nullptr) return nullptr;
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) module = LoadLibraryExA(name, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return reinterpret_cast<void *>(module);
  }

  void *symbol(void *module, const char *name, int32_t *last_error) override {
    if (module == nullptr || name == nullptr) {
      if (last_error != nullptr) *last_error = kTqcModuleNotFound;
      return nullptr;
    }
    FARPROC found = GetProcAddress(static_cast<HMODULE>(module), name);
    if (found == nullptr) {
      if (last_error != nullptr) *last_error = static_cast<int32_t>(GetLastError());
      return nullptr;
    }
    return translate(name, reinterpret_cast<void *>(found));
  }

  void close(void *module) override {
    if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
  }
};

}  // namespace

bool tqc_register_win32_translator(TqcWin32TranslateFn translate_fn) {
  std::lock_guard<std::mutex> hold(g_registry_lock);
  for (size_t i = 0; i < g_translator_count; ++i) {
    if (g_translators[i] == translate_fn) return true;
  }
  if (g_translator_count == kMaxTranslators) return false;
  g_translators[g_translator_count++] = translate_fn;
  return true;
}

ITqcModuleLoader *tqc_platform_module_loader() {
  static CTqcWin32ModuleLoader loader;
  return &loader;
}

// The library numbers families as Windows does.
int tqc_native_family(int family) {
  switch (family) {
    case kTqcFamilyUnspec:
    case kTqcFamilyInet:
    case kTqcFamilyInet6:
    case kTqcFamilyIpx:
      return family;
    default:
      return -1;
  }
}

int tqc_library_family(int native_family) { return tqc_native_family(native_family) < 0 ? kTqcFamilyUnspec : native_family; }
