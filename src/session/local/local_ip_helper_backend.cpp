// The local tables from the IP helper's table functions.
#include <memory>
#include <new>

#include "net/module_loader.h"
#include "qmr.h"
#include "session/local/local_system_types.h"
#include "session/local/local_table_backend.h"

CTqcLocalModule::~CTqcLocalModule() {
  if (m_module != nullptr) tqc_module_loader()->close(m_module);
}

int32_t CTqcLocalModule::load(const char *name, const char *const *names, void **pointers[], int count) {
  tqc_register_local_sources();
  ITqcModuleLoader *loader = tqc_module_loader();
  m_module = loader->open(name);
  if (m_module == nullptr) return QMR_E_SYSTEM_LIBRARY;
  for (int i = 0; i < count; ++i) {
    int32_t error = 0;
    *pointers[i] = loader->symbol(m_module, names[i], &error);
    if (*pointers[i] == nullptr) return QMR_E_SYSTEM_LIBRARY;
  }
  return QMR_OK;
}

namespace {

constexpr int32_t kSortedOrder = 1;

// Network-order address as a number, first dotted field most significant.
uint32_t number_of(uint32_t network_order) {
  const auto *b = reinterpret_cast<const uint8_t *>(&network_order);
  return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
         (static_cast<uint32_t>(b[2]) << 8) | b[3];
}

// The two-call protocol of the table functions; `fetch` calls one of them.
template <typename Table, typename Fetch>
std::unique_ptr<uint64_t[]> read_table(Fetch fetch, int32_t *rc) {
  uint32_t size = 0;
  if (fetch(nullptr, &size) != kTqcLocalErrorInsufficientBuffer) {
    *rc = QMR_E_SYSTEM_LIBRARY;
    return nullptr;
  }
  size_t words = (static_cast<size_t>(size) > sizeof(Table) ? size : sizeof(Table)) / sizeof(uint64_t) + 1;
  std::unique_ptr<uint64_t[]> buffer(new (std::nothrow) uint64_t[words]());
  if (!buffer) {
    *rc = QMR_E_NO_MEMORY;
    return nullptr;
  }
  size = static_cast<uint32_t>(words * sizeof(uint64_t));
  if (fetch(reinterpret_cast<Table *>(buffer.get()), &size) != kTqcLocalErrorSuccess) {
    *rc = QMR_E_SYSTEM_LIBRARY;
    return nullptr;
  }
  *rc = QMR_OK;
  return buffer;
}

template <typename List>
List *fail(List *list, int32_t code, int32_t *result) {
  if (list != nullptr) list->release();
  if (result != nullptr) *result = code;
  return nullptr;
}

class CTqcIpHelperTableBackend final : public ITqcLocalTableBackend {
 public:
  void release() override { delete this; }
  const char *library_name() const override { return "iphlpapi.dll"; }

  int32_t initialise() override {
    static const char *const kNames[] = {"GetIpForwardTable", "GetNumberOfInterfaces", "GetIfTable",
                                         "GetIpAddrTable"};
    void **pointers[] = {reinterpret_cast<void **>(&m_forward), reinterpret_cast<void **>(&m_count),
                         reinterpret_cast<void **>(&m_interfaces), reinterpret_cast<void **>(&m_addresses)};
    return m_module.load(library_name(), kNames, pointers, 4);
  }

  CTqcLocalRouteList *route_table(int32_t *result) override {
    int32_t rc = QMR_OK;
    auto buffer = read_table<TqcIpForwardTable>(
        [this](TqcIpForwardTable *t, uint32_t *s) { return m_forward(t, s, kSortedOrder); }, &rc);
    if (!buffer) return fail<CTqcLocalRouteList>(nullptr, rc, result);
    CTqcLocalRouteList *list = CTqcLocalRouteList::create(&rc);
    if (list == nullptr) return fail(list, rc, result);
    const auto *table = reinterpret_cast<const TqcIpForwardTable *>(buffer.get());
    for (uint32_t i = 0; i < table->count; ++i) {
      const TqcIpForwardRow &r = table->rows[i];
      if (!list->append({number_of(r.destination), number_of(r.mask), number_of(r.next_hop),
                         static_cast<int32_t>(r.type), static_cast<int32_t>(r.if_index)})) {
        return fail(list, QMR_E_NO_MEMORY, result);
      }
    }
    if (result != nullptr) *result = QMR_OK;
    return list;
  }

  int32_t interface_count(int32_t *result) override {
    uint32_t count = 0;
    bool ok = m_count(&count) == kTqcLocalErrorSuccess;
    if (result != nullptr) *result = ok ? QMR_OK : QMR_E_SYSTEM_LIBRARY;
    return ok ? static_cast<int32_t>(count) : 0;
  }

  CTqcLocalInterfaceList *interface_table(int32_t *result) override {
    int32_t rc = QMR_OK;
    auto buffer =
        read_table<TqcIfTable>([this](TqcIfTable *t, uint32_t *s) { return m_interfaces(t, s, kSortedOrder); }, &rc);
    if (!buffer) return fail<CTqcLocalInterfaceList>(nullptr, rc, result);
    CTqcLocalInterfaceList *list = CTqcLocalInterfaceList::create(&rc);
    if (list == nullptr) return fail(list, rc, result);
    const auto *table = reinterpret_cast<const TqcIfTable *>(buffer.get());
    for (uint32_t i = 0; i < table->count; ++i) {
      const TqcIfRow &r = table->rows[i];
      uint32_t length = r.description_length < kTqcMaxInterfaceDescription ? r.description_length
                                                                             : kTqcMaxInterfaceDescription;
      TqcLocalInterfaceRecord record{};
      try {
        record.description.assign(reinterpret_cast<const char *>(r.description), length);
      } catch (const std::bad_alloc &) {
        return fail(list, QMR_E_NO_MEMORY, result);
      }
      record.if_index = static_cast<int32_t>(r.index);
      record.if_type = static_cast<int32_t>(r.type);
      if (!list->append(std::move(record))) return fail(list, QMR_E_NO_MEMORY, result);
    }
    if (result != nullptr) *result = QMR_OK;
    return list;
  }

  CTqcLocalAddressList *address_table(int32_t *result) override {
    int32_t rc = QMR_OK;
    auto buffer = read_table<TqcIpAddrTable>(
        [this](TqcIpAddrTable *t, uint32_t *s) { return m_addresses(t, s, kSortedOrder); }, &rc);
    if (!buffer) return fail<CTqcLocalAddressList>(nullptr, rc, result);
    CTqcLocalAddressList *list = CTqcLocalAddressList::create(&rc);
    if (list == nullptr) return fail(list, rc, result);
    const auto *table = reinterpret_cast<const TqcIpAddrTable *>(buffer.get());
    for (uint32_t i = 0; i < table->count; ++i) {
      const TqcIpAddrRow &r = table->rows[i];
      if (!list->append({static_cast<int32_t>(r.index), number_of(r.mask), static_cast<int32_t>(r.broadcast),
                         number_of(r.address)})) {
        return fail(list, QMR_E_NO_MEMORY, result);
      }
    }
    if (result != nullptr) *result = QMR_OK;
    return list;
  }

 private:
  ~CTqcIpHelperTableBackend() override = default;

  CTqcLocalModule m_module;
  TqcGetIpForwardTableFn m_forward = nullptr;
  TqcGetNumberOfInterfacesFn m_count = nullptr;
  TqcGetIfTableFn m_interfaces = nullptr;
  TqcGetIpAddrTableFn m_addresses = nullptr;
};

}  // namespace

ITqcLocalTableBackend *tqc_create_ip_helper_table_backend(int32_t *result) {
  ITqcLocalTableBackend *made = new (std::nothrow) CTqcIpHelperTableBackend();
  if (result != nullptr) *result = made != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return made;
}
