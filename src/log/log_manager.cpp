#include "log/log_manager.h"

#include <atomic>
#include <cstring>
#include <new>

#include "log/appender_factory.h"
#include "log/null_appender.h"
#include "log/null_logger.h"
#include "qmr.h"

namespace {

void set_error(int32_t *error, int32_t code) {
  if (error != nullptr) *error = code;
}

std::atomic<uint32_t> g_generation{1};

// The shared manager and the lock it is built under. All three are constant
// initialised, so they are usable before and after any other static object.
std::mutex g_managerLock;
std::atomic<CTqcLogManager *> g_manager{nullptr};
bool g_unloading = false;  // guarded by g_managerLock

// Destroys the shared manager when the library unloads. Its constructor does
// nothing, so its destructor runs after those of objects made later (such
// as the logger references), and later users get the null logger.
struct CManagerHolder {
  ~CManagerHolder() {
    std::lock_guard<std::mutex> hold(g_managerLock);
    g_unloading = true;
    CTqcLogManager *manager = g_manager.exchange(nullptr);
    g_generation.fetch_add(1);
    delete manager;
  }
} g_holder;

}  // namespace

uint32_t tqc_log_generation() { return g_generation.load(std::memory_order_acquire); }

CTqcLogManager *tqc_get_log_manager() {
  CTqcLogManager *manager = g_manager.load(std::memory_order_acquire);
  if (manager != nullptr) return manager;
  std::lock_guard<std::mutex> hold(g_managerLock);
  manager = g_manager.load(std::memory_order_relaxed);
  if (manager == nullptr && !g_unloading) {
    try {
      manager = new (std::nothrow) CTqcLogManager();
    } catch (const std::bad_alloc &) {
      manager = nullptr;
    }
    g_manager.store(manager, std::memory_order_release);
  }
  return manager;
}

CTqcLogManager::CTqcLogManager() : m_root(kRootGroupName, true) {
  m_factories.push_back(tqc_stdout_appender_factory());
  m_factories.push_back(tqc_file_appender_factory());
  m_loggers.push_back(&m_root);
}

CTqcLogManager::~CTqcLogManager() {
  std::lock_guard<std::mutex> hold(m_lock);
  retire_loggers_locked();
  for (ITqcLogger *logger : m_retired) logger->release();
  for (ITqcLogAppender *appender : m_appenders) appender->release();
}

ITqcLogger *CTqcLogManager::find_logger_locked(const char *name) {
  for (ITqcLogger *logger : m_loggers) {
    if (std::strcmp(logger->get_name(), name) == 0) return logger;
  }
  return nullptr;
}

ITqcLogger *CTqcLogManager::get_logger(const char *name, ITqcLogAppender *appender, int32_t *error) {
  if (name == nullptr) {
    set_error(error, QMR_E_INVALID_ARG);
    return tqc_null_logger();
  }
  std::lock_guard<std::mutex> hold(m_lock);
  if (ITqcLogger *present = find_logger_locked(name)) {
    set_error(error, QMR_OK);
    return present;
  }
  int32_t rc = QMR_OK;
  ITqcLogger *logger = tqc_create_logger(name, &rc);
  if (logger == nullptr) {
    set_error(error, rc);
    return tqc_null_logger();
  }
  rc = m_root.join(logger);
  if (rc == QMR_OK && appender != nullptr) rc = logger->add_appender(appender);
  if (rc == QMR_OK) {
    try {
      m_loggers.push_back(logger);
    } catch (const std::bad_alloc &) {
      rc = QMR_E_NO_MEMORY;
    }
  }
  if (rc != QMR_OK) {
    // The root must not keep a child that is about to go.
    m_root.leave(logger);
    logger->release();
    set_error(error, rc);
    return tqc_null_logger();
  }
  set_error(error, QMR_OK);
  return logger;
}

ITqcLogger *CTqcLogManager::get_logger(const char *name, int32_t *error) {
  return get_logger(name, nullptr, error);
}

ITqcLoggerGroup *CTqcLogManager::get_group(const char *name, int32_t *error) {
  if (name == nullptr) {
    set_error(error, QMR_E_INVALID_ARG);
    return tqc_null_logger();
  }
  std::lock_guard<std::mutex> hold(m_lock);
  ITqcLogger *logger = find_logger_locked(name);
  if (logger == nullptr) {
    set_error(error, QMR_E_NOT_FOUND);
    return nullptr;
  }
  void *group = nullptr;
  if (logger->query_interface(kGuidTqcLoggerGroup, &group) != QMR_OK) {
    set_error(error, QMR_E_FAILED);
    return nullptr;
  }
  set_error(error, QMR_OK);
  return static_cast<ITqcLoggerGroup *>(group);
}

ITqcLoggerGroup *CTqcLogManager::find_group(const char *name, int32_t *error) {
  return get_group(name, error);
}

ITqcLogAppender *CTqcLogManager::get_appender(const char *type, const char *name) {
  if (type == nullptr || name == nullptr) return tqc_null_appender_of(type);
  std::lock_guard<std::mutex> hold(m_lock);
  for (ITqcLogAppender *appender : m_appenders) {
    if (std::strcmp(appender->get_name(), name) != 0) continue;
    if (std::strcmp(appender->get_type(), type) == 0) return appender;
    return tqc_null_appender_of(type);
  }
  for (ITqcLogAppenderFactory *factory : m_factories) {
    if (std::strcmp(factory->get_type(), type) != 0) continue;
    ITqcLogAppender *appender = factory->create(name, nullptr);
    if (appender == nullptr || tqc_is_null_appender(appender)) return appender;
    try {
      m_appenders.push_back(appender);
    } catch (const std::bad_alloc &) {
      appender->release();
      return tqc_null_appender_of(type);
    }
    return appender;
  }
  return nullptr;
}

ITqcLogAppender *CTqcLogManager::find_appender(const char *name, int32_t *error) {
  if (name == nullptr) {
    set_error(error, QMR_E_INVALID_ARG);
    return tqc_null_standard_appender();
  }
  std::lock_guard<std::mutex> hold(m_lock);
  set_error(error, QMR_OK);
  for (ITqcLogAppender *appender : m_appenders) {
    if (std::strcmp(appender->get_name(), name) == 0) return appender;
  }
  return tqc_null_standard_appender();
}

int32_t CTqcLogManager::add_factory(ITqcLogAppenderFactory *factory) {
  if (factory == nullptr) return QMR_E_INVALID_ARG;
  std::lock_guard<std::mutex> hold(m_lock);
  try {
    m_factories.push_back(factory);
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

void CTqcLogManager::retire_loggers_locked() {
  m_root.reset();
  for (size_t i = 1; i < m_loggers.size(); ++i) {
    ITqcLogger *logger = m_loggers[i];
    // Waits for a line being written to finish; afterwards the logger holds
    // no appender and lets nothing through.
    logger->reset();
    try {
      m_retired.push_back(logger);
    } catch (const std::bad_alloc &) {
      // Left allocated on purpose: someone may still hold it.
    }
  }
  m_loggers.resize(1);
}

int32_t CTqcLogManager::reset() {
  std::lock_guard<std::mutex> hold(m_lock);
  retire_loggers_locked();
  for (ITqcLogAppender *appender : m_appenders) appender->release();
  m_appenders.clear();
  g_generation.fetch_add(1, std::memory_order_acq_rel);
  return QMR_OK;
}
