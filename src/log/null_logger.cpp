#include "log/null_logger.h"

#include <new>

#include "qmr.h"

namespace {
constexpr uint32_t kNullRadix = 10;
}

CTqcNullLogger *tqc_null_logger() {
  alignas(CTqcNullLogger) static unsigned char storage[sizeof(CTqcNullLogger)];
  static CTqcNullLogger *const instance = new (storage) CTqcNullLogger();
  return instance;
}

int32_t CTqcNullLogger::query_interface(const char *guid, void **out) {
  void *found = nullptr;
  if (tqc_guid_is(guid, kGuidTqcObject)) {
    found = static_cast<ITqcObject *>(this);
  } else if (tqc_guid_is(guid, kGuidTqcLogTarget)) {
    found = static_cast<ITqcLogTarget *>(this);
  } else if (tqc_guid_is(guid, kGuidTqcLoggerGroup)) {
    found = static_cast<ITqcLoggerGroup *>(this);
  }
  return tqc_answer_query(guid, out, found);
}

int32_t CTqcNullLogger::query(const char *guid, void **out) { return query_interface(guid, out); }
int32_t CTqcNullLogger::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }
void CTqcNullLogger::release() {}
const char *CTqcNullLogger::get_name() { return kNullLoggerName; }
int32_t CTqcNullLogger::add_appender(ITqcLogAppender *) { return QMR_OK; }
int32_t CTqcNullLogger::set_level_mask(uint32_t) { return QMR_OK; }
uint32_t CTqcNullLogger::get_level_mask() { return 0; }
int32_t CTqcNullLogger::set_indent(uint32_t) { return QMR_OK; }
uint32_t CTqcNullLogger::get_indent() { return 0; }
int32_t CTqcNullLogger::set_flags(uint32_t) { return QMR_OK; }
uint32_t CTqcNullLogger::get_flags() { return 0; }
int32_t CTqcNullLogger::set_radix(uint32_t) { return QMR_OK; }
uint32_t CTqcNullLogger::get_radix() { return kNullRadix; }

int32_t CTqcNullLogger::find_appender(const char *, ITqcLogAppender **out) {
  if (out != nullptr) *out = nullptr;
  return QMR_E_NOT_FOUND;
}

int32_t CTqcNullLogger::write(uint32_t, const char *, ...) { return QMR_OK; }
int32_t CTqcNullLogger::write_v(uint32_t, const char *, va_list) { return QMR_OK; }
int32_t CTqcNullLogger::reset() { return QMR_OK; }
int32_t CTqcNullLogger::join(ITqcLogger *) { return QMR_OK; }
int32_t CTqcNullLogger::leave(ITqcLogger *) { return QMR_OK; }
