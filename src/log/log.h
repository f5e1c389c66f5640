// How components write to the trace log. The manager, loggers and appenders
// behind these calls live in the other headers of this folder.
#ifndef QMR_LOG_LOG_H
#define QMR_LOG_LOG_H

#include <atomic>
#include <cstdint>
#include <mutex>

#if defined(__GNUC__)
#define QMR_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define QMR_PRINTF(fmt, args)
#endif

class ITqcLogger;

// Level bits: a line is written when its level shares a bit with the mask.
enum ETqcLogLevel : uint32_t {
  kLogError = 1,
  kLogWarn = 2,
  kLogInfo = 4,
  kLogDebug = 8,
  kLogTrace = 16,
  kLogAll = 31,
};

// A static per-component holder of its logger, bound on first use and bound
// again after the log manager was reset.
class CTqcLogRef {
 public:
  explicit CTqcLogRef(const char *component);
  CTqcLogRef(const CTqcLogRef &) = delete;
  CTqcLogRef &operator=(const CTqcLogRef &) = delete;

  // The bound logger (never null: the null logger when none can be had).
  ITqcLogger *logger();
  // Writes one line at `level`; 0 or the appenders' last error.
  int32_t write(uint32_t level, const char *format, ...) QMR_PRINTF(3, 4);

 private:
  const char *m_component;
  std::atomic<ITqcLogger *> m_pLogger{nullptr};
  std::atomic<uint32_t> m_generation{0};  // manager generation m_pLogger belongs to
  std::mutex m_lock;                      // taken only while binding
};

// The loggers of the transport ("socket") and of the SNMP code ("snmp").
CTqcLogRef &socket_log();
CTqcLogRef &snmp_log();

// One line under `component`, looking the logger up on every call. The
// exported interface logs its failed steps this way under "QMR", passing the
// step name as the format and the result code as an argument it does not print.
int32_t log_write(const char *component, uint32_t level, const char *format, ...) QMR_PRINTF(3, 4);

// The "QMR" failure line of a device read: level Error, the step's name, the code.
int32_t log_qmr_failure(const char *step, int32_t code);

#endif  // QMR_LOG_LOG_H
