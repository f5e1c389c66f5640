// Type codes and other numbering shared by the SNMP values, messages and codec.
#ifndef QMR_SNMP_SNMP_TYPES_H
#define QMR_SNMP_SNMP_TYPES_H

#include <cstdint>

// Value type codes. For the SNMP types the code is the ASN.1 tag the codec
// writes; 0x48, 0xFF02 and 0xFF03 are the library's own.
enum ETqsValueType : uint32_t {
  kTqsInteger = 0x02,
  kTqsOctetString = 0x04,
  kTqsNull = 0x05,
  kTqsObjectId = 0x06,
  kTqsIpAddress = 0x40,
  kTqsCounter32 = 0x41,
  kTqsGauge32 = 0x42,
  kTqsTimeTicks = 0x43,
  kTqsOpaque = 0x44,
  kTqsCounter64 = 0x46,
  kTqsIpv6Address = 0x48,
  kTqsNoSuchObject = 0x80,
  kTqsNoSuchInstance = 0x81,
  kTqsEndOfMibView = 0x82,
  kTqsUdpAddress = 0xFF02,
  kTqsIpxAddress = 0xFF03,
};

// Fixed sizes of the address value types, in bytes.
constexpr uint32_t kTqsIpAddressSize = 4;
constexpr uint32_t kTqsIpv6AddressSize = 16;
constexpr uint32_t kTqsUdpAddressSize = 6;
constexpr uint32_t kTqsIpxAddressSize = 12;

// Interface identifiers answered by a value's query(): the class's own
// interface is kTqsValueInterfaceBase + type code; the common value part
// answers either of the two "common" ids; an OID also answers plain 6.
constexpr uint32_t kTqsValueInterfaceBase = 0xF0000000u;
constexpr uint32_t kTqsCommonValueId = 0xFF00u;
constexpr uint32_t kTqsCommonValueIdLong = 0xF000FF00u;
constexpr uint32_t kTqsExceptionValueId = 0xF000FF01u;

// Relation of an OID to another one, as the compare operations answer it.
// The order is the character order of the dotted texts.
enum ETqsOidRelation : int32_t {
  kTqsOidEqual = 0,
  kTqsOidOtherBelow = 1,  // the other lies in this one's subtree
  kTqsOidThisBelow = 2,   // this one lies in the other's subtree
  kTqsOidSortsFirst = 3,
  kTqsOidSortsAfter = 4,
};

// PDU types; the codec maps them to and from the tags 0xA0 + type.
enum ETqsPduType : int32_t {
  kTqsPduNone = -1,
  kTqsGetRequest = 0,
  kTqsGetNextRequest = 1,
  kTqsResponse = 2,
  kTqsSetRequest = 3,
  kTqsTrap = 4,
  kTqsGetBulkRequest = 5,
  kTqsInformRequest = 6,
  kTqsReport = 8,
};

// Status of a varbind after a response with an error was decoded into it,
// for every varbind but the one the error-index names.
constexpr int32_t kTqsStatusNotProcessed = 100;

// SNMP version codes of targets and façades.
enum ETqsSnmpVersion : int32_t {
  kTqsVersionUnset = -1,
  kTqsSnmpV1 = 0,
  kTqsSnmpV2c = 1,
  kTqsSnmpV3 = 2,
};

// Target kinds (also the decoder's translate type) and the query ids of the
// targets' own interfaces.
enum ETqsTargetKind : int32_t {
  kTqsCommunityKind = 0,
  kTqsUserKind = 1,
};
constexpr uint32_t kTqsCommunityTargetId = 3;
constexpr uint32_t kTqsUserSecurityId = 4;

// The trap OID prefix of the generic (version-1 generic-trap 0..5) traps.
#define TQS_GENERIC_TRAP_PREFIX "1.3.6.1.6.3.1.1.5"

#endif  // QMR_SNMP_SNMP_TYPES_H
