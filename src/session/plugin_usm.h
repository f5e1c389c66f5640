// The SNMPv3 user-security parameters as the device objects and sessions
// read them. The library handle owns the object behind it (api/plugin_usm.h).
#ifndef QMR_SESSION_PLUGIN_USM_H
#define QMR_SESSION_PLUGIN_USM_H

#include <cstdint>

#include "qmr.h"
#include "session/usm_record.h"

// The device objects keep pointers to the texts (so a later load changes the
// user and pass phrases an open device uses) and copies of the numbers.
class IQMRPluginUSM {
 public:
  // Resets every field to its default, then takes the selector when it is 0,
  // 1 or 2 and each field of block that carries a value. block may be null
  // (defaults only). Always 0.
  virtual int32_t load(int32_t selector, const QMRSecurityBlock *block) = 0;
  virtual void release() = 0;
  virtual int32_t get_selector() const = 0;
  virtual const char *get_user_name() const = 0;
  virtual int32_t get_choice1() const = 0;
  virtual int32_t get_choice2() const = 0;
  virtual int32_t get_choice3() const = 0;
  virtual const char *get_pass_phrase1() const = 0;
  virtual const char *get_pass_phrase2() const = 0;
  virtual const char *get_text3() const = 0;
  virtual ~IQMRPluginUSM() = default;
};

// The parameters as a session takes them: the texts lent, not copied.
inline STqcUsmRecord tqc_usm_record_of(const IQMRPluginUSM &usm) {
  return STqcUsmRecord{usm.get_user_name(),    usm.get_choice1(),      usm.get_choice2(), usm.get_choice3(),
                       usm.get_pass_phrase1(), usm.get_pass_phrase2(), usm.get_text3()};
}

#endif  // QMR_SESSION_PLUGIN_USM_H
