// The session interface: one synchronous SNMP exchange per call, unicast or
// broadcast. Offered by the request session (SNMP v1/v2c over the library's
// own codec), the SNMPv3 session and the session dispatcher in front of both.
// It lives in the SNMP layer, below both session libraries (session/ and
// session/v3/), so that each of them can offer it.
#ifndef QMR_SNMP_SNMP_SESSION_H
#define QMR_SNMP_SNMP_SESSION_H

#include <cstdint>

#include "snmp/object_list.h"

class ITqsPdu;
class ITqsSnmpTarget;
class ITqsSnmpPacket;

// The PDU and target stay the caller's. On success of a unicast exchange the
// PDU holds the response (type, error fields, varbinds in request order) and
// the target's address is the responder's. A broadcast hands a new packet
// list to the caller through `list` (owned by the caller, one packet per
// responder). Nothing is thrown; results are the codes of qmr.h.
class ITqsSnmpSession {
 public:
  // Releases what the session holds (its socket) and frees it.
  virtual void release() = 0;                                                        // 0
  virtual int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) = 0;              // 1
  // Slot 1 with the packet's PDU and target, which go back into the packet
  // afterwards; -2 for a null packet.
  virtual int32_t send_sync(ITqsSnmpPacket *packet) = 0;                            // 2
  virtual int32_t send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) = 0;  // 3
  virtual int32_t send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target,
                                       ITqsSnmpPacketList **list) = 0;              // 4
  // Reserved; every session answers -5.
  virtual int32_t reserved() = 0;                                                    // 5

 protected:
  virtual ~ITqsSnmpSession() = default;
};

#endif  // QMR_SNMP_SNMP_SESSION_H
