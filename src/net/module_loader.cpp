#include "net/module_loader.h"

#include <atomic>

namespace {
std::atomic<ITqcModuleLoader *> g_loader{nullptr};
}  // namespace

ITqcModuleLoader *tqc_module_loader() {
  ITqcModuleLoader *loader = g_loader.load(std::memory_order_acquire);
  return loader != nullptr ? loader : tqc_platform_module_loader();
}

ITqcModuleLoader *tqc_set_module_loader(ITqcModuleLoader *loader) {
  ITqcModuleLoader *previous = g_loader.exchange(loader, std::memory_order_acq_rel);
  return previous != nullptr ? previous : tqc_platform_module_loader();
}
