// Appender that writes lines to a size-limited file with one ".bak" backup.
#ifndef QMR_LOG_FILE_APPENDER_H
#define QMR_LOG_FILE_APPENDER_H

#include <cstdio>
#include <mutex>
#include <string>

#include "log/appender.h"

inline constexpr uint32_t kDefaultLogFileLimit = 0x400000;
inline constexpr char kBackupSuffix[] = ".bak";

class CTqcFileAppender : public virtual ITqcFileAppender {
 public:
  // May throw std::bad_alloc; use tqc_create_file_appender.
  explicit CTqcFileAppender(const char *name);
  CTqcFileAppender(const CTqcFileAppender &) = delete;
  CTqcFileAppender &operator=(const CTqcFileAppender &) = delete;

  int32_t query_interface(const char *guid, void **out) override;
  int32_t query(const char *guid, void **out) override;
  int32_t get_object_info(void **out) override;
  void release() override;
  const char *get_type() override;
  const char *get_name() override;
  // Appends the line and a line end. Each line counts its length plus two
  // bytes against the limit: -7 for a line that can never fit; a line that
  // does not fit in what is left turns the file into the backup first.
  // -10 when the file cannot be opened, -1 when writing fails.
  int32_t write(const char *line) override;
  int32_t set_max_size(uint32_t bytes) override;
  // A new path closes the file in use so the next line goes to the new one.
  int32_t set_file_name(const char *path) override;

 private:
  ~CTqcFileAppender() override;
  int32_t open_locked();
  int32_t rotate_locked();
  void close_locked();

  const std::string m_name;
  std::mutex m_lock;  // guards everything below
  std::string m_path;
  std::string m_backupPath;  // made with the path, so writing allocates nothing
  std::FILE *m_file = nullptr;
  uint32_t m_maxSize = kDefaultLogFileLimit;
  uint64_t m_written = 0;
};

// A new file appender (owned by the caller) with no path yet, or the null
// file appender for a null name or when memory runs out.
ITqcFileAppender *tqc_create_file_appender(const char *name);

#endif  // QMR_LOG_FILE_APPENDER_H
