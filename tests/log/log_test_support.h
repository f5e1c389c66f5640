// Helpers for the log tests: a scratch folder, reading files back, an
// appender that keeps lines in memory and a capture of standard output.
#ifndef QMR_TESTS_LOG_LOG_TEST_SUPPORT_H
#define QMR_TESTS_LOG_LOG_TEST_SUPPORT_H

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "log/appender.h"
#include "qmr.h"

namespace logtest {

// A folder made with mkdtemp and removed with everything in it.
class TempDir {
 public:
  TempDir() {
#if defined(_WIN32)
    // No mkdtemp: a name from the process id and a counter, made here.
    static int made_count = 0;
    std::error_code failed;
    std::filesystem::path path = std::filesystem::temp_directory_path(failed) /
                                 ("qmr-log-test-" + std::to_string(_getpid()) + "-" + std::to_string(++made_count));
    m_path = !failed && std::filesystem::create_directory(path, failed) ? path.generic_string() : "";
#else
    char pattern[] = "/tmp/qmr-log-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    m_path = made != nullptr ? made : "";
#endif
  }
  ~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  bool ok() const { return !m_path.empty(); }
  std::string file(const std::string &name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// Files are read back in the mode the appenders write them: text (on
// Windows a line ends in CR LF on disk and in LF here).
inline std::string read_all(const std::string &path) {
#if defined(_WIN32)
  std::ifstream in(path);
#else
  std::ifstream in(path, std::ios::binary);
#endif
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> read_lines(const std::string &path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline bool file_exists(const std::string &path) { return std::filesystem::exists(path); }

// Keeps every line it is given; owned by the test, so release() does nothing.
class CMemoryAppender : public virtual ITqcLogAppender {
 public:
  explicit CMemoryAppender(std::string name = "memory", int32_t result = QMR_OK)
      : m_name(std::move(name)), m_result(result) {}
  int32_t query_interface(const char *guid, void **out) override {
    return tqc_query_appender(this, nullptr, guid, out);
  }
  int32_t query(const char *guid, void **out) override { return query_interface(guid, out); }
  int32_t get_object_info(void **) override { return QMR_E_NOT_SUPPORTED; }
  void release() override {}
  const char *get_type() override { return "memory"; }
  const char *get_name() override { return m_name.c_str(); }
  int32_t write(const char *line) override {
    std::lock_guard<std::mutex> hold(m_lock);
    m_lines.emplace_back(line);
    return m_result;
  }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_lines;
  }
  // True when some line holds `text`.
  bool has(const std::string &text) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const std::string &line : m_lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

 private:
  std::string m_name;
  int32_t m_result;
  std::mutex m_lock;
  std::vector<std::string> m_lines;
};

// Sends file descriptor 1 into a file for the life of the object.
class StdoutCapture {
 public:
  explicit StdoutCapture(std::string path) : m_path(std::move(path)) {
    std::fflush(stdout);
    m_saved = dup(STDOUT_FILENO);
    const int fd = open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    close(fd);
  }
  ~StdoutCapture() { restore(); }
  // Everything printed so far; standard output is back to normal afterwards.
  std::string finish() {
    restore();
    return read_all(m_path);
  }

 private:
  void restore() {
    if (m_saved < 0) return;
    std::fflush(stdout);
    dup2(m_saved, STDOUT_FILENO);
    close(m_saved);
    m_saved = -1;
  }
  std::string m_path;
  int m_saved = -1;
};

}  // namespace logtest

#endif  // QMR_TESTS_LOG_LOG_TEST_SUPPORT_H
