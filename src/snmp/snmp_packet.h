// A packet: one PDU and one target, the unit the codec encodes and decodes.
#ifndef QMR_SNMP_SNMP_PACKET_H
#define QMR_SNMP_SNMP_PACKET_H

#include <cstdint>

class ITqsPdu;
class ITqsSnmpTarget;

// Owns its PDU and target (either may be absent). Set operations take
// ownership and release what they replace (null clears); take operations
// hand the member out; getters lend.
class ITqsSnmpPacket {
 public:
  virtual void release() = 0;                                             // 0
  virtual ITqsSnmpPacket *clone(int32_t *result = nullptr) const = 0;    // 1
  // PDUs equal or both absent, targets equal or both absent.
  virtual bool equals(const ITqsSnmpPacket *other) const = 0;            // 2
  virtual int32_t set_target(ITqsSnmpTarget *target) = 0;                // 3
  virtual int32_t set_pdu(ITqsPdu *pdu) = 0;                             // 4
  virtual ITqsSnmpTarget *take_target() = 0;                             // 5
  virtual ITqsPdu *take_pdu() = 0;                                       // 6
  virtual ITqsSnmpTarget *get_target() const = 0;                        // 7
  virtual ITqsPdu *get_pdu() const = 0;                                  // 8

 protected:
  virtual ~ITqsSnmpPacket() = default;
};

// A new empty packet, or null with -3.
ITqsSnmpPacket *tqs_create_packet(int32_t *result = nullptr);

#endif  // QMR_SNMP_SNMP_PACKET_H
