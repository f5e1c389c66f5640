#include "log/logger_group.h"

#include <algorithm>
#include <new>

#include "log/appender.h"
#include "qmr.h"

CTqcLoggerGroup::CTqcLoggerGroup(const char *name, bool owned) : CTqcLogger(name), m_owned(owned) {}

CTqcLoggerGroup::~CTqcLoggerGroup() = default;

void CTqcLoggerGroup::release() {
  if (!m_owned) delete this;
}

void *CTqcLoggerGroup::find_interface(const char *guid) {
  if (tqc_guid_is(guid, kGuidTqcLoggerGroup)) return static_cast<ITqcLoggerGroup *>(this);
  if (tqc_guid_is(guid, kGuidTqcLoggerGroupEx)) return static_cast<ITqcLoggerGroupEx *>(this);
  return CTqcLogger::find_interface(guid);
}

template <typename Op>
int32_t CTqcLoggerGroup::apply_to_all(Op op) {
  std::lock_guard<std::mutex> hold(m_groupLock);
  int32_t result = op(static_cast<ITqcLogger *>(this), true);
  if (result != QMR_OK) return result;
  for (ITqcLogger *child : m_children) {
    const int32_t rc = op(child, false);
    if (rc != QMR_OK) result = rc;
  }
  return result;
}

int32_t CTqcLoggerGroup::set_level_mask(uint32_t mask) {
  return apply_to_all([&](ITqcLogger *l, bool self) {
    return self ? CTqcLogger::set_level_mask(mask) : l->set_level_mask(mask);
  });
}

int32_t CTqcLoggerGroup::set_indent(uint32_t count) {
  return apply_to_all([&](ITqcLogger *l, bool self) {
    return self ? CTqcLogger::set_indent(count) : l->set_indent(count);
  });
}

int32_t CTqcLoggerGroup::set_flags(uint32_t options) {
  return apply_to_all([&](ITqcLogger *l, bool self) {
    return self ? CTqcLogger::set_flags(options) : l->set_flags(options);
  });
}

int32_t CTqcLoggerGroup::set_radix(uint32_t radix) {
  // An invalid base is refused by the group itself, before any child changes.
  return apply_to_all([&](ITqcLogger *l, bool self) {
    return self ? CTqcLogger::set_radix(radix) : l->set_radix(radix);
  });
}

int32_t CTqcLoggerGroup::add_appender(ITqcLogAppender *appender) {
  if (appender == nullptr) return QMR_E_INVALID_ARG;
  std::lock_guard<std::mutex> hold(m_groupLock);
  if (has_appender(appender->get_name())) return QMR_OK;
  int32_t result = CTqcLogger::add_appender(appender);
  if (result != QMR_OK) return result;
  for (ITqcLogger *child : m_children) {
    const int32_t rc = child->add_appender(appender);
    if (rc != QMR_OK) result = rc;
  }
  return result;
}

int32_t CTqcLoggerGroup::reset() {
  std::lock_guard<std::mutex> hold(m_groupLock);
  m_children.clear();
  return CTqcLogger::reset();
}

int32_t CTqcLoggerGroup::join(ITqcLogger *logger) {
  if (logger == nullptr) return QMR_E_INVALID_ARG;
  // A group inside a group could form a cycle that no setter would leave.
  void *group = nullptr;
  if (logger->query_interface(kGuidTqcLoggerGroupEx, &group) == QMR_OK) return QMR_E_INVALID_ARG;

  std::lock_guard<std::mutex> hold(m_groupLock);
  if (std::find(m_children.begin(), m_children.end(), logger) != m_children.end()) return QMR_OK;
  try {
    m_children.reserve(m_children.size() + 1);
    logger->set_level_mask(CTqcLogger::get_level_mask());
    logger->set_flags(CTqcLogger::get_flags());
    logger->set_radix(CTqcLogger::get_radix());
    logger->set_indent(CTqcLogger::get_indent());
    for (ITqcLogAppender *a : appenders_snapshot()) {
      const int32_t rc = logger->add_appender(a);
      if (rc != QMR_OK) return rc;
    }
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  m_children.push_back(logger);  // room reserved above
  return QMR_OK;
}

int32_t CTqcLoggerGroup::leave(ITqcLogger *logger) {
  std::lock_guard<std::mutex> hold(m_groupLock);
  auto it = std::find(m_children.begin(), m_children.end(), logger);
  if (it == m_children.end()) return QMR_E_NOT_FOUND;
  m_children.erase(it);
  return QMR_OK;
}

uint32_t CTqcLoggerGroup::get_child_count() {
  std::lock_guard<std::mutex> hold(m_groupLock);
  return static_cast<uint32_t>(m_children.size());
}

ITqcLogger *CTqcLoggerGroup::get_child(uint32_t index, int32_t *error) {
  std::lock_guard<std::mutex> hold(m_groupLock);
  if (index >= m_children.size()) {
    if (error != nullptr) *error = QMR_E_INDEX;
    return nullptr;
  }
  if (error != nullptr) *error = QMR_OK;
  return m_children[index];
}
