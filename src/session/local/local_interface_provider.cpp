#include "session/local/local_interface_provider.h"

#include <new>

#include "net/route_finder.h"
#include "qmr.h"

CTqcLocalInterfaceProvider::~CTqcLocalInterfaceProvider() {
  if (m_pBackend != nullptr) m_pBackend->release();
}

int32_t CTqcLocalInterfaceProvider::select_one(int32_t kind) {
  int32_t rc = QMR_OK;
  ITqcLocalTableBackend *made = kind == kIpHelper ? tqc_create_ip_helper_table_backend(&rc)
                                                  : tqc_create_mib2_backend(&rc);
  if (made == nullptr) return rc;
  rc = made->initialise();
  if (rc != QMR_OK) {
    made->release();
    return rc;
  }
  m_pBackend = made;
  return QMR_OK;
}

int32_t CTqcLocalInterfaceProvider::select_backend(int32_t kind) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_pBackend != nullptr) return QMR_OK;
  switch (kind) {
    case kAutomatic:
      if (select_one(kIpHelper) == QMR_OK) return QMR_OK;
      return select_one(kExtensionAgent);
    case kExtensionAgent:
    case kIpHelper:
      return select_one(kind);
    default:
      return QMR_E_INVALID_ARG;
  }
}

ITqcLocalTableBackend *CTqcLocalInterfaceProvider::backend(int32_t *result) const {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_pBackend == nullptr && result != nullptr) *result = QMR_E_NO_DEVICE;
  return m_pBackend;
}

CTqcLocalRouteList *CTqcLocalInterfaceProvider::route_table(int32_t *result) {
  ITqcLocalTableBackend *source = backend(result);
  return source != nullptr ? source->route_table(result) : nullptr;
}

int32_t CTqcLocalInterfaceProvider::interface_count(int32_t *result) {
  ITqcLocalTableBackend *source = backend(result);
  return source != nullptr ? source->interface_count(result) : 0;
}

CTqcLocalInterfaceList *CTqcLocalInterfaceProvider::interface_table(int32_t *result) {
  ITqcLocalTableBackend *source = backend(result);
  return source != nullptr ? source->interface_table(result) : nullptr;
}

CTqcLocalAddressList *CTqcLocalInterfaceProvider::address_table(int32_t *result) {
  ITqcLocalTableBackend *source = backend(result);
  return source != nullptr ? source->address_table(result) : nullptr;
}

namespace {

// Feeds the route finder from the provider (selected automatically on
// first use). The finder serialises its calls.
class CTqcLocalRouteSource final : public ITqcRouteTableSource {
 public:
  int32_t read_tables(std::vector<TqcRouteEntry> &routes, std::vector<TqcInterfaceAddressEntry> &addresses) override {
    CTqcLocalInterfaceProvider *provider = tqc_local_interface_provider();
    int32_t rc = provider->select_backend(CTqcLocalInterfaceProvider::kAutomatic);
    if (rc != QMR_OK) return rc;
    CTqcLocalRouteList *route_list = provider->route_table(&rc);
    if (route_list == nullptr) return rc;
    for (const TqcLocalRouteRecord &r : route_list->records()) routes.push_back({r.destination, r.mask, r.if_index});
    route_list->release();
    CTqcLocalAddressList *address_list = provider->address_table(&rc);
    if (address_list == nullptr) return rc;
    for (const TqcLocalAddressRecord &a : address_list->records()) addresses.push_back({a.if_index, a.address});
    address_list->release();
    return QMR_OK;
  }
};

CTqcLocalRouteSource g_route_source;
CTqcLocalInterfaceProvider g_provider;

}  // namespace

CTqcLocalInterfaceProvider *tqc_local_interface_provider() { return &g_provider; }

ITqcRouteTableSource *tqc_local_route_source() { return &g_route_source; }
