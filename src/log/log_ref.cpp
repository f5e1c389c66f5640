// Logger references and the component write calls of log.h.
#include <cstdarg>
#include <cstring>

#include "log/log.h"
#include "log/log_manager.h"
#include "log/null_logger.h"

namespace {

constexpr char kQmrComponent[] = "QMR";

ITqcLogger *lookup(const char *component) {
  CTqcLogManager *manager = tqc_get_log_manager();
  if (manager == nullptr) return tqc_null_logger();
  return manager->get_logger(component, nullptr);
}

int32_t log_write_v(const char *component, uint32_t level, const char *format, va_list args)
    QMR_PRINTF(3, 0);

int32_t log_write_v(const char *component, uint32_t level, const char *format, va_list args) {
  return lookup(component)->write_v(level, format, args);
}

}  // namespace

CTqcLogRef::CTqcLogRef(const char *component) : m_component(component) {}

ITqcLogger *CTqcLogRef::logger() {
  ITqcLogger *bound = m_pLogger.load(std::memory_order_acquire);
  if (bound != nullptr && m_generation.load(std::memory_order_acquire) == tqc_log_generation()) return bound;
  std::lock_guard<std::mutex> hold(m_lock);
  // Read before the lookup: a reset racing with it leaves a stale number
  // and the next call looks up again.
  const uint32_t generation = tqc_log_generation();
  bound = m_pLogger.load(std::memory_order_relaxed);
  if (bound != nullptr && m_generation.load(std::memory_order_relaxed) == generation) return bound;
  bound = lookup(m_component);
  m_generation.store(generation, std::memory_order_release);
  m_pLogger.store(bound, std::memory_order_release);
  return bound;
}

int32_t CTqcLogRef::write(uint32_t level, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int32_t rc = logger()->write_v(level, format, args);
  va_end(args);
  return rc;
}

CTqcLogRef &socket_log() {
  static CTqcLogRef ref("socket");
  return ref;
}

CTqcLogRef &snmp_log() {
  static CTqcLogRef ref("snmp");
  return ref;
}

int32_t log_write(const char *component, uint32_t level, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int32_t rc = log_write_v(component, level, format, args);
  va_end(args);
  return rc;
}

int32_t log_qmr_failure(const char *step, int32_t code) {
  // The step name is the format and the code an argument it does not print.
  // A name with a conversion in it would read arguments that are not there,
  // so such a name is written as plain text.
  if (step != nullptr && std::strchr(step, '%') != nullptr) return log_write(kQmrComponent, kLogError, "%s", step);
  return log_write(kQmrComponent, kLogError, step, code);
}
