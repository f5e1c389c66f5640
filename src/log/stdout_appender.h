// Appenders that print each line on standard output or standard error.
#ifndef QMR_LOG_STDOUT_APPENDER_H
#define QMR_LOG_STDOUT_APPENDER_H

#include <string>

#include "log/appender.h"

class CTqcStdoutAppender : public virtual ITqcLogAppender {
 public:
  // May throw std::bad_alloc; use tqc_create_stdout_appender or
  // tqc_create_stderr_appender.
  CTqcStdoutAppender(const char *name, bool to_stderr);
  CTqcStdoutAppender(const CTqcStdoutAppender &) = delete;
  CTqcStdoutAppender &operator=(const CTqcStdoutAppender &) = delete;

  int32_t query_interface(const char *guid, void **out) override;
  int32_t query(const char *guid, void **out) override;
  int32_t get_object_info(void **out) override;
  void release() override;
  const char *get_type() override;
  const char *get_name() override;
  // The line and a line end, flushed at once; -1 when the stream fails.
  int32_t write(const char *line) override;

 private:
  const std::string m_name;
  const bool m_toStderr;
};

// A new standard-output appender (owned by the caller), or the null
// standard appender for a null name or when memory runs out.
ITqcLogAppender *tqc_create_stdout_appender(const char *name);
// The same on standard error (type kAppenderTypeStderr): for hosts whose
// standard output carries their own results.
ITqcLogAppender *tqc_create_stderr_appender(const char *name);

#endif  // QMR_LOG_STDOUT_APPENDER_H
