// The two built-in appender factories, registered with every log manager.
#ifndef QMR_LOG_APPENDER_FACTORY_H
#define QMR_LOG_APPENDER_FACTORY_H

#include "log/appender.h"

// Makes CTqcStdoutAppender; options are ignored.
class CTqcStdoutAppenderFactory : public ITqcLogAppenderFactory {
 public:
  const char *get_type() override;
  ITqcLogAppender *create(const char *name, ITqcLogOptions *options) override;
};

// Makes the standard-error form of CTqcStdoutAppender. Not registered by
// default: tqc_log_to_stderr adds it when a host asks for it.
class CTqcStderrAppenderFactory : public ITqcLogAppenderFactory {
 public:
  const char *get_type() override;
  ITqcLogAppender *create(const char *name, ITqcLogOptions *options) override;
};

// Makes CTqcFileAppender. With options, "ExtentionName" must be present and
// non-null and becomes the file path; otherwise the null file appender.
class CTqcFileAppenderFactory : public ITqcLogAppenderFactory {
 public:
  const char *get_type() override;
  ITqcLogAppender *create(const char *name, ITqcLogOptions *options) override;
};

// Process-wide instances, never destroyed.
ITqcLogAppenderFactory *tqc_stdout_appender_factory();
ITqcLogAppenderFactory *tqc_file_appender_factory();
ITqcLogAppenderFactory *tqc_stderr_appender_factory();

#endif  // QMR_LOG_APPENDER_FACTORY_H
