#include "trace_log.h"

#include <cstdio>
#include <new>
#include <string>

#include "log/appender.h"
#include "log/log_config.h"
#include "log/log_manager.h"
#include "log/null_appender.h"
#include "qmr.h"

namespace {

// The log has appenders for standard output and files only; standard output
// carries the command's own report, so the trace needs one for stderr.
constexpr char kStderrType[] = "qmr_stderr";
constexpr char kStderrName[] = "qmr";

class StderrAppender : public virtual ITqcLogAppender {
 public:
  explicit StderrAppender(const char *name) : m_name(name) {}
  int32_t query_interface(const char *guid, void **out) override {
    return tqc_query_appender(this, nullptr, guid, out);
  }
  int32_t query(const char *guid, void **out) override { return query_interface(guid, out); }
  int32_t get_object_info(void **) override { return QMR_E_NOT_SUPPORTED; }
  void release() override { delete this; }
  const char *get_type() override { return kStderrType; }
  const char *get_name() override { return m_name.c_str(); }
  int32_t write(const char *line) override {
    if (line == nullptr) return QMR_E_INVALID_ARG;
    return std::fprintf(stderr, "%s\n", line) < 0 ? QMR_E_FAILED : QMR_OK;
  }

 private:
  const std::string m_name;
};

class StderrFactory : public ITqcLogAppenderFactory {
 public:
  const char *get_type() override { return kStderrType; }
  ITqcLogAppender *create(const char *name, ITqcLogOptions *) override {
    if (name == nullptr) return tqc_null_standard_appender();
    try {
      ITqcLogAppender *made = new (std::nothrow) StderrAppender(name);
      return made != nullptr ? made : tqc_null_standard_appender();
    } catch (const std::bad_alloc &) {
      return tqc_null_standard_appender();
    }
  }
};

// Trivially destructible, so it outlives the log manager as the manager
// requires of its factories.
StderrFactory g_stderr_factory;

int32_t trace_to_stderr(uint32_t mask) {
  CTqcLogManager *manager = tqc_get_log_manager();
  if (manager == nullptr) return QMR_E_NO_MEMORY;
  manager->reset();
  int32_t rc = manager->add_factory(&g_stderr_factory);
  if (rc != QMR_OK) return rc;
  ITqcLogAppender *appender = manager->get_appender(kStderrType, kStderrName);
  if (appender == nullptr || tqc_is_null_appender(appender)) return QMR_E_NO_MEMORY;
  ITqcLoggerGroup *root = manager->get_group("All", &rc);
  if (root == nullptr || rc != QMR_OK) return rc != QMR_OK ? rc : QMR_E_NOT_FOUND;
  rc = root->add_appender(appender);
  return rc != QMR_OK ? rc : root->set_level_mask(mask);
}

}  // namespace

int32_t start_trace_log(uint32_t mask, const char *path, uint32_t max_bytes) {
  if (path != nullptr) return tqc_log_to_file(path, mask, max_bytes);
  return trace_to_stderr(mask);
}
