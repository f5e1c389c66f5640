#include "log/stdout_appender.h"

#include <cstdio>
#include <new>

#include "log/null_appender.h"
#include "qmr.h"

ITqcLogAppender *tqc_create_stdout_appender(const char *name) {
  if (name == nullptr) return tqc_null_standard_appender();
  CTqcStdoutAppender *appender = nullptr;
  try {
    appender = new (std::nothrow) CTqcStdoutAppender(name);
  } catch (const std::bad_alloc &) {
    appender = nullptr;
  }
  if (appender == nullptr) return tqc_null_standard_appender();
  return appender;
}

CTqcStdoutAppender::CTqcStdoutAppender(const char *name) : m_name(name) {}

int32_t CTqcStdoutAppender::query_interface(const char *guid, void **out) {
  return tqc_query_appender(this, nullptr, guid, out);
}

int32_t CTqcStdoutAppender::query(const char *guid, void **out) { return query_interface(guid, out); }
int32_t CTqcStdoutAppender::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }
void CTqcStdoutAppender::release() { delete this; }
const char *CTqcStdoutAppender::get_type() { return kAppenderTypeStdout; }
const char *CTqcStdoutAppender::get_name() { return m_name.c_str(); }

int32_t CTqcStdoutAppender::write(const char *line) {
  if (line == nullptr) return QMR_E_INVALID_ARG;
  if (std::printf("%s\n", line) < 0 || std::fflush(stdout) != 0) return QMR_E_FAILED;
  return QMR_OK;
}
