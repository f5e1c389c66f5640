// Logger interfaces. A logger formats lines and hands them to its appenders;
// a group is a logger whose settings also go to every child logger.
// Ownership: the log manager owns the loggers it hands out; appenders are
// lent to loggers, never owned by them.
#ifndef QMR_LOG_LOGGER_H
#define QMR_LOG_LOGGER_H

#include <cstdarg>
#include <cstdint>

#include "log/log.h"
#include "log/object.h"

class ITqcLogAppender;

// Bits of the line options: which identifiers start each line.
enum ETqcLineOption : uint32_t {
  kLineTime = 1,
  kLineProcess = 2,
  kLineThread = 4,
  kLineDefault = kLineTime | kLineProcess | kLineThread,
};

// Something lines can be written to.
class ITqcLogTarget : public virtual ITqcObject {
 public:
  QMR_PRINTF(3, 4) virtual int32_t write(uint32_t level, const char *format, ...) = 0;
  QMR_PRINTF(3, 0) virtual int32_t write_v(uint32_t level, const char *format, va_list args) = 0;
};

class ITqcLogger : public virtual ITqcLogTarget {
 public:
  virtual const char *get_name() = 0;
  // 0; -2 for null; an appender whose name is already present is skipped.
  virtual int32_t add_appender(ITqcLogAppender *appender) = 0;
  virtual int32_t set_level_mask(uint32_t mask) = 0;
  virtual uint32_t get_level_mask() = 0;
  // Each step of indentation is four spaces after the level word.
  virtual int32_t set_indent(uint32_t count) = 0;
  virtual uint32_t get_indent() = 0;
  // ETqcLineOption bits.
  virtual int32_t set_flags(uint32_t options) = 0;
  virtual uint32_t get_flags() = 0;
  // Base of the process and thread identifiers: 10 or 16, else -2.
  virtual int32_t set_radix(uint32_t radix) = 0;
  virtual uint32_t get_radix() = 0;
  // Looking an appender up by name is not offered: -6.
  virtual int32_t find_appender(const char *name, ITqcLogAppender **out) = 0;
  // One line: 0 when filtered out or written, else the last appender error.
  QMR_PRINTF(3, 4) int32_t write(uint32_t level, const char *format, ...) override = 0;
  QMR_PRINTF(3, 0) int32_t write_v(uint32_t level, const char *format, va_list args) override = 0;
  // Back to the defaults: no appender, mask 0, indent 0, options 7, base 10.
  virtual int32_t reset() = 0;
};

class ITqcLoggerGroup : public virtual ITqcLogger {
 public:
  // Makes `logger` a child: it takes the group's mask, options, base, indent
  // and appenders. 0, -2 for null or a group, or the first appender error.
  virtual int32_t join(ITqcLogger *logger) = 0;
  // 0, or -6 when `logger` is not a child.
  virtual int32_t leave(ITqcLogger *logger) = 0;
};

class ITqcLoggerGroupEx : public virtual ITqcLoggerGroup {
 public:
  virtual uint32_t get_child_count() = 0;
  // The child at `index` (lent), or null with -11 in *error.
  virtual ITqcLogger *get_child(uint32_t index, int32_t *error) = 0;
};

#endif  // QMR_LOG_LOGGER_H
