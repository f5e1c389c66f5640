// The logger of one component name.
#ifndef QMR_LOG_TQC_LOGGER_H
#define QMR_LOG_TQC_LOGGER_H

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "log/logger.h"

class CTqcLogger : public virtual ITqcLogger {
 public:
  CTqcLogger(const CTqcLogger &) = delete;
  CTqcLogger &operator=(const CTqcLogger &) = delete;

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
  ~CTqcLogger() override;
  int32_t reset() override;

 protected:
  // May throw std::bad_alloc; tqc_create_logger turns that into -3.
  explicit CTqcLogger(const char *name);
  friend CTqcLogger *tqc_create_logger(const char *name, int32_t *error);

  // The interface of this object matching `guid`, or null.
  virtual void *find_interface(const char *guid);
  // Copies of the appender list, for handing them on without holding the lock.
  std::vector<ITqcLogAppender *> appenders_snapshot();
  bool has_appender(const char *name);

 private:
  bool has_appender_locked(const char *name) const;

  // Read on every line, written rarely: an off level costs no lock.
  std::atomic<uint32_t> m_mask{0};
  std::mutex m_lock;  // guards everything below
  std::vector<ITqcLogAppender *> m_appenders;
  const std::string m_name;
  uint32_t m_indent = 0;  // the indent text is m_indent times four spaces, made while writing
  uint32_t m_options = kLineDefault;
  uint32_t m_radix = 10;
};

// A new logger with the defaults, owned by the caller; null and -3 in
// *error when memory runs out, -2 for a null name.
CTqcLogger *tqc_create_logger(const char *name, int32_t *error);

#endif  // QMR_LOG_TQC_LOGGER_H
