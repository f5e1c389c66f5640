#include "snmp/community_target.h"

#include <new>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/value_base.h"

CTqsCommunityTarget *tqs_create_community_target(int32_t *result) {
  CTqsCommunityTarget *target = new (std::nothrow) CTqsCommunityTarget();
  tqs_put_result(result, target ? QMR_OK : QMR_E_NO_MEMORY);
  return target;
}

ITqsCommunityTarget *tqs_community_of(ITqsSnmpTarget *target) {
  void *community = nullptr;
  if (!target || target->query(kTqsCommunityTargetId, &community) != QMR_OK) return nullptr;
  return static_cast<ITqsCommunityTarget *>(community);
}

void CTqsCommunityTarget::release() { delete this; }

int32_t CTqsCommunityTarget::reset() {
  set_community(nullptr);
  return CTqsSnmpTargetBase::reset();
}

ITqsSnmpTarget *CTqsCommunityTarget::clone(int32_t *result) const {
  TqcOwned<CTqsCommunityTarget> copy(tqs_create_community_target(result));
  if (!copy) return nullptr;
  const int32_t rc = copy->assign(this);
  tqs_put_result(result, rc);
  return rc == QMR_OK ? copy.release() : nullptr;
}

int32_t CTqsCommunityTarget::assign(const ITqsSnmpTarget *other) {
  if (!other || other->kind() != kTqsCommunityKind) return QMR_E_INVALID_ARG;
  if (other == this) return QMR_OK;
  const ITqsCommunityTarget *that = tqs_community_of(const_cast<ITqsSnmpTarget *>(other));
  if (!that) return QMR_E_INVALID_ARG;
  const int32_t rc = set_community(that->get_community());
  return rc == QMR_OK ? assign_base(*other) : rc;
}

bool CTqsCommunityTarget::equals(const ITqsSnmpTarget *other) const {
  if (!other || other->kind() != kTqsCommunityKind || !base_equals(*other)) return false;
  const ITqsCommunityTarget *that = tqs_community_of(const_cast<ITqsSnmpTarget *>(other));
  if (!that) return false;
  const char *community = that->get_community();
  if (!m_hasCommunity || !community) return !m_hasCommunity && !community;
  return m_community == community;
}

int32_t CTqsCommunityTarget::kind() const { return kTqsCommunityKind; }

int32_t CTqsCommunityTarget::query(uint32_t id, void **out) {
  if (!out) return QMR_E_INVALID_ARG;
  *out = nullptr;
  if (id != kTqsCommunityTargetId) return QMR_E_NO_INTERFACE;
  *out = static_cast<ITqsCommunityTarget *>(this);
  return QMR_OK;
}

int32_t CTqsCommunityTarget::set_community(const char *community) {
  if (!community) {
    m_hasCommunity = false;
    m_community.clear();
    return QMR_OK;
  }
  if (m_hasCommunity && community == m_community.c_str()) return QMR_OK;
  try {
    m_community = community;
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  m_hasCommunity = true;
  return QMR_OK;
}

const char *CTqsCommunityTarget::get_community() const { return m_hasCommunity ? m_community.c_str() : nullptr; }
