// The entry points and records of the two system sources of the local
// tables: the IP helper's table functions and the host's SNMP extension
// agent. Only the fields named here are read.
#ifndef QMR_SESSION_LOCAL_LOCAL_SYSTEM_TYPES_H
#define QMR_SESSION_LOCAL_LOCAL_SYSTEM_TYPES_H

#include <cstddef>
#include <cstdint>

// IP helper tables -----------------------------------------------------

constexpr uint32_t kTqcLocalErrorSuccess = 0;
constexpr uint32_t kTqcLocalErrorInsufficientBuffer = 122;
constexpr uint32_t kTqcMaxInterfaceDescription = 256;

// Addresses are as they lie in a socket address (network byte order).
struct TqcIpForwardRow {
  uint32_t destination;
  uint32_t mask;
  uint32_t next_hop;
  uint32_t if_index;
  uint32_t type;  // 3 direct, 4 indirect
};

struct TqcIpForwardTable {
  uint32_t count;
  TqcIpForwardRow rows[1];
};

struct TqcIfRow {
  uint32_t index;
  uint32_t type;
  uint32_t description_length;
  uint8_t description[kTqcMaxInterfaceDescription];
};

struct TqcIfTable {
  uint32_t count;
  TqcIfRow rows[1];
};

struct TqcIpAddrRow {
  uint32_t address;
  uint32_t index;
  uint32_t mask;
  uint32_t broadcast;
};

struct TqcIpAddrTable {
  uint32_t count;
  TqcIpAddrRow rows[1];
};

// The row storage a table of `count` rows needs.
template <typename Table>
constexpr size_t tqc_table_size(uint32_t count) {
  return offsetof(Table, rows) + sizeof(Table::rows[0]) * (count == 0 ? 1 : count);
}

using TqcGetIpForwardTableFn = uint32_t (*)(TqcIpForwardTable *table, uint32_t *size, int32_t sorted);
using TqcGetNumberOfInterfacesFn = uint32_t (*)(uint32_t *count);
using TqcGetIfTableFn = uint32_t (*)(TqcIfTable *table, uint32_t *size, int32_t sorted);
using TqcGetIpAddrTableFn = uint32_t (*)(TqcIpAddrTable *table, uint32_t *size, int32_t sorted);

// SNMP extension agent ---------------------------------------------------

constexpr uint8_t kTqcAsnInteger = 0x02;
constexpr uint8_t kTqcAsnOctetString = 0x04;
constexpr uint8_t kTqcAsnNull = 0x05;
constexpr uint8_t kTqcAsnIpAddress = 0x40;
constexpr uint8_t kTqcAsnGauge = 0x42;
constexpr uint8_t kTqcPduGetNext = 0xA1;
constexpr int32_t kTqcSnmpErrorNoSuchName = 2;

// The Windows agent's structures are packed to four bytes.
#if defined(_WIN32)
#pragma pack(push, 4)
#endif

struct TqcAsnOid {
  uint32_t length;
  uint32_t *ids;  // from tqc_global_alloc
};

struct TqcAsnOctets {
  uint8_t *stream;  // from tqc_global_alloc when dynamic
  uint32_t length;
  int32_t dynamic;
};

struct TqcAsnAny {
  uint8_t type;
  union {
    int32_t number;
    uint32_t unsigned_number;
    TqcAsnOctets string;
  } value;
};

struct TqcSnmpVarBind {
  TqcAsnOid name;
  TqcAsnAny value;
};

struct TqcSnmpVarBindList {
  TqcSnmpVarBind *list;  // from tqc_global_alloc
  uint32_t length;
};

#if defined(_WIN32)
#pragma pack(pop)
#endif

using TqcSnmpExtensionInitFn = int32_t (*)(uint32_t tick, void **trap_event, TqcAsnOid *view);
using TqcSnmpExtensionInitExFn = int32_t (*)(TqcAsnOid *view);
// TRUE (non-zero) when the request was handled; `error_status` tells how.
using TqcSnmpExtensionQueryFn = int32_t (*)(uint8_t request, TqcSnmpVarBindList *bindings, int32_t *error_status,
                                            int32_t *error_index);
using TqcSnmpExtensionTrapFn = int32_t (*)(TqcAsnOid *enterprise, int32_t *generic, int32_t *specific,
                                           uint32_t *time_stamp, TqcSnmpVarBindList *bindings);

// Zero-filled memory shared with the extension agent (the system's global
// heap); null when exhausted.
void *tqc_global_alloc(size_t size);
void tqc_global_free(void *memory);
// Milliseconds since an arbitrary start, for the agent's start-up.
uint32_t tqc_tick_count();
// Makes the platform's sources loadable by their system names.
void tqc_register_local_sources();

#endif  // QMR_SESSION_LOCAL_LOCAL_SYSTEM_TYPES_H
