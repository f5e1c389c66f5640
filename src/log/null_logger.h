// The logger handed out whenever a real one cannot be supplied: it accepts
// everything and writes nothing, so logging never stops its caller.
#ifndef QMR_LOG_NULL_LOGGER_H
#define QMR_LOG_NULL_LOGGER_H

#include "log/logger.h"

inline constexpr char kNullLoggerName[] = "null_session";

class CTqcNullLogger : public virtual ITqcLoggerGroup {
 public:
  CTqcNullLogger() = default;
  CTqcNullLogger(const CTqcNullLogger &) = delete;
  CTqcNullLogger &operator=(const CTqcNullLogger &) = delete;

  int32_t query_interface(const char *guid, void **out) override;
  int32_t query(const char *guid, void **out) override;
  int32_t get_object_info(void **out) override;
  void release() override;
  const char *get_name() override;
  int32_t add_appender(ITqcLogAppender *appender) override;
  int32_t set_level_mask(uint32_t mask) override;
  uint32_t get_level_mask() override;
  int32_t set_indent(uint32_t count) override;
  uint32_t get_indent() override;
  int32_t set_flags(uint32_t options) override;
  uint32_t get_flags() override;
  int32_t set_radix(uint32_t radix) override;
  uint32_t get_radix() override;
  int32_t find_appender(const char *name, ITqcLogAppender **out) override;
  QMR_PRINTF(3, 4) int32_t write(uint32_t level, const char *format, ...) override;
  QMR_PRINTF(3, 0) int32_t write_v(uint32_t level, const char *format, va_list args) override;
  int32_t reset() override;
  int32_t join(ITqcLogger *logger) override;
  int32_t leave(ITqcLogger *logger) override;
};

// The process-wide null logger. It is never destroyed, so it stays usable
// from static destructors that run after the log manager is gone.
CTqcNullLogger *tqc_null_logger();

#endif  // QMR_LOG_NULL_LOGGER_H
