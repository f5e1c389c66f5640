// The two appenders that discard every line. They live for the whole
// process (never destroyed) and ignore release().
#ifndef QMR_LOG_NULL_APPENDER_H
#define QMR_LOG_NULL_APPENDER_H

#include "log/appender.h"

class CTqcNullStandardAppender : public virtual ITqcLogAppender {
 public:
  int32_t query_interface(const char *guid, void **out) override;
  int32_t query(const char *guid, void **out) override;
  int32_t get_object_info(void **out) override;
  void release() override;
  const char *get_type() override;
  const char *get_name() override;
  int32_t write(const char *line) override;
};

class CTqcNullFileAppender : public virtual ITqcFileAppender {
 public:
  int32_t query_interface(const char *guid, void **out) override;
  int32_t query(const char *guid, void **out) override;
  int32_t get_object_info(void **out) override;
  void release() override;
  const char *get_type() override;
  const char *get_name() override;
  int32_t write(const char *line) override;
  int32_t set_max_size(uint32_t bytes) override;
  int32_t set_file_name(const char *path) override;
};

ITqcLogAppender *tqc_null_standard_appender();
ITqcFileAppender *tqc_null_file_appender();
// The null appender standing in for `type`: the null file appender for
// "file", the null standard appender for anything else.
ITqcLogAppender *tqc_null_appender_of(const char *type);
bool tqc_is_null_appender(const ITqcLogAppender *appender);

#endif  // QMR_LOG_NULL_APPENDER_H
