// The process-wide log manager: one logger per component name, the root
// group "All" that every logger joins, and the appenders it made.
//
// Lock order, never reversed: a logger reference's lock (binding only), the
// manager's lock, a group's lock, a logger's lock, a file appender's lock.
#ifndef QMR_LOG_LOG_MANAGER_H
#define QMR_LOG_LOG_MANAGER_H

#include <cstdint>
#include <mutex>
#include <vector>

#include "log/appender.h"
#include "log/logger.h"
#include "log/logger_group.h"

class CTqcLogManager {
 public:
  // May throw std::bad_alloc; tqc_get_log_manager builds the shared one.
  CTqcLogManager();
  ~CTqcLogManager();
  CTqcLogManager(const CTqcLogManager &) = delete;
  CTqcLogManager &operator=(const CTqcLogManager &) = delete;

  // The logger called `name`, made on first request (it joins "All" and, when
  // given, gets `appender`). Never null: failures give the null logger with
  // -2 (null name), -3 (memory) or the join/appender error in *error.
  ITqcLogger *get_logger(const char *name, ITqcLogAppender *appender, int32_t *error);
  // The group interface of the logger called `name`: -2 with the null logger
  // for a null name, -6 with null when there is none, -1 with null when that
  // logger is not a group.
  ITqcLoggerGroup *get_group(const char *name, int32_t *error);
  // get_logger without an appender: what components use.
  ITqcLogger *get_logger(const char *name, int32_t *error);
  // The same as get_group.
  ITqcLoggerGroup *find_group(const char *name, int32_t *error);
  // The appender called `name` of type `type`, made by that type's factory on
  // first request and kept by the manager. A null type or name, or a name
  // already used by another type, gives the type's null appender; a type
  // without a factory gives null.
  ITqcLogAppender *get_appender(const char *type, const char *name);
  // An appender the manager made; the null standard appender when there is
  // none (error 0) or for a null name (error -2).
  ITqcLogAppender *find_appender(const char *name, int32_t *error);
  // Registers a factory (lent: it must outlive the manager). 0, -2, -3.
  int32_t add_factory(ITqcLogAppenderFactory *factory);
  // Releases the appenders, drops every logger but the root, and resets the
  // root: the log is silent again. Loggers already handed out stay valid but
  // silent, since components may still hold them; references rebind.
  int32_t reset();

 private:
  ITqcLogger *find_logger_locked(const char *name);
  void retire_loggers_locked();

  std::mutex m_lock;
  std::vector<ITqcLogger *> m_loggers;  // the root first
  std::vector<ITqcLogger *> m_retired;  // dropped by reset, freed with the manager
  std::vector<ITqcLogAppender *> m_appenders;
  std::vector<ITqcLogAppenderFactory *> m_factories;
  CTqcLoggerGroup m_root;
};

// The shared manager, built on first use under a process-wide lock; null
// after the library has begun to unload or when it cannot be built.
CTqcLogManager *tqc_get_log_manager();

// Changes whenever loggers handed out earlier stop being current (reset,
// unload); logger references compare it to know when to look up again.
uint32_t tqc_log_generation();

#endif  // QMR_LOG_LOG_MANAGER_H
