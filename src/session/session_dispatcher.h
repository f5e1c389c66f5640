// The session dispatcher: the one entry through which the façades run SNMP
// exchanges. It picks the session by the target's kind and version and
// creates each session on first need, keeping it until it is released.
#ifndef QMR_SESSION_SESSION_DISPATCHER_H
#define QMR_SESSION_SESSION_DISPATCHER_H

#include <atomic>
#include <cstdint>
#include <mutex>

#include "snmp/snmp_session.h"

// Community targets of version 0 or 1 go to the request session, user-based
// targets of version 2 to the SNMPv3 session; any other pair answers -2
// before anything is sent. Every operation returns the chosen session's
// result unchanged, or -2 for null arguments, -3 when the session cannot be
// made. Sessions are created under a lock (tested before and after taking
// it), so concurrent first calls obtain one instance; the exchanges
// themselves are not serialised here.
class SessionDispatcher final : public ITqsSnmpSession {
 public:
  void release() override;
  int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) override;
  int32_t send_sync(ITqsSnmpPacket *packet) override;
  int32_t send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) override;
  int32_t send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) override;
  int32_t reserved() override;

  // Whether each session has been made yet (for checks of the lazy creation).
  bool has_request_session() const { return m_pRequestSession.load() != nullptr; }
  bool has_v3_session() const { return m_pV3Session.load() != nullptr; }

  SessionDispatcher(const SessionDispatcher &) = delete;
  SessionDispatcher &operator=(const SessionDispatcher &) = delete;

 private:
  friend SessionDispatcher *tqc_create_session_dispatcher(int32_t *result);
  SessionDispatcher() = default;
  ~SessionDispatcher() override;

  // The session serving `target`; 0, -2 or -3 through `result`.
  ITqsSnmpSession *session_for(const ITqsSnmpTarget *target, int32_t *result);
  ITqsSnmpSession *lazy_session(std::atomic<ITqsSnmpSession *> &slot, bool v3, int32_t *result);

  std::atomic<ITqsSnmpSession *> m_pRequestSession{nullptr};
  std::atomic<ITqsSnmpSession *> m_pV3Session{nullptr};
  std::mutex m_lock;
};

// A new dispatcher holding no session, or null with -3 through `result`
// (optional). Release it with release().
SessionDispatcher *tqc_create_session_dispatcher(int32_t *result = nullptr);

#endif  // QMR_SESSION_SESSION_DISPATCHER_H
