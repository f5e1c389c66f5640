// SNMPv3 user-security parameters shared by discovery and device opening:
// the library handle's object behind the interface in session/plugin_usm.h.
#ifndef QMR_API_PLUGIN_USM_H
#define QMR_API_PLUGIN_USM_H

#include <cstdint>

#include "qmr.h"
#include "session/plugin_usm.h"

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
