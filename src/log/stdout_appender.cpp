#include "log/stdout_appender.h"

#include <cstdio>
#include <new>

#include "log/null_appender.h"
#include "qmr.h"

namespace {

ITqcLogAppender *create_stream_appender(const char *name, bool to_stderr) {
  if (name == nullptr) return tqc_null_standard_appender();
  CTqcStdoutAppender *appender = nullptr;
  try {
    appender = new (std::nothrow) CTqcStdoutAppender(name, to_stderr);
  } catch (const std::bad_alloc &) {
    appender = nullptr;
  }
  if (appender == nullptr) return tqc_null_standard_appender();
  return appender;
}

}  // namespace

ITqcLogAppender *tqc_create_stdout_appender(const char *name) { return create_stream_appender(name, false); }
ITqcLogAppender *tqc_create_stderr_appender(const char *name) { return create_stream_appender(name, true); }

CTqcStdoutAppender::CTqcStdoutAppender(const char *name, bool to_stderr) : m_name(name), m_toStderr(to_stderr) {}

int32_t CTqcStdoutAppender::query_interface(const char *guid, void **out) {
  return tqc_query_appender(this, nullptr, guid, out);
}

int32_t CTqcStdoutAppender::query(const char *guid, void **out) { return query_interface(guid, out); }
int32_t CTqcStdoutAppender::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }
void CTqcStdoutAppender::release() { delete this; }
const char *CTqcStdoutAppender::get_type() { return m_toStderr ? kAppenderTypeStderr : kAppenderTypeStdout; }
const char *CTqcStdoutAppender::get_name() { return m_name.c_str(); }

int32_t CTqcStdoutAppender::write(const char *line) {
  if (line == nullptr) return QMR_E_INVALID_ARG;
  std::FILE *stream = m_toStderr ? stderr : stdout;
  if (std::fprintf(stream, "%s\n", line) < 0 || std::fflush(stream) != 0) return QMR_E_FAILED;
  return QMR_OK;
}
