#include "log/file_appender.h"

#include <cstring>
#include <new>

#include "log/null_appender.h"
#include "qmr.h"

namespace {
// Counted per line for its line end, whatever the platform writes.
constexpr uint64_t kLineEndCost = 2;
}  // namespace

ITqcFileAppender *tqc_create_file_appender(const char *name) {
  if (name == nullptr) return tqc_null_file_appender();
  CTqcFileAppender *appender = nullptr;
  try {
    appender = new (std::nothrow) CTqcFileAppender(name);
  } catch (const std::bad_alloc &) {
    appender = nullptr;
  }
  if (appender == nullptr) return tqc_null_file_appender();
  return appender;
}

CTqcFileAppender::CTqcFileAppender(const char *name) : m_name(name) {}

CTqcFileAppender::~CTqcFileAppender() { close_locked(); }

int32_t CTqcFileAppender::query_interface(const char *guid, void **out) {
  return tqc_query_appender(this, this, guid, out);
}

int32_t CTqcFileAppender::query(const char *guid, void **out) { return query_interface(guid, out); }
int32_t CTqcFileAppender::get_object_info(void **) { return QMR_E_NOT_SUPPORTED; }
void CTqcFileAppender::release() { delete this; }
const char *CTqcFileAppender::get_type() { return kAppenderTypeFile; }
const char *CTqcFileAppender::get_name() { return m_name.c_str(); }

int32_t CTqcFileAppender::set_max_size(uint32_t bytes) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_maxSize = bytes;
  return QMR_OK;
}

int32_t CTqcFileAppender::set_file_name(const char *path) {
  if (path == nullptr) return QMR_E_INVALID_ARG;
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_path == path) return QMR_OK;
  try {
    std::string backup = std::string(path) + kBackupSuffix;
    m_path = path;
    m_backupPath = std::move(backup);
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  // Lines written after this call belong in the new file.
  close_locked();
  return QMR_OK;
}

void CTqcFileAppender::close_locked() {
  if (m_file != nullptr) {
    std::fclose(m_file);
    m_file = nullptr;
  }
}

int32_t CTqcFileAppender::open_locked() {
  m_file = std::fopen(m_path.c_str(), "a");
  if (m_file == nullptr) return QMR_E_SYSTEM_LIBRARY;
  // Appending starts at the end; what is already there counts.
  long length = -1;
  if (std::fseek(m_file, 0, SEEK_END) == 0) length = std::ftell(m_file);
  m_written = length > 0 ? static_cast<uint64_t>(length) : 0;
  return QMR_OK;
}

int32_t CTqcFileAppender::rotate_locked() {
  close_locked();
  if (std::FILE *probe = std::fopen(m_path.c_str(), "r")) {
    std::fclose(probe);
    std::remove(m_backupPath.c_str());
    std::rename(m_path.c_str(), m_backupPath.c_str());
  }
  m_file = std::fopen(m_path.c_str(), "w");
  if (m_file == nullptr) return QMR_E_SYSTEM_LIBRARY;
  m_written = 0;
  return QMR_OK;
}

int32_t CTqcFileAppender::write(const char *line) {
  if (line == nullptr) return QMR_E_INVALID_ARG;
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_file == nullptr) {
    const int32_t rc = open_locked();
    if (rc != QMR_OK) return rc;
  }
  const uint64_t cost = std::strlen(line) + kLineEndCost;
  if (cost > m_maxSize) return QMR_E_OUT_OF_RANGE;
  if (cost + m_written > m_maxSize) {
    const int32_t rc = rotate_locked();
    if (rc != QMR_OK) return rc;
  }
  if (std::fprintf(m_file, "%s\n", line) < 0 || std::fflush(m_file) != 0) return QMR_E_FAILED;
  m_written += cost;
  return QMR_OK;
}
