// The local tables' platform services on Windows: the global heap for the
// buffers shared with the SNMP extension agent, the tick count, and the IP
// helper's table functions converted to the library's row layout.
#include <iphlpapi.h>
#include <snmp.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

#include "net/socket_types.h"
#include "net/win32/module_loader_win32.h"
#include "net/win32/system_list_win32.h"
#include "session/local/local_system_types.h"

// The extension agent's structures are used as the system lays them out.
static_assert(sizeof(TqcAsnOid) == sizeof(AsnObjectIdentifier) &&
                  offsetof(TqcAsnOid, ids) == offsetof(AsnObjectIdentifier, ids),
              "agent OID layout");
static_assert(sizeof(TqcAsnOctets) == sizeof(AsnOctetString) &&
                  offsetof(TqcAsnOctets, length) == offsetof(AsnOctetString, length) &&
                  offsetof(TqcAsnOctets, dynamic) == offsetof(AsnOctetString, dynamic),
              "agent octet string layout");
static_assert(sizeof(TqcAsnAny) == sizeof(AsnAny) && offsetof(TqcAsnAny, value) == offsetof(AsnAny, asnValue),
              "agent value layout");
static_assert(sizeof(TqcSnmpVarBind) == sizeof(SnmpVarBind) && offsetof(TqcSnmpVarBind, value) == offsetof(SnmpVarBind, value),
              "agent varbind layout");
static_assert(sizeof(TqcSnmpVarBindList) == sizeof(SnmpVarBindList) &&
                  offsetof(TqcSnmpVarBindList, length) == offsetof(SnmpVarBindList, len),
              "agent varbind list layout");
static_assert(kTqcAsnInteger == ASN_INTEGER && kTqcAsnOctetString == ASN_OCTETSTRING && kTqcAsnNull == ASN_NULL &&
                  kTqcAsnIpAddress == ASN_IPADDRESS && kTqcAsnGauge == ASN_GAUGE32 &&
                  kTqcPduGetNext == SNMP_PDU_GETNEXT,
              "agent type codes");
static_assert(kTqcLocalErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER, "table size answer");

void *tqc_global_alloc(size_t size) { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size == 0 ? 1 : size); }

void tqc_global_free(void *memory) {
  if (memory != nullptr) GlobalFree(memory);
}

uint32_t tqc_tick_count() { return GetTickCount(); }

namespace {

using SystemForwardFn = DWORD(WINAPI *)(PMIB_IPFORWARDTABLE, PULONG, BOOL);
using SystemIfFn = DWORD(WINAPI *)(PMIB_IFTABLE, PULONG, BOOL);
using SystemAddrFn = DWORD(WINAPI *)(PMIB_IPADDRTABLE, PULONG, BOOL);

std::atomic<SystemForwardFn> g_forward{nullptr};
std::atomic<SystemIfFn> g_interfaces{nullptr};
std::atomic<SystemAddrFn> g_addresses{nullptr};

// Converts the system's table into the library's with the two-call
// protocol: too small a buffer gets the size the converted table needs.
template <typename SystemTable, typename Table, typename SystemFn, typename Convert>
uint32_t translate_table(SystemFn system, Table *table, uint32_t *size, int32_t sorted, Convert convert) {
  if (size == nullptr || system == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<uint64_t> storage;
  const BOOL order = sorted != 0 ? TRUE : FALSE;
  DWORD rc = tqc_win32_fetch_list(
      [&](void *b, ULONG *s) { return system(static_cast<SystemTable *>(b), s, order); }, ERROR_INSUFFICIENT_BUFFER,
      storage);
  if (rc != NO_ERROR) return rc;
  const auto *source = reinterpret_cast<const SystemTable *>(storage.data());
  uint32_t count = source->dwNumEntries;
  size_t needed = tqc_table_size<Table>(count);
  if (table == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memset(table, 0, needed);
  table->count = count;
  for (uint32_t i = 0; i < count; ++i) convert(source->table[i], table->rows[i]);
  return NO_ERROR;
}

uint32_t WINAPI get_ip_forward_table(TqcIpForwardTable *table, uint32_t *size, int32_t sorted) {
  return translate_table<MIB_IPFORWARDTABLE>(g_forward.load(std::memory_order_acquire), table, size, sorted,
                                             [](const MIB_IPFORWARDROW &in, TqcIpForwardRow &out) {
                                               out.destination = in.dwForwardDest;
                                               out.mask = in.dwForwardMask;
                                               out.next_hop = in.dwForwardNextHop;
                                               out.if_index = in.dwForwardIfIndex;
                                               out.type = in.dwForwardType;
                                             });
}

uint32_t WINAPI get_if_table(TqcIfTable *table, uint32_t *size, int32_t sorted) {
  return translate_table<MIB_IFTABLE>(g_interfaces.load(std::memory_order_acquire), table, size, sorted,
                                      [](const MIB_IFROW &in, TqcIfRow &out) {
                                        out.index = in.dwIndex;
                                        out.type = in.dwType;
                                        out.description_length = in.dwDescrLen < kTqcMaxInterfaceDescription
                                                                     ? in.dwDescrLen
                                                                     : kTqcMaxInterfaceDescription;
                                        std::memcpy(out.description, in.bDescr, out.description_length);
                                      });
}

uint32_t WINAPI get_ip_addr_table(TqcIpAddrTable *table, uint32_t *size, int32_t sorted) {
  return translate_table<MIB_IPADDRTABLE>(g_addresses.load(std::memory_order_acquire), table, size, sorted,
                                          [](const MIB_IPADDRROW &in, TqcIpAddrRow &out) {
                                            out.address = in.dwAddr;
                                            out.index = in.dwIndex;
                                            out.mask = in.dwMask;
                                            out.broadcast = in.dwBCastAddr;
                                          });
}

void *table_translator(const char *name, void *system) {
  if (std::strcmp(name, "GetIpForwardTable") == 0) {
    g_forward.store(reinterpret_cast<SystemForwardFn>(system), std::memory_order_release);
    return reinterpret_cast<void *>(&get_ip_forward_table);
  }
  if (std::strcmp(name, "GetIfTable") == 0) {
    g_interfaces.store(reinterpret_cast<SystemIfFn>(system), std::memory_order_release);
    return reinterpret_cast<void *>(&get_if_table);
  }
  if (std::strcmp(name, "GetIpAddrTable") == 0) {
    g_addresses.store(reinterpret_cast<SystemAddrFn>(system), std::memory_order_release);
    return reinterpret_cast<void *>(&get_ip_addr_table);
  }
  return nullptr;
}

}  // namespace

// The extension agent and GetNumberOfInterfaces are used as they are.
void tqc_register_local_sources() { tqc_register_win32_translator(&table_translator); }
