#include "log/log_config.h"

#include "log/appender_factory.h"
#include "log/file_appender.h"
#include "log/log_manager.h"
#include "log/null_appender.h"
#include "qmr.h"

namespace {

constexpr char kHostAppenderName[] = "host";

// Points the root group, and so every logger, at one appender.
int32_t route_all(CTqcLogManager *manager, ITqcLogAppender *appender, uint32_t mask) {
  int32_t error = QMR_OK;
  ITqcLoggerGroup *root = manager->get_group("All", &error);
  if (root == nullptr || error != QMR_OK) return error != QMR_OK ? error : QMR_E_NOT_FOUND;
  const int32_t rc = root->add_appender(appender);
  if (rc != QMR_OK) return rc;
  return root->set_level_mask(mask);
}

}  // namespace

int32_t tqc_log_to_stdout(uint32_t mask) {
  CTqcLogManager *manager = tqc_get_log_manager();
  if (manager == nullptr) return QMR_E_NO_MEMORY;
  manager->reset();
  ITqcLogAppender *appender = manager->get_appender(kAppenderTypeStdout, kHostAppenderName);
  if (appender == nullptr || tqc_is_null_appender(appender)) return QMR_E_NO_MEMORY;
  return route_all(manager, appender, mask);
}

int32_t tqc_log_to_stderr(uint32_t mask) {
  CTqcLogManager *manager = tqc_get_log_manager();
  if (manager == nullptr) return QMR_E_NO_MEMORY;
  manager->reset();
  // The standard-error factory is added on first use only (reset keeps it).
  ITqcLogAppender *appender = manager->get_appender(kAppenderTypeStderr, kHostAppenderName);
  if (appender == nullptr) {
    const int32_t rc = manager->add_factory(tqc_stderr_appender_factory());
    if (rc != QMR_OK) return rc;
    appender = manager->get_appender(kAppenderTypeStderr, kHostAppenderName);
  }
  if (appender == nullptr || tqc_is_null_appender(appender)) return QMR_E_NO_MEMORY;
  return route_all(manager, appender, mask);
}

int32_t tqc_log_to_file(const char *path, uint32_t mask, uint32_t max_size) {
  if (path == nullptr) return QMR_E_INVALID_ARG;
  CTqcLogManager *manager = tqc_get_log_manager();
  if (manager == nullptr) return QMR_E_NO_MEMORY;
  manager->reset();
  ITqcLogAppender *appender = manager->get_appender(kAppenderTypeFile, kHostAppenderName);
  void *file = nullptr;
  if (appender == nullptr || tqc_is_null_appender(appender) ||
      appender->query_interface(kGuidTqcFileAppender, &file) != QMR_OK) {
    return QMR_E_NO_MEMORY;
  }
  auto *file_appender = static_cast<ITqcFileAppender *>(file);
  int32_t rc = file_appender->set_file_name(path);
  if (rc == QMR_OK) rc = file_appender->set_max_size(max_size);
  if (rc != QMR_OK) return rc;
  return route_all(manager, appender, mask);
}

void tqc_log_silence() {
  if (CTqcLogManager *manager = tqc_get_log_manager()) manager->reset();
}
