#include "api/plugin_usm.h"

#include <cstring>
#include <new>

namespace {

constexpr int32_t kNoSelector = -1;
constexpr int32_t kHighestSelector = 2;  // SNMPv3
constexpr int32_t kHighestChoice = 2;
constexpr int32_t kDefaultChoice1 = 2;
constexpr int32_t kDefaultChoice2 = 1;
constexpr int32_t kDefaultChoice3 = 1;
constexpr const char kDefaultUserName[] = "Nodewalk";
constexpr const char kDefaultPassPhrase1[] = "8rekOvIPAboW37ubal5y";
constexpr const char kDefaultPassPhrase2[] = "Wq7HxT2pLm9cVb4ZsK3d";

// The caller's block is a plain byte image: a text that fills its field
// without a terminating zero is cut to fit rather than read past the field.
template <size_t N, size_t M>
void take_text(char (&target)[N], const char (&source)[M]) {
  static_assert(N >= M, "target narrower than the block field");
  size_t len = strnlen(source, M - 1);
  if (len == 0) return;
  std::memset(target, 0, N);
  std::memcpy(target, source, len);
}

void take_choice(int32_t &target, int32_t value) {
  if (value >= 0 && value <= kHighestChoice) target = value;
}

}  // namespace

CQMRPluginUSM::CQMRPluginUSM() { reset(); }

CQMRPluginUSM *CQMRPluginUSM::create(int32_t *rc) {
  CQMRPluginUSM *usm = new (std::nothrow) CQMRPluginUSM();
  if (rc != nullptr) *rc = usm != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return usm;
}

void CQMRPluginUSM::reset() {
  m_selector = kNoSelector;
  std::memset(m_userName, 0, sizeof m_userName);
  std::memcpy(m_userName, kDefaultUserName, sizeof kDefaultUserName);
  m_choice1 = kDefaultChoice1;
  m_choice2 = kDefaultChoice2;
  m_choice3 = kDefaultChoice3;
  std::memset(m_passPhrase1, 0, sizeof m_passPhrase1);
  std::memcpy(m_passPhrase1, kDefaultPassPhrase1, sizeof kDefaultPassPhrase1);
  std::memset(m_passPhrase2, 0, sizeof m_passPhrase2);
  std::memcpy(m_passPhrase2, kDefaultPassPhrase2, sizeof kDefaultPassPhrase2);
  std::memset(m_text3, 0, sizeof m_text3);
}

int32_t CQMRPluginUSM::load(int32_t selector, const QMRSecurityBlock *block) {
  reset();
  if (selector >= 0 && selector <= kHighestSelector) m_selector = selector;
  if (block == nullptr) return QMR_OK;
  take_text(m_userName, block->userName);
  take_choice(m_choice1, block->choice1);
  take_choice(m_choice2, block->choice2);
  take_choice(m_choice3, block->choice3);
  take_text(m_passPhrase1, block->passPhrase1);
  take_text(m_passPhrase2, block->passPhrase2);
  take_text(m_text3, block->text3);
  return QMR_OK;
}

void CQMRPluginUSM::release() { delete this; }
