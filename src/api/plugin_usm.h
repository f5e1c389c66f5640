// SNMPv3 user-security parameters shared by discovery and device opening.
#ifndef QMR_API_PLUGIN_USM_H
#define QMR_API_PLUGIN_USM_H

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

class CQMRPluginUSM final : public IQMRPluginUSM {
 public:
  // Null and -3 through rc when memory runs out.
  static CQMRPluginUSM *create(int32_t *rc);

  CQMRPluginUSM(const CQMRPluginUSM &) = delete;
  CQMRPluginUSM &operator=(const CQMRPluginUSM &) = delete;

  int32_t load(int32_t selector, const QMRSecurityBlock *block) override;
  void release() override;
  int32_t get_selector() const override { return m_selector; }
  const char *get_user_name() const override { return m_userName; }
  int32_t get_choice1() const override { return m_choice1; }
  int32_t get_choice2() const override { return m_choice2; }
  int32_t get_choice3() const override { return m_choice3; }
  const char *get_pass_phrase1() const override { return m_passPhrase1; }
  const char *get_pass_phrase2() const override { return m_passPhrase2; }
  const char *get_text3() const override { return m_text3; }

 private:
  CQMRPluginUSM();
  void reset();

  int32_t m_selector;  // -1: community-based version 1
  char m_userName[64];
  int32_t m_choice1;  // security level
  int32_t m_choice2;  // authentication protocol
  int32_t m_choice3;  // privacy protocol
  char m_passPhrase1[64];
  char m_passPhrase2[64];
  char m_text3[512];  // context name
};

#endif  // QMR_API_PLUGIN_USM_H
