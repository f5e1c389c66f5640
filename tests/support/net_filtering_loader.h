// A module loader for tests: hands out the platform's system libraries with
// chosen entry points hidden or replaced by fakes.
#ifndef QMR_TESTS_SUPPORT_NET_FILTERING_LOADER_H
#define QMR_TESTS_SUPPORT_NET_FILTERING_LOADER_H

#include <cstring>
#include <set>
#include <string>

#include "net/module_loader.h"

class CFilteringLoader final : public ITqcModuleLoader {
 public:
  std::set<std::string> hidden;
  int32_t hidden_error = kTqcProcNotFound;
  // Library names answered by another one (e.g. a fallback name).
  std::string alias_from, alias_to;
  void *(*replacement)(const char *name) = nullptr;

  void *open(const char *name) override {
    if (!alias_from.empty() && alias_from == name) name = alias_to.c_str();
    return tqc_platform_module_loader()->open(name);
  }
  void *symbol(void *module, const char *name, int32_t *last_error) override {
    if (replacement != nullptr) {
      if (void *fn = replacement(name)) return fn;
    }
    if (hidden.count(name) != 0) {
      *last_error = hidden_error;
      return nullptr;
    }
    return tqc_platform_module_loader()->symbol(module, name, last_error);
  }
  void close(void *module) override { tqc_platform_module_loader()->close(module); }
};

#endif  // QMR_TESTS_SUPPORT_NET_FILTERING_LOADER_H
