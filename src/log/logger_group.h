// A logger that passes its settings and appenders on to child loggers. The
// log manager's root group "All" is one; every new logger joins it.
#ifndef QMR_LOG_LOGGER_GROUP_H
#define QMR_LOG_LOGGER_GROUP_H

#include <mutex>
#include <vector>

#include "log/tqc_logger.h"

inline constexpr char kRootGroupName[] = "All";

class CTqcLoggerGroup : public CTqcLogger, public virtual ITqcLoggerGroupEx {
 public:
  // `owned` groups live inside another object (the manager's root):
  // release() leaves them alone. May throw std::bad_alloc.
  CTqcLoggerGroup(const char *name, bool owned);
  ~CTqcLoggerGroup() override;

  void release() override;
  // Each setter stores the value on the group, then on every child in order.
  int32_t add_appender(ITqcLogAppender *appender) override;
  int32_t set_level_mask(uint32_t mask) override;
  int32_t set_indent(uint32_t count) override;
  int32_t set_flags(uint32_t options) override;
  int32_t set_radix(uint32_t radix) override;
  // Drops the children and resets the group's own settings.
  int32_t reset() override;
  int32_t join(ITqcLogger *logger) override;
  int32_t leave(ITqcLogger *logger) override;
  uint32_t get_child_count() override;
  ITqcLogger *get_child(uint32_t index, int32_t *error) override;

 protected:
  void *find_interface(const char *guid) override;

 private:
  // Applies `op` to the group and then to each child, under the group lock;
  // the result is the last non-zero one.
  template <typename Op>
  int32_t apply_to_all(Op op);

  const bool m_owned;
  std::mutex m_groupLock;  // guards m_children; taken before any logger lock
  std::vector<ITqcLogger *> m_children;
};

#endif  // QMR_LOG_LOGGER_GROUP_H
