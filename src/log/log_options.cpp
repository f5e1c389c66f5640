#include "log/log_options.h"

#include <new>

#include "qmr.h"

int32_t CTqcLogOptions::set_option(const char *name, const char *value) {
  if (name == nullptr) return QMR_E_INVALID_ARG;
  try {
    Option option{name, value != nullptr ? value : "", value != nullptr};
    for (Option &present : m_options) {
      if (present.name == name) {
        present = std::move(option);
        return QMR_OK;
      }
    }
    m_options.push_back(std::move(option));
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

int32_t CTqcLogOptions::get_option(const char *name, const char **value) {
  if (value != nullptr) *value = nullptr;
  if (name == nullptr || value == nullptr) return QMR_E_INVALID_ARG;
  for (const Option &option : m_options) {
    if (option.name == name) {
      *value = option.hasValue ? option.value.c_str() : nullptr;
      return QMR_OK;
    }
  }
  return QMR_E_NOT_FOUND;
}
