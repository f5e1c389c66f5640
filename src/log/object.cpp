#include "log/object.h"

#include <cstring>

#include "qmr.h"

bool tqc_guid_is(const char *guid, const char *wanted) {
  return guid != nullptr && std::strcmp(guid, wanted) == 0;
}

int32_t tqc_answer_query(const char *guid, void **out, void *candidate) {
  if (out == nullptr) return QMR_E_INVALID_ARG;
  *out = nullptr;
  if (guid == nullptr) return QMR_E_INVALID_ARG;
  if (candidate == nullptr) return QMR_E_NO_INTERFACE;
  *out = candidate;
  return QMR_OK;
}
