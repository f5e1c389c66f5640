// The packet forms of the session operations: the same exchange on the PDU
// and target a packet holds.
#ifndef QMR_SNMP_PACKET_EXCHANGE_H
#define QMR_SNMP_PACKET_EXCHANGE_H

#include <cstdint>

#include "qmr.h"
#include "snmp/snmp_packet.h"

// Takes PDU and target out of `packet`, runs `exchange(pdu, target)` and puts
// both back whatever its result (an absent member stays absent). -2 for a
// null packet; otherwise the exchange's result.
template <class Exchange>
int32_t tqs_exchange_packet(ITqsSnmpPacket *packet, Exchange exchange) {
  if (packet == nullptr) return QMR_E_INVALID_ARG;
  ITqsPdu *pdu = packet->take_pdu();
  ITqsSnmpTarget *target = packet->take_target();
  const int32_t rc = exchange(pdu, target);
  if (pdu != nullptr) packet->set_pdu(pdu);
  if (target != nullptr) packet->set_target(target);
  return rc;
}

#endif  // QMR_SNMP_PACKET_EXCHANGE_H
