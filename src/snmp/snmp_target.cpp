#include "snmp/snmp_target.h"

#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/value_base.h"
#include "snmp/value_visitor.h"

ITqsSnmpTarget *tqs_create_target_of_kind(int32_t kind, int32_t *result) {
  if (kind != kTqsCommunityKind) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  return tqs_create_community_target(result);
}

CTqsSnmpTargetBase::~CTqsSnmpTargetBase() { set_address(nullptr); }

int32_t CTqsSnmpTargetBase::accept(ITqsTargetVisitor *visitor) {
  return visitor ? visitor->visit_header(this) : QMR_E_INVALID_ARG;
}

int32_t CTqsSnmpTargetBase::reset() {
  m_version = kTqsVersionUnset;
  m_timeout = -1;
  m_retries = 0;
  m_maxMessageSize = 0;
  m_port = 0;
  return set_address(nullptr);
}

int32_t CTqsSnmpTargetBase::set_version(int32_t version) {
  m_version = version;
  return QMR_OK;
}
int32_t CTqsSnmpTargetBase::set_timeout(int32_t timeout_ms) {
  m_timeout = timeout_ms;
  return QMR_OK;
}
int32_t CTqsSnmpTargetBase::set_retries(int32_t retries) {
  m_retries = retries;
  return QMR_OK;
}
int32_t CTqsSnmpTargetBase::set_max_message_size(int64_t size) {
  m_maxMessageSize = size;
  return QMR_OK;
}
int32_t CTqsSnmpTargetBase::set_port(uint16_t port) {
  m_port = port;
  return QMR_OK;
}
int32_t CTqsSnmpTargetBase::get_version() const { return m_version; }
int32_t CTqsSnmpTargetBase::get_timeout() const { return m_timeout; }
int32_t CTqsSnmpTargetBase::get_retries() const { return m_retries; }
int64_t CTqsSnmpTargetBase::get_max_message_size() const { return m_maxMessageSize; }
uint16_t CTqsSnmpTargetBase::get_port() const { return m_port; }

int32_t CTqsSnmpTargetBase::set_address(const ITqcNetworkAddress *address) {
  ITqcNetworkAddress *copy = nullptr;
  if (address) {
    const int32_t rc = address->clone(&copy);
    if (!copy) return rc != QMR_OK ? rc : QMR_E_NO_MEMORY;
  }
  if (m_pAddress) m_pAddress->release();
  m_pAddress = copy;
  return QMR_OK;
}

ITqcNetworkAddress *CTqsSnmpTargetBase::get_address() const { return m_pAddress; }

int32_t CTqsSnmpTargetBase::assign_base(const ITqsSnmpTarget &other) {
  if (&other == this) return QMR_OK;
  const int32_t rc = set_address(other.get_address());
  if (rc != QMR_OK) return rc;
  m_version = other.get_version();
  m_timeout = other.get_timeout();
  m_retries = other.get_retries();
  m_maxMessageSize = other.get_max_message_size();
  m_port = other.get_port();
  return QMR_OK;
}

bool CTqsSnmpTargetBase::base_equals(const ITqsSnmpTarget &other) const {
  if (m_version != other.get_version() || m_timeout != other.get_timeout() || m_retries != other.get_retries() ||
      m_maxMessageSize != other.get_max_message_size() || m_port != other.get_port()) {
    return false;
  }
  const ITqcNetworkAddress *address = other.get_address();
  if (!m_pAddress || !address) return !m_pAddress && !address;
  return m_pAddress->is_equal(address);
}
