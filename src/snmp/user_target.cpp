#include "snmp/user_target.h"

#include <cstring>
#include <new>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/value_base.h"

namespace {

// Copies `text` (null: empty) into `out`; -3 when out of memory.
int32_t copy_text(std::string &out, const char *text) {
  try {
    out = text ? text : "";
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

}  // namespace

CTqsUserTarget *tqs_create_user_target(int32_t *result) {
  CTqsUserTarget *target = new (std::nothrow) CTqsUserTarget();
  tqs_put_result(result, target ? QMR_OK : QMR_E_NO_MEMORY);
  return target;
}

ITqsUserSecurity *tqs_user_security_of(ITqsSnmpTarget *target) {
  void *security = nullptr;
  if (!target || target->query(kTqsUserSecurityId, &security) != QMR_OK) return nullptr;
  return static_cast<ITqsUserSecurity *>(security);
}

void CTqsUserTarget::release() { delete this; }

void CTqsUserTarget::clear_security() {
  m_userName.clear();
  m_securityLevel = kTqsNoAuthNoPriv;
  m_authProtocol = kTqsAuthNone;
  m_privProtocol = kTqsPrivNone;
  m_authPassPhrase.clear();
  m_privPassPhrase.clear();
  m_contextName.clear();
  m_engineId.clear();
}

int32_t CTqsUserTarget::reset() {
  clear_security();
  return CTqsSnmpTargetBase::reset();
}

ITqsSnmpTarget *CTqsUserTarget::clone(int32_t *result) const {
  TqcOwned<CTqsUserTarget> copy(tqs_create_user_target(result));
  if (!copy) return nullptr;
  const int32_t rc = copy->assign(this);
  tqs_put_result(result, rc);
  return rc == QMR_OK ? copy.release() : nullptr;
}

int32_t CTqsUserTarget::copy_security(const ITqsUserSecurity &other) {
  uint32_t length = 0;
  const uint8_t *engine = other.get_engine_id(&length);
  int32_t rc = copy_text(m_userName, other.get_user_name());
  if (rc == QMR_OK) rc = copy_text(m_authPassPhrase, other.get_auth_pass_phrase());
  if (rc == QMR_OK) rc = copy_text(m_privPassPhrase, other.get_priv_pass_phrase());
  if (rc == QMR_OK) rc = copy_text(m_contextName, other.get_context_name());
  if (rc == QMR_OK) rc = set_engine_id(engine, length);
  m_securityLevel = other.get_security_level();
  m_authProtocol = other.get_auth_protocol();
  m_privProtocol = other.get_priv_protocol();
  return rc;
}

int32_t CTqsUserTarget::assign(const ITqsSnmpTarget *other) {
  if (!other || other->kind() != kTqsUserKind) return QMR_E_INVALID_ARG;
  if (other == this) return QMR_OK;
  const ITqsUserSecurity *that = tqs_user_security_of(const_cast<ITqsSnmpTarget *>(other));
  if (!that) return QMR_E_INVALID_ARG;
  const int32_t rc = copy_security(*that);
  return rc == QMR_OK ? assign_base(*other) : rc;
}

bool CTqsUserTarget::equals(const ITqsSnmpTarget *other) const {
  if (!other || other->kind() != kTqsUserKind || !base_equals(*other)) return false;
  const ITqsUserSecurity *that = tqs_user_security_of(const_cast<ITqsSnmpTarget *>(other));
  if (!that) return false;
  uint32_t length = 0;
  const uint8_t *engine = that->get_engine_id(&length);
  return m_userName == that->get_user_name() && m_securityLevel == that->get_security_level() &&
         m_authProtocol == that->get_auth_protocol() && m_privProtocol == that->get_priv_protocol() &&
         m_authPassPhrase == that->get_auth_pass_phrase() && m_privPassPhrase == that->get_priv_pass_phrase() &&
         m_contextName == that->get_context_name() && length == m_engineId.size() &&
         (length == 0 || std::memcmp(engine, m_engineId.data(), length) == 0);
}

int32_t CTqsUserTarget::kind() const { return kTqsUserKind; }

int32_t CTqsUserTarget::query(uint32_t id, void **out) {
  if (!out) return QMR_E_INVALID_ARG;
  *out = nullptr;
  if (id != kTqsUserSecurityId) return QMR_E_NO_INTERFACE;
  *out = static_cast<ITqsUserSecurity *>(this);
  return QMR_OK;
}

const char *CTqsUserTarget::get_user_name() const { return m_userName.c_str(); }
int32_t CTqsUserTarget::get_security_level() const { return m_securityLevel; }
int32_t CTqsUserTarget::get_auth_protocol() const { return m_authProtocol; }
int32_t CTqsUserTarget::get_priv_protocol() const { return m_privProtocol; }
const char *CTqsUserTarget::get_auth_pass_phrase() const { return m_authPassPhrase.c_str(); }
const char *CTqsUserTarget::get_priv_pass_phrase() const { return m_privPassPhrase.c_str(); }
const char *CTqsUserTarget::get_context_name() const { return m_contextName.c_str(); }

const uint8_t *CTqsUserTarget::get_engine_id(uint32_t *length) const {
  if (length) *length = static_cast<uint32_t>(m_engineId.size());
  return m_engineId.empty() ? nullptr : m_engineId.data();
}

int32_t CTqsUserTarget::set_user_name(const char *name) {
  if (name && std::strlen(name) > kTqsMaxUserNameLength) {
    m_userName.clear();
    return QMR_E_INVALID_ARG;
  }
  return copy_text(m_userName, name);
}
int32_t CTqsUserTarget::set_security_level(int32_t level) {
  m_securityLevel = level;
  return QMR_OK;
}
int32_t CTqsUserTarget::set_auth_protocol(int32_t protocol) {
  m_authProtocol = protocol;
  return QMR_OK;
}
int32_t CTqsUserTarget::set_priv_protocol(int32_t protocol) {
  m_privProtocol = protocol;
  return QMR_OK;
}
int32_t CTqsUserTarget::set_auth_pass_phrase(const char *pass_phrase) {
  return copy_text(m_authPassPhrase, pass_phrase);
}
int32_t CTqsUserTarget::set_priv_pass_phrase(const char *pass_phrase) {
  return copy_text(m_privPassPhrase, pass_phrase);
}
int32_t CTqsUserTarget::set_context_name(const char *context) { return copy_text(m_contextName, context); }

int32_t CTqsUserTarget::set_engine_id(const uint8_t *bytes, uint32_t length) {
  if (!bytes) length = 0;
  try {
    m_engineId.assign(bytes, bytes + length);
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}
