#include "session/session_dispatcher.h"

#include <new>

#include "log/log.h"
#include "qmr.h"
#include "session/request_session.h"
#include "session/v3/v3_session_factory.h"
#include "snmp/pdu.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"

SessionDispatcher *tqc_create_session_dispatcher(int32_t *result) {
  SessionDispatcher *dispatcher = new (std::nothrow) SessionDispatcher();
  if (result != nullptr) *result = dispatcher ? QMR_OK : QMR_E_NO_MEMORY;
  return dispatcher;
}

SessionDispatcher::~SessionDispatcher() {
  if (ITqsSnmpSession *v3 = m_pV3Session.exchange(nullptr)) v3->release();
  if (ITqsSnmpSession *request = m_pRequestSession.exchange(nullptr)) request->release();
}

void SessionDispatcher::release() { delete this; }

ITqsSnmpSession *SessionDispatcher::lazy_session(std::atomic<ITqsSnmpSession *> &slot, bool v3, int32_t *result) {
  ITqsSnmpSession *session = slot.load(std::memory_order_acquire);
  if (session == nullptr) {
    std::lock_guard<std::mutex> guard(m_lock);
    session = slot.load(std::memory_order_relaxed);
    if (session == nullptr) {
      int32_t rc = QMR_OK;
      session = v3 ? tqc_create_v3_request_session(&rc) : tqc_create_request_session(&rc);
      if (session == nullptr) {
        *result = rc != QMR_OK ? rc : QMR_E_NO_MEMORY;
        return nullptr;
      }
      slot.store(session, std::memory_order_release);
    }
  }
  *result = QMR_OK;
  return session;
}

ITqsSnmpSession *SessionDispatcher::session_for(const ITqsSnmpTarget *target, int32_t *result) {
  if (target == nullptr) {
    *result = QMR_E_INVALID_ARG;
    return nullptr;
  }
  const int32_t kind = target->kind();
  const int32_t version = target->get_version();
  if (kind == kTqsCommunityKind && (version == kTqsSnmpV1 || version == kTqsSnmpV2c))
    return lazy_session(m_pRequestSession, false, result);
  if (kind == kTqsUserKind && version == kTqsSnmpV3) return lazy_session(m_pV3Session, true, result);
  *result = QMR_E_INVALID_ARG;
  return nullptr;
}

int32_t SessionDispatcher::send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  if (pdu == nullptr || target == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  ITqsSnmpSession *session = session_for(target, &rc);
  return session ? session->send_sync(pdu, target) : rc;
}

int32_t SessionDispatcher::send_sync(ITqsSnmpPacket *packet) {
  if (packet == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  ITqsSnmpSession *session = session_for(packet->get_target(), &rc);
  return session ? session->send_sync(packet) : rc;
}

int32_t SessionDispatcher::send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) {
  if (packet == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  ITqsSnmpSession *session = session_for(packet->get_target(), &rc);
  return session ? session->send_broad_cast_sync(packet, list) : rc;
}

int32_t SessionDispatcher::send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) {
  static const char kName[] = "SessionDispatcher::send_broad_cast_sync";
  snmp_log().write(kLogTrace, "[%s] enter.", kName);
  int32_t rc = QMR_E_INVALID_ARG;
  if (pdu != nullptr && target != nullptr && list != nullptr) {
    ITqsSnmpSession *session = session_for(target, &rc);
    if (session != nullptr) rc = session->send_broad_cast_sync(pdu, target, list);
  }
  snmp_log().write(kLogTrace, "[%s] exit.", kName);
  return rc;
}

int32_t SessionDispatcher::reserved() { return QMR_E_NOT_SUPPORTED; }
