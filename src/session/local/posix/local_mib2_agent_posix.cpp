// An in-process SNMP extension agent for the MIB-II interface, address and
// route tables, answering Get and GetNext from the kernel's tables. It
// stands where the host's extension agent library would be loaded.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "session/local/posix/local_kernel_tables_posix.h"

namespace {

constexpr uint8_t kPduGet = 0xA0;
constexpr int32_t kSnmpErrorGenErr = 5;

using TqcIds = std::vector<uint32_t>;

struct TqcMibEntry {
  TqcIds oid;
  uint8_t type;
  uint32_t number;     // INTEGER (as its bits) or an IpAddress in network order
  std::string octets;  // OCTET STRING
};

const TqcIds kIfNumber = {1, 3, 6, 1, 2, 1, 2, 1, 0};
const TqcIds kIfEntry = {1, 3, 6, 1, 2, 1, 2, 2, 1};
const TqcIds kIpAddrEntry = {1, 3, 6, 1, 2, 1, 4, 20, 1};
const TqcIds kIpRouteEntry = {1, 3, 6, 1, 2, 1, 4, 21, 1};

TqcIds column(const TqcIds &entry, uint32_t column_id, const TqcIds &index) {
  TqcIds oid = entry;
  oid.push_back(column_id);
  oid.insert(oid.end(), index.begin(), index.end());
  return oid;
}

TqcIds address_index(uint32_t network_order) {
  const auto *b = reinterpret_cast<const uint8_t *>(&network_order);
  return {b[0], b[1], b[2], b[3]};
}

void add(std::vector<TqcMibEntry> &view, TqcIds oid, uint8_t type, uint32_t number, std::string octets = {}) {
  view.push_back({std::move(oid), type, number, std::move(octets)});
}

// The whole view, sorted; read afresh for every query so that each walk
// step sees the kernel's current tables.
bool build_view(std::vector<TqcMibEntry> &view) {
  std::vector<TqcIfRow> interfaces;
  std::vector<TqcIpAddrRow> addresses;
  std::vector<TqcIpForwardRow> routes;
  if (!tqc_read_kernel_interfaces(interfaces) || !tqc_read_kernel_addresses(addresses) ||
      !tqc_read_kernel_routes(routes)) {
    return false;
  }
  add(view, kIfNumber, kTqcAsnInteger, static_cast<uint32_t>(interfaces.size()));
  for (const TqcIfRow &r : interfaces) {
    TqcIds index = {r.index};
    add(view, column(kIfEntry, 1, index), kTqcAsnInteger, r.index);
    add(view, column(kIfEntry, 2, index), kTqcAsnOctetString, 0,
        std::string(reinterpret_cast<const char *>(r.description), r.description_length));
    add(view, column(kIfEntry, 3, index), kTqcAsnInteger, r.type);
  }
  for (const TqcIpAddrRow &r : addresses) {
    TqcIds index = address_index(r.address);
    add(view, column(kIpAddrEntry, 1, index), kTqcAsnIpAddress, r.address);
    add(view, column(kIpAddrEntry, 2, index), kTqcAsnInteger, r.index);
    add(view, column(kIpAddrEntry, 3, index), kTqcAsnIpAddress, r.mask);
    add(view, column(kIpAddrEntry, 4, index), kTqcAsnInteger, r.broadcast);
  }
  std::vector<uint32_t> seen;
  for (const TqcIpForwardRow &r : routes) {
    // The MIB-II route table is indexed by destination alone.
    if (std::find(seen.begin(), seen.end(), r.destination) != seen.end()) continue;
    seen.push_back(r.destination);
    TqcIds index = address_index(r.destination);
    add(view, column(kIpRouteEntry, 1, index), kTqcAsnIpAddress, r.destination);
    add(view, column(kIpRouteEntry, 2, index), kTqcAsnInteger, r.if_index);
    add(view, column(kIpRouteEntry, 7, index), kTqcAsnIpAddress, r.next_hop);
    add(view, column(kIpRouteEntry, 8, index), kTqcAsnInteger, r.type);
    add(view, column(kIpRouteEntry, 11, index), kTqcAsnIpAddress, r.mask);
  }
  std::sort(view.begin(), view.end(), [](const TqcMibEntry &a, const TqcMibEntry &b) { return a.oid < b.oid; });
  return true;
}

void free_value(TqcAsnAny &value) {
  if ((value.type == kTqcAsnOctetString || value.type == kTqcAsnIpAddress) && value.value.string.dynamic != 0) {
    tqc_global_free(value.value.string.stream);
  }
  std::memset(&value, 0, sizeof value);
}

// Replaces name and value of `bind` by the entry's; false when memory is
// exhausted (the bind then keeps its request).
bool answer(const TqcMibEntry &entry, TqcSnmpVarBind &bind) {
  auto *ids = static_cast<uint32_t *>(tqc_global_alloc(entry.oid.size() * sizeof(uint32_t)));
  if (ids == nullptr) return false;
  TqcAsnAny value{};
  value.type = entry.type;
  if (entry.type == kTqcAsnOctetString || entry.type == kTqcAsnIpAddress) {
    const void *bytes = entry.type == kTqcAsnIpAddress ? static_cast<const void *>(&entry.number)
                                                       : static_cast<const void *>(entry.octets.data());
    uint32_t length = entry.type == kTqcAsnIpAddress ? 4 : static_cast<uint32_t>(entry.octets.size());
    value.value.string.stream = static_cast<uint8_t *>(tqc_global_alloc(length));
    if (value.value.string.stream == nullptr) {
      tqc_global_free(ids);
      return false;
    }
    std::memcpy(value.value.string.stream, bytes, length);
    value.value.string.length = length;
    value.value.string.dynamic = 1;
  } else {
    value.value.unsigned_number = entry.number;
  }
  std::memcpy(ids, entry.oid.data(), entry.oid.size() * sizeof(uint32_t));
  tqc_global_free(bind.name.ids);
  bind.name.ids = ids;
  bind.name.length = static_cast<uint32_t>(entry.oid.size());
  free_value(bind.value);
  bind.value = value;
  return true;
}

int32_t extension_init(uint32_t /*tick*/, void **trap_event, TqcAsnOid *view) {
  if (trap_event != nullptr) *trap_event = nullptr;
  if (view != nullptr) *view = {0, nullptr};
  return 1;
}

int32_t extension_init_ex(TqcAsnOid * /*view*/) { return 0; }  // no further views

int32_t extension_trap(TqcAsnOid *, int32_t *, int32_t *, uint32_t *, TqcSnmpVarBindList *) { return 0; }

int32_t extension_query(uint8_t request, TqcSnmpVarBindList *bindings, int32_t *error_status, int32_t *error_index) {
  if (bindings == nullptr || error_status == nullptr || error_index == nullptr) return 0;
  *error_status = 0;
  *error_index = 0;
  if (request != kTqcPduGetNext && request != kPduGet) {
    *error_status = kSnmpErrorGenErr;
    return 1;
  }
  std::vector<TqcMibEntry> view;
  try {
    if (!build_view(view)) return 0;
  } catch (const std::bad_alloc &) {
    return 0;
  }
  for (uint32_t i = 0; i < bindings->length; ++i) {
    TqcSnmpVarBind &bind = bindings->list[i];
    TqcIds name(bind.name.ids, bind.name.ids + bind.name.length);
    auto found = std::upper_bound(view.begin(), view.end(), name,
                                  [](const TqcIds &n, const TqcMibEntry &e) { return n < e.oid; });
    if (request == kPduGet) {
      found = std::lower_bound(view.begin(), view.end(), name,
                               [](const TqcMibEntry &e, const TqcIds &n) { return e.oid < n; });
      if (found != view.end() && found->oid != name) found = view.end();
    }
    if (found == view.end()) {
      // Past the end of the view: reported, the binding left as asked.
      *error_status = kTqcSnmpErrorNoSuchName;
      *error_index = static_cast<int32_t>(i + 1);
      return 1;
    }
    if (!answer(*found, bind)) {
      *error_status = kSnmpErrorGenErr;
      *error_index = static_cast<int32_t>(i + 1);
      return 1;
    }
  }
  return 1;
}

}  // namespace

void *tqc_posix_mib2_agent_symbol(const char *name) {
  if (name == nullptr) return nullptr;
  if (std::strcmp(name, "SnmpExtensionInit") == 0) return reinterpret_cast<void *>(&extension_init);
  if (std::strcmp(name, "SnmpExtensionInitEx") == 0) return reinterpret_cast<void *>(&extension_init_ex);
  if (std::strcmp(name, "SnmpExtensionQuery") == 0) return reinterpret_cast<void *>(&extension_query);
  if (std::strcmp(name, "SnmpExtensionTrap") == 0) return reinterpret_cast<void *>(&extension_trap);
  return nullptr;
}
