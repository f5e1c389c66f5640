// BER tags of SNMP v1/v2c messages and their values.
#ifndef QMR_SNMP_BER_TAGS_H
#define QMR_SNMP_BER_TAGS_H

#include <cstdint>

constexpr uint8_t kBerTagInteger = 0x02;
constexpr uint8_t kBerTagOctetString = 0x04;
constexpr uint8_t kBerTagNull = 0x05;
constexpr uint8_t kBerTagOid = 0x06;
constexpr uint8_t kBerTagSequence = 0x30;
constexpr uint8_t kBerTagIpAddress = 0x40;
constexpr uint8_t kBerTagCounter32 = 0x41;
constexpr uint8_t kBerTagGauge32 = 0x42;
constexpr uint8_t kBerTagTimeTicks = 0x43;
constexpr uint8_t kBerTagOpaque = 0x44;
constexpr uint8_t kBerTagCounter64 = 0x46;
constexpr uint8_t kBerTagIpv6Address = 0x48;
constexpr uint8_t kBerTagNoSuchObject = 0x80;
constexpr uint8_t kBerTagNoSuchInstance = 0x81;
constexpr uint8_t kBerTagEndOfMibView = 0x82;

// PDUs are context-constructed: 0xA0 + PDU type.
constexpr uint8_t kBerTagPduBase = 0xA0;
constexpr uint8_t kBerTagV1Trap = 0xA4;
constexpr uint8_t kBerTagV2Trap = 0xA7;

// The long length form announces its octet count in the low 7 bits; 0x80
// alone is the indefinite form, which SNMP forbids (X.690 8.1.3.6, RFC 3417 8).
constexpr uint8_t kBerLengthLongForm = 0x80;
// Sub-identifier octets: 7 value bits, top bit set while more follow (X.690 8.19.2).
constexpr uint8_t kBerSubIdMore = 0x80;

#endif  // QMR_SNMP_BER_TAGS_H
