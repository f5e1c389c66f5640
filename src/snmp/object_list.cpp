#include "snmp/object_list.h"

#include "snmp/pdu.h"
#include "snmp/snmp_packet.h"

ITqsSnmpPacketList *tqs_create_packet_list(int32_t *result) { return CTqsObjectList<ITqsSnmpPacket>::create(result); }

ITqsPduList *tqs_create_pdu_list(int32_t *result) { return CTqsObjectList<ITqsPdu>::create(result); }
