// A plain list of named options for appender factories.
#ifndef QMR_LOG_LOG_OPTIONS_H
#define QMR_LOG_LOG_OPTIONS_H

#include <string>
#include <vector>

#include "log/appender.h"

class CTqcLogOptions : public ITqcLogOptions {
 public:
  // Sets or replaces an option; a null value is kept as present-but-null.
  // 0, -2 for a null name, -3 when memory runs out.
  int32_t set_option(const char *name, const char *value);
  int32_t get_option(const char *name, const char **value) override;

 private:
  struct Option {
    std::string name;
    std::string value;
    bool hasValue;
  };
  std::vector<Option> m_options;
};

#endif  // QMR_LOG_LOG_OPTIONS_H
