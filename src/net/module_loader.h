// Run-time binding of system libraries by name. The platform file supplies
// the default loader; tests install their own to simulate libraries that
// lack an entry point or do not load at all.
#ifndef QMR_NET_MODULE_LOADER_H
#define QMR_NET_MODULE_LOADER_H

#include <cstdint>

// Platform error numbers reported by a failed symbol look-up, as the
// loaders of the system report them.
constexpr int32_t kTqcModuleNotFound = 126;  // library not found
constexpr int32_t kTqcProcNotFound = 127;    // entry point not found

class ITqcModuleLoader {
 public:
  // Opens the library `name`; null when it cannot be loaded.
  virtual void *open(const char *name) = 0;
  // The entry point `name` of `module`, or null with `*last_error` set.
  virtual void *symbol(void *module, const char *name, int32_t *last_error) = 0;
  // Releases a module returned by open.
  virtual void close(void *module) = 0;

 protected:
  ~ITqcModuleLoader() = default;
};

// The loader in use (never null).
ITqcModuleLoader *tqc_module_loader();
// Replaces the loader; null restores the platform's. Returns the previous one.
ITqcModuleLoader *tqc_set_module_loader(ITqcModuleLoader *loader);
// The platform's own loader.
ITqcModuleLoader *tqc_platform_module_loader();

#endif  // QMR_NET_MODULE_LOADER_H
