// Appender interfaces: where finished lines go, and the factories that make
// appenders by type name.
#ifndef QMR_LOG_APPENDER_H
#define QMR_LOG_APPENDER_H

#include <cstdint>

#include "log/object.h"

// Type names of the built-in appenders.
inline constexpr char kAppenderTypeStdout[] = "stdout";
inline constexpr char kAppenderTypeStderr[] = "stderr";
inline constexpr char kAppenderTypeFile[] = "file";
inline constexpr char kAppenderTypeNullStandard[] = "null_standard";
inline constexpr char kAppenderTypeNullFile[] = "null_file";

// The option of the file factory that carries the file path (spelt as the
// hosts spell it).
inline constexpr char kLogOptionExtentionName[] = "ExtentionName";

class ITqcLogAppender : public virtual ITqcObject {
 public:
  virtual const char *get_type() = 0;
  virtual const char *get_name() = 0;
  // Writes one finished line (without its line end); 0 or an error.
  virtual int32_t write(const char *line) = 0;
};

class ITqcFileAppender : public virtual ITqcLogAppender {
 public:
  // Limit on the bytes one file may take before it becomes the backup.
  virtual int32_t set_max_size(uint32_t bytes) = 0;
  // -2 for null, else 0.
  virtual int32_t set_file_name(const char *path) = 0;
};

// The query every appender answers: ITqcObject and ITqcLogAppender, and
// ITqcFileAppender when `file` (the same object) is given.
int32_t tqc_query_appender(ITqcLogAppender *self, ITqcFileAppender *file, const char *guid, void **out);

// Named options handed to an appender factory.
class ITqcLogOptions {
 public:
  // 0 with *value (possibly null) when the option is present, else -6.
  virtual int32_t get_option(const char *name, const char **value) = 0;

 protected:
  ~ITqcLogOptions() = default;
};

class ITqcLogAppenderFactory {
 public:
  virtual const char *get_type() = 0;
  // A new appender called `name`, owned by the caller; the null appender of
  // the type when it cannot be made or configured.
  virtual ITqcLogAppender *create(const char *name, ITqcLogOptions *options) = 0;

 protected:
  ~ITqcLogAppenderFactory() = default;
};

#endif  // QMR_LOG_APPENDER_H
