// Choice of the local IPv4 address toward a destination from this host's
// route and address tables.
#ifndef QMR_NET_ROUTE_FINDER_H
#define QMR_NET_ROUTE_FINDER_H

#include <cstdint>
#include <vector>

#include "net/network_address.h"

// 32-bit addresses are numbers whose most significant byte is the first
// field of the dotted text.
struct TqcRouteEntry {
  uint32_t destination;
  uint32_t mask;
  int32_t if_index;
};

struct TqcInterfaceAddressEntry {
  int32_t if_index;
  uint32_t address;
};

// Where the tables come from: the local interface provider of the session
// layer, handed over by the library handle's factory.
class ITqcRouteTableSource {
 public:
  // Fresh route and address tables: 0 or an error code.
  virtual int32_t read_tables(std::vector<TqcRouteEntry> &routes, std::vector<TqcInterfaceAddressEntry> &addresses) = 0;

 protected:
  ~ITqcRouteTableSource() = default;
};

// Installs the table source (null removes it); returns the previous one.
ITqcRouteTableSource *tqc_set_route_table_source(ITqcRouteTableSource *source);

// The interface toward `destination`: an exact host route first, else the
// matching route with the greatest mask, else the default route. 0 or -1.
int32_t tqc_choose_route(const std::vector<TqcRouteEntry> &routes, uint32_t destination, int32_t *if_index);
// The local address toward `destination`: 0, -1 (no route), -2 (the route's
// interface has no address).
int32_t tqc_choose_source(const std::vector<TqcRouteEntry> &routes,
                          const std::vector<TqcInterfaceAddressEntry> &addresses, uint32_t destination,
                          uint32_t *source);

class CTqcRouteFinder {
 public:
  // The process-wide finder, made once; null with -3.
  static CTqcRouteFinder *instance(int32_t *result = nullptr);
  // The source address toward an IPv4 destination (caller owns it): 0, -1
  // (no route), -2 (null argument, unreadable text, interface without
  // address), -5 (not IPv4), -8 (no table source), or the source's error.
  int32_t source_address_for(const ITqcNetworkAddress *destination, ITqcNetworkAddress **source);
};

#endif  // QMR_NET_ROUTE_FINDER_H
