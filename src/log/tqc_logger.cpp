#include "log/tqc_logger.h"

#include <cstring>
#include <new>

#include "log/appender.h"
#include "log/log_line.h"
#include "qmr.h"

namespace {

constexpr uint32_t kRadixDecimal = 10;
constexpr uint32_t kRadixHex = 16;

void set_error(int32_t *error, int32_t code) {
  if (error != nullptr) *error = code;
}

}  // namespace

CTqcLogger *tqc_create_logger(const char *name, int32_t *error) {
  if (name == nullptr) {
    set_error(error, QMR_E_INVALID_ARG);
    return nullptr;
  }
  CTqcLogger *logger = nullptr;
  try {
    logger = new (std::nothrow) CTqcLogger(name);
  } catch (const std::bad_alloc &) {
    logger = nullptr;
  }
  set_error(error, logger != nullptr ? QMR_OK : QMR_E_NO_MEMORY);
  return logger;
}

CTqcLogger::CTqcLogger(const char *name) : m_name(name) {}

CTqcLogger::~CTqcLogger() = default;

void *CTqcLogger::find_interface(const char *guid) {
  if (tqc_guid_is(guid, kGuidTqcObject)) return static_cast<ITqcObject *>(this);
  if (tqc_guid_is(guid, kGuidTqcLogger)) return static_cast<ITqcLogger *>(this);
  if (tqc_guid_is(guid, kGuidTqcLogTarget)) return static_cast<ITqcLogTarget *>(this);
  return nullptr;
}

int32_t CTqcLogger::query_interface(const char *guid, void **out) {
  return tqc_answer_query(guid, out, guid != nullptr ? find_interface(guid) : nullptr);
}

int32_t CTqcLogger::query(const char *guid, void **out) { return query_interface(guid, out); }

int32_t CTqcLogger::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }

void CTqcLogger::release() { delete this; }

const char *CTqcLogger::get_name() { return m_name.c_str(); }

bool CTqcLogger::has_appender_locked(const char *name) const {
  for (ITqcLogAppender *a : m_appenders) {
    if (std::strcmp(a->get_name(), name) == 0) return true;
  }
  return false;
}

int32_t CTqcLogger::add_appender(ITqcLogAppender *appender) {
  if (appender == nullptr) return QMR_E_INVALID_ARG;
  std::lock_guard<std::mutex> hold(m_lock);
  if (has_appender_locked(appender->get_name())) return QMR_OK;
  try {
    m_appenders.push_back(appender);
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

bool CTqcLogger::has_appender(const char *name) {
  std::lock_guard<std::mutex> hold(m_lock);
  return has_appender_locked(name);
}

std::vector<ITqcLogAppender *> CTqcLogger::appenders_snapshot() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_appenders;
}

int32_t CTqcLogger::set_level_mask(uint32_t mask) {
  m_mask.store(mask, std::memory_order_relaxed);
  return QMR_OK;
}

uint32_t CTqcLogger::get_level_mask() { return m_mask.load(std::memory_order_relaxed); }

int32_t CTqcLogger::set_indent(uint32_t count) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_indent = count;
  return QMR_OK;
}

uint32_t CTqcLogger::get_indent() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_indent;
}

int32_t CTqcLogger::set_flags(uint32_t options) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_options = options;
  return QMR_OK;
}

uint32_t CTqcLogger::get_flags() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_options;
}

int32_t CTqcLogger::set_radix(uint32_t radix) {
  if (radix != kRadixDecimal && radix != kRadixHex) return QMR_E_INVALID_ARG;
  std::lock_guard<std::mutex> hold(m_lock);
  m_radix = radix;
  return QMR_OK;
}

uint32_t CTqcLogger::get_radix() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_radix;
}

int32_t CTqcLogger::find_appender(const char *, ITqcLogAppender **out) {
  if (out != nullptr) *out = nullptr;
  return QMR_E_NOT_FOUND;
}

int32_t CTqcLogger::write(uint32_t level, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int32_t rc = write_v(level, format, args);
  va_end(args);
  return rc;
}

int32_t CTqcLogger::write_v(uint32_t level, const char *format, va_list args) {
  if ((level & m_mask.load(std::memory_order_relaxed)) == 0) return QMR_OK;
  // The whole line is built and handed out under the lock, so lines of
  // different threads never mix.
  std::lock_guard<std::mutex> hold(m_lock);
  char line[kLogLineBuffer];
  const TqcLineSettings settings{m_name.c_str(), m_options, m_radix, m_indent};
  tqc_format_line(line, settings, level, format, args);
  int32_t result = QMR_OK;
  for (ITqcLogAppender *a : m_appenders) {
    const int32_t rc = a->write(line);
    if (rc != QMR_OK) result = rc;
  }
  return result;
}

int32_t CTqcLogger::reset() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_appenders.clear();
  m_mask.store(0, std::memory_order_relaxed);
  m_indent = 0;
  m_options = kLineDefault;
  m_radix = kRadixDecimal;
  return QMR_OK;
}
