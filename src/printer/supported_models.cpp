#include "printer/supported_models.h"

#include <cstring>

const SQMRModelEntry kQMRSupportedModels[] = {
    {"1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5", "Vellumcraft 7300"},
    {"1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6", "Vellumcraft 7300P"},
    {nullptr, nullptr},
};

const SQMRModelEntry *qmr_find_model(const SQMRModelEntry *table, const char *sysObjectId) {
  if (table == nullptr || sysObjectId == nullptr) return nullptr;
  for (const SQMRModelEntry *row = table; row->sysObjectId != nullptr; ++row) {
    size_t n = std::strlen(row->sysObjectId);
    // ".5" must not match ".50": the prefix has to end at a sub-identifier.
    if (std::strncmp(sysObjectId, row->sysObjectId, n) == 0 &&
        (sysObjectId[n] == '\0' || sysObjectId[n] == '.'))
      return row;
  }
  return nullptr;
}
