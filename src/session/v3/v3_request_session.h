// The SNMPv3 session: user-based targets of version 2 through net-snmp.
#ifndef QMR_SESSION_V3_V3_REQUEST_SESSION_H
#define QMR_SESSION_V3_V3_REQUEST_SESSION_H

#include <cstdint>
#include <vector>

#include "net/owned.h"
#include "snmp/snmp_session.h"

// Holds no state: every operation starts the library, opens its own library
// session and closes both before it returns, so distinct threads may use
// distinct sessions (or one) at the same time.
//
// Results beside those of the request session: -2 null argument, a target
// that is not user-based of version 2, an unknown security level or
// protocol code, a peer the library refuses; -203 no answer; -204 no
// response or unknown engine ID; -205 send failure; -214 security failure
// (unknown user, wrong digest, unsupported level, decryption error); -250
// unacceptable message; -10 a value type unknown to the system; -200 other
// library errors.
class v3RequestSession final : public ITqsSnmpSession {
 public:
  void release() override;
  int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) override;
  int32_t send_sync(ITqsSnmpPacket *packet) override;
  int32_t send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) override;
  // Engine-ID discovery at the target's (broadcast) address, then one
  // authenticated request per engine found; engines answering -250, -214,
  // -204 or -203 are left out. An empty list is a success.
  int32_t send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) override;
  int32_t reserved() override;

  // One exchange; the library must be started.
  static int32_t send_sync_internal(ITqsPdu *pdu, ITqsSnmpTarget *target);
  // The engines that answer a probe to the target's address, one user-based
  // target per sender (address and engine ID), appended to `engines`.
  static int32_t get_engine_id_broad_cast(ITqsSnmpTarget *target, std::vector<TqcOwned<ITqsSnmpTarget>> *engines);

 private:
  friend ITqsSnmpSession *tqc_create_v3_request_session(int32_t *result);
  v3RequestSession() = default;
  ~v3RequestSession() override = default;
};

#endif  // QMR_SESSION_V3_V3_REQUEST_SESSION_H
