#include "net/route_finder.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>

#include "net/address_service.h"
#include "net/ipv4_text.h"
#include "qmr.h"

namespace {

std::atomic<ITqcRouteTableSource *> g_source{nullptr};
// Serialises every lookup: the table source is not re-entrant.
std::mutex g_finder_lock;

}  // namespace

ITqcRouteTableSource *tqc_set_route_table_source(ITqcRouteTableSource *source) {
  return g_source.exchange(source, std::memory_order_acq_rel);
}

int32_t tqc_choose_route(const std::vector<TqcRouteEntry> &routes, uint32_t destination, int32_t *if_index) {
  if (if_index == nullptr) return QMR_E_INVALID_ARG;
  for (const TqcRouteEntry &r : routes) {
    if (r.destination == destination) {
      *if_index = r.if_index;
      return QMR_OK;
    }
  }
  const TqcRouteEntry *best = nullptr;
  for (const TqcRouteEntry &r : routes) {
    if ((r.mask & r.destination) == (r.mask & destination) && (best == nullptr || r.mask > best->mask)) best = &r;
  }
  if (best == nullptr) {
    for (const TqcRouteEntry &r : routes) {
      if (r.destination == 0) {
        best = &r;
        break;
      }
    }
  }
  if (best == nullptr) return QMR_E_FAILED;
  *if_index = best->if_index;
  return QMR_OK;
}

int32_t tqc_choose_source(const std::vector<TqcRouteEntry> &routes,
                          const std::vector<TqcInterfaceAddressEntry> &addresses, uint32_t destination,
                          uint32_t *source) {
  if (source == nullptr) return QMR_E_INVALID_ARG;
  int32_t if_index = 0;
  int32_t rc = tqc_choose_route(routes, destination, &if_index);
  if (rc != QMR_OK) return rc;
  for (const TqcInterfaceAddressEntry &a : addresses) {
    if (a.if_index == if_index) {
      *source = a.address;
      return QMR_OK;
    }
  }
  return QMR_E_INVALID_ARG;
}

CTqcRouteFinder *CTqcRouteFinder::instance(int32_t *result) {
  // The finder holds no state; one static object serves the process.
  static CTqcRouteFinder finder;
  if (result != nullptr) *result = QMR_OK;
  return &finder;
}

int32_t CTqcRouteFinder::source_address_for(const ITqcNetworkAddress *destination, ITqcNetworkAddress **source) {
  if (destination == nullptr || source == nullptr) return QMR_E_INVALID_ARG;
  *source = nullptr;
  if (destination->get_protocol() != ITqcNetworkAddress::IPv4) return QMR_E_NOT_SUPPORTED;
  std::lock_guard<std::mutex> hold(g_finder_lock);
  bool is_address = false;
  uint32_t number = 0;
  if (tqc_is_address(destination->get_address(), &is_address) != QMR_OK || !is_address ||
      !tqc_ipv4_text_to_number(destination->get_address(), &number)) {
    return QMR_E_INVALID_ARG;
  }
  ITqcRouteTableSource *tables = g_source.load(std::memory_order_acquire);
  if (tables == nullptr) return QMR_E_NO_DEVICE;
  std::vector<TqcRouteEntry> routes;
  std::vector<TqcInterfaceAddressEntry> addresses;
  int32_t rc = QMR_OK;
  try {
    rc = tables->read_tables(routes, addresses);
  } catch (const std::bad_alloc &) {
    rc = QMR_E_NO_MEMORY;
  }
  if (rc != QMR_OK) return rc;
  uint32_t chosen = 0;
  rc = tqc_choose_source(routes, addresses, number, &chosen);
  if (rc != QMR_OK) return rc;
  char text[16];
  tqc_ipv4_number_to_text(chosen, text);
  *source = tqc_make_network_address(text, destination->get_protocol(), destination->get_port(), &rc);
  return rc;
}
