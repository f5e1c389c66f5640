#include "log/null_appender.h"

#include <cstring>
#include <new>

#include "qmr.h"

namespace {

// Built in static storage and never destroyed, so they outlive every user.
template <typename T>
T *forever() {
  alignas(T) static unsigned char storage[sizeof(T)];
  static T *const instance = new (storage) T();
  return instance;
}

}  // namespace

ITqcLogAppender *tqc_null_standard_appender() { return forever<CTqcNullStandardAppender>(); }
ITqcFileAppender *tqc_null_file_appender() { return forever<CTqcNullFileAppender>(); }

ITqcLogAppender *tqc_null_appender_of(const char *type) {
  if (type != nullptr && std::strcmp(type, kAppenderTypeFile) == 0) return tqc_null_file_appender();
  return tqc_null_standard_appender();
}

bool tqc_is_null_appender(const ITqcLogAppender *appender) {
  return appender == tqc_null_standard_appender() ||
         appender == static_cast<ITqcLogAppender *>(tqc_null_file_appender());
}

int32_t CTqcNullStandardAppender::query_interface(const char *guid, void **out) {
  return tqc_query_appender(this, nullptr, guid, out);
}
int32_t CTqcNullStandardAppender::query(const char *guid, void **out) { return query_interface(guid, out); }
int32_t CTqcNullStandardAppender::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }
void CTqcNullStandardAppender::release() {}
const char *CTqcNullStandardAppender::get_type() { return kAppenderTypeNullStandard; }
const char *CTqcNullStandardAppender::get_name() { return kAppenderTypeNullStandard; }
int32_t CTqcNullStandardAppender::write(const char *) { return QMR_OK; }

int32_t CTqcNullFileAppender::query_interface(const char *guid, void **out) {
  return tqc_query_appender(this, this, guid, out);
}
int32_t CTqcNullFileAppender::query(const char *guid, void **out) { return query_interface(guid, out); }
int32_t CTqcNullFileAppender::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }
void CTqcNullFileAppender::release() {}
const char *CTqcNullFileAppender::get_type() { return kAppenderTypeNullFile; }
const char *CTqcNullFileAppender::get_name() { return kAppenderTypeNullFile; }
int32_t CTqcNullFileAppender::write(const char *) { return QMR_OK; }
int32_t CTqcNullFileAppender::set_max_size(uint32_t) { return QMR_OK; }
int32_t CTqcNullFileAppender::set_file_name(const char *) { return QMR_OK; }
