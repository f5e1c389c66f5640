#include "log/appender_factory.h"

#include "log/file_appender.h"
#include "log/null_appender.h"
#include "log/stdout_appender.h"
#include "qmr.h"

ITqcLogAppenderFactory *tqc_stdout_appender_factory() {
  // Stateless and trivially destructible: safe to use at any time.
  static CTqcStdoutAppenderFactory factory;
  return &factory;
}

ITqcLogAppenderFactory *tqc_file_appender_factory() {
  static CTqcFileAppenderFactory factory;
  return &factory;
}

const char *CTqcStdoutAppenderFactory::get_type() { return kAppenderTypeStdout; }

ITqcLogAppender *CTqcStdoutAppenderFactory::create(const char *name, ITqcLogOptions *) {
  return tqc_create_stdout_appender(name);
}

ITqcLogAppenderFactory *tqc_stderr_appender_factory() {
  static CTqcStderrAppenderFactory factory;
  return &factory;
}

const char *CTqcStderrAppenderFactory::get_type() { return kAppenderTypeStderr; }

ITqcLogAppender *CTqcStderrAppenderFactory::create(const char *name, ITqcLogOptions *) {
  return tqc_create_stderr_appender(name);
}

const char *CTqcFileAppenderFactory::get_type() { return kAppenderTypeFile; }

ITqcLogAppender *CTqcFileAppenderFactory::create(const char *name, ITqcLogOptions *options) {
  ITqcFileAppender *appender = tqc_create_file_appender(name);
  if (options == nullptr || tqc_is_null_appender(appender)) return appender;
  const char *path = nullptr;
  if (options->get_option(kLogOptionExtentionName, &path) != QMR_OK || path == nullptr ||
      appender->set_file_name(path) != QMR_OK) {
    appender->release();
    return tqc_null_file_appender();
  }
  return appender;
}
