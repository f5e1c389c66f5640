// The local tables read from the host's SNMP extension agent, in process,
// by walking the MIB-II columns with GetNext as a remote manager would.
#include <cstring>
#include <new>

#include "qmr.h"
#include "session/local/local_system_types.h"
#include "session/local/local_table_backend.h"

namespace {

// MIB-II objects by table index; index 14 ends a request list.
enum EMib2Object {
  kIfNumber = 1,
  kIfIndex,
  kIfDescr,
  kIfType,
  kIpAdEntAddr,
  kIpAdEntIfIndex,
  kIpAdEntNetMask,
  kIpAdEntBcastAddr,
  kIpRouteDest,
  kIpRouteIfIndex,
  kIpRouteNextHop,
  kIpRouteType,
  kIpRouteMask,
  kMib2End,
};

const char *const kMib2Oids[] = {
    nullptr,
    "1.3.6.1.2.1.2.1",
    "1.3.6.1.2.1.2.2.1.1",
    "1.3.6.1.2.1.2.2.1.2",
    "1.3.6.1.2.1.2.2.1.3",
    "1.3.6.1.2.1.4.20.1.1",
    "1.3.6.1.2.1.4.20.1.2",
    "1.3.6.1.2.1.4.20.1.3",
    "1.3.6.1.2.1.4.20.1.4",
    "1.3.6.1.2.1.4.21.1.1",
    "1.3.6.1.2.1.4.21.1.2",
    "1.3.6.1.2.1.4.21.1.7",
    "1.3.6.1.2.1.4.21.1.8",
    "1.3.6.1.2.1.4.21.1.11",
};

constexpr uint32_t kMaxSubIds = 16;
// A walk reads one row per query; a host table never comes near this.
constexpr uint32_t kMaxWalkRows = 1u << 20;

// Dotted text into a new agent OID; false when memory is exhausted.
bool make_oid(const char *text, TqcAsnOid *oid) {
  uint32_t ids[kMaxSubIds];
  uint32_t count = 0;
  for (const char *p = text; *p != '\0' && count < kMaxSubIds; ++count) {
    uint32_t v = 0;
    while (*p >= '0' && *p <= '9') v = v * 10 + static_cast<uint32_t>(*p++ - '0');
    ids[count] = v;
    if (*p == '.') ++p;
  }
  oid->ids = static_cast<uint32_t *>(tqc_global_alloc(count * sizeof(uint32_t)));
  if (oid->ids == nullptr) return false;
  std::memcpy(oid->ids, ids, count * sizeof(uint32_t));
  oid->length = count;
  return true;
}

bool begins_with(const TqcAsnOid &oid, const TqcAsnOid &prefix) {
  uint32_t n = oid.length < prefix.length ? oid.length : prefix.length;
  return std::memcmp(oid.ids, prefix.ids, n * sizeof(uint32_t)) == 0;
}

// -1, 0, 1 as `a` sorts before, equal to or after `b`.
int compare(const TqcAsnOid &a, const TqcAsnOid &b) {
  uint32_t n = a.length < b.length ? a.length : b.length;
  for (uint32_t i = 0; i < n; ++i) {
    if (a.ids[i] != b.ids[i]) return a.ids[i] < b.ids[i] ? -1 : 1;
  }
  return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
}

void free_value(TqcAsnAny &value) {
  if (value.type == kTqcAsnOctetString || value.type == kTqcAsnIpAddress) {
    if (value.value.string.dynamic != 0) tqc_global_free(value.value.string.stream);
  }
  std::memset(&value, 0, sizeof value);
}

// The request list of a walk, freed with the object.
class CTqcAgentRequest {
 public:
  ~CTqcAgentRequest() {
    if (m_list.list == nullptr) return;
    for (uint32_t i = 0; i < m_list.length; ++i) {
      tqc_global_free(m_list.list[i].name.ids);
      free_value(m_list.list[i].value);
    }
    tqc_global_free(m_list.list);
  }

  bool build(const EMib2Object *columns) {
    uint32_t count = 0;
    while (columns[count] != kMib2End) ++count;
    m_list.list = static_cast<TqcSnmpVarBind *>(tqc_global_alloc(count * sizeof(TqcSnmpVarBind)));
    if (m_list.list == nullptr) return false;
    for (uint32_t i = 0; i < count; ++i) {
      if (!make_oid(kMib2Oids[columns[i]], &m_list.list[i].name)) return false;
      m_list.list[i].value.type = kTqcAsnNull;
      m_list.length = i + 1;
    }
    return true;
  }

  TqcSnmpVarBindList *list() { return &m_list; }
  const TqcSnmpVarBind &at(uint32_t i) const { return m_list.list[i]; }

 private:
  TqcSnmpVarBindList m_list{nullptr, 0};
};

uint32_t number_of(const TqcAsnAny &value) {
  if (value.type == kTqcAsnIpAddress && value.value.string.length == 4 && value.value.string.stream != nullptr) {
    const uint8_t *b = value.value.string.stream;
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | b[3];
  }
  return value.value.unsigned_number;
}

class CTqcMib2Backend final : public ITqcLocalTableBackend {
 public:
  void release() override { delete this; }
  const char *library_name() const override { return "inetmib1.dll"; }

  int32_t initialise() override {
    static const char *const kNames[] = {"SnmpExtensionInit", "SnmpExtensionInitEx", "SnmpExtensionQuery",
                                         "SnmpExtensionTrap"};
    void **pointers[] = {reinterpret_cast<void **>(&m_init), reinterpret_cast<void **>(&m_init_ex),
                         reinterpret_cast<void **>(&m_query), reinterpret_cast<void **>(&m_trap)};
    int32_t rc = m_module.load(library_name(), kNames, pointers, 4);
    if (rc != QMR_OK) return rc;
    void *trap_event = nullptr;
    TqcAsnOid view{0, nullptr};
    return m_init(tqc_tick_count(), &trap_event, &view) != 0 ? QMR_OK : QMR_E_SYSTEM_LIBRARY;
  }

  CTqcLocalRouteList *route_table(int32_t *result) override {
    static const EMib2Object kColumns[] = {kIpRouteDest, kIpRouteIfIndex, kIpRouteNextHop, kIpRouteType,
                                           kIpRouteMask, kMib2End};
    return walk<CTqcLocalRouteList>(kColumns, result, [](const CTqcAgentRequest &r, CTqcLocalRouteList *list) {
      return list->append({number_of(r.at(0).value), number_of(r.at(4).value), number_of(r.at(2).value),
                           r.at(3).value.value.number, r.at(1).value.value.number});
    });
  }

  int32_t interface_count(int32_t *result) override {
    static const EMib2Object kColumns[] = {kIfNumber, kMib2End};
    CTqcAgentRequest request;
    int32_t status = 0;
    int32_t index = 0;
    int32_t rc = QMR_OK;
    if (!request.build(kColumns)) {
      rc = QMR_E_NO_MEMORY;
    } else if (m_query(kTqcPduGetNext, request.list(), &status, &index) == 0 || status != 0) {
      rc = QMR_E_SYSTEM_LIBRARY;
    }
    if (result != nullptr) *result = rc;
    return rc == QMR_OK ? request.at(0).value.value.number : 0;
  }

  CTqcLocalInterfaceList *interface_table(int32_t *result) override {
    static const EMib2Object kColumns[] = {kIfIndex, kIfDescr, kIfType, kMib2End};
    return walk<CTqcLocalInterfaceList>(
        kColumns, result, [](const CTqcAgentRequest &r, CTqcLocalInterfaceList *list) {
          TqcLocalInterfaceRecord record{};
          const TqcAsnOctets &text = r.at(1).value.value.string;
          try {
            if (r.at(1).value.type == kTqcAsnOctetString && text.stream != nullptr) {
              record.description.assign(reinterpret_cast<const char *>(text.stream), text.length);
            }
          } catch (const std::bad_alloc &) {
            return false;
          }
          record.if_index = r.at(0).value.value.number;
          record.if_type = r.at(2).value.value.number;
          return list->append(std::move(record));
        });
  }

  CTqcLocalAddressList *address_table(int32_t *result) override {
    static const EMib2Object kColumns[] = {kIpAdEntAddr, kIpAdEntIfIndex, kIpAdEntNetMask, kIpAdEntBcastAddr,
                                           kMib2End};
    return walk<CTqcLocalAddressList>(kColumns, result, [](const CTqcAgentRequest &r, CTqcLocalAddressList *list) {
      return list->append({r.at(1).value.value.number, number_of(r.at(2).value), r.at(3).value.value.number,
                           number_of(r.at(0).value)});
    });
  }

 private:
  ~CTqcMib2Backend() override = default;

  // One GetNext per row until the first column is left. The walk also ends
  // when the agent reports an error (past the end of its view) and fails
  // when an answer does not move forward, which would otherwise loop.
  template <typename List, typename AddRow>
  List *walk(const EMib2Object *columns, int32_t *result, AddRow add_row) {
    int32_t rc = QMR_OK;
    List *list = List::create(&rc);
    CTqcAgentRequest request;
    TqcAsnOid first_column{0, nullptr};
    if (list != nullptr && (!request.build(columns) || !make_oid(kMib2Oids[columns[0]], &first_column))) {
      rc = QMR_E_NO_MEMORY;
    }
    TqcAsnOid previous{0, nullptr};
    uint32_t previous_ids[kMaxSubIds * 2] = {};
    for (uint32_t rows = 0; rc == QMR_OK && list != nullptr; ++rows) {
      int32_t status = 0;
      int32_t index = 0;
      if (rows == kMaxWalkRows || m_query(kTqcPduGetNext, request.list(), &status, &index) == 0) {
        rc = QMR_E_SYSTEM_LIBRARY;
        break;
      }
      const TqcAsnOid &name = request.at(0).name;
      if (status != 0 || !begins_with(name, first_column)) break;
      if (previous.ids != nullptr && compare(name, previous) <= 0) {
        rc = QMR_E_SYSTEM_LIBRARY;
        break;
      }
      if (!add_row(request, list)) rc = QMR_E_NO_MEMORY;
      previous.length = name.length < kMaxSubIds * 2 ? name.length : kMaxSubIds * 2;
      std::memcpy(previous_ids, name.ids, previous.length * sizeof(uint32_t));
      previous.ids = previous_ids;
    }
    tqc_global_free(first_column.ids);
    if (result != nullptr) *result = rc;
    if (rc != QMR_OK && list != nullptr) {
      list->release();
      list = nullptr;
    }
    return list;
  }

  CTqcLocalModule m_module;
  TqcSnmpExtensionInitFn m_init = nullptr;
  TqcSnmpExtensionInitExFn m_init_ex = nullptr;
  TqcSnmpExtensionQueryFn m_query = nullptr;
  TqcSnmpExtensionTrapFn m_trap = nullptr;
};

}  // namespace

ITqcLocalTableBackend *tqc_create_mib2_backend(int32_t *result) {
  ITqcLocalTableBackend *made = new (std::nothrow) CTqcMib2Backend();
  if (result != nullptr) *result = made != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return made;
}
