// The adapter lists of the IP helper, fetched on request and owned here.
#ifndef QMR_NET_ADAPTER_LIST_H
#define QMR_NET_ADAPTER_LIST_H

#include <cstdint>
#include <memory>

#include "net/ip_helper_api.h"

class CTqcAdapterList {
 public:
  // 0, or -10 when the IP helper cannot be loaded.
  int32_t open();
  // The IPv4 adapters (lent, valid until the next fetch or destruction):
  // 0, -10 (function missing), -7 (no size reported, no data, second call
  // failed), -3. `*list` may be null on success when the host has none.
  int32_t fetch_ipv4(const TqcAdapterInfo **list);
  // The IPv6 adapters (family 23), with the same codes.
  int32_t fetch_ipv6(const TqcAdapterAddresses **list);

 private:
  // Storage with the alignment of any record.
  std::unique_ptr<uint64_t[]> m_ipv4;
  std::unique_ptr<uint64_t[]> m_ipv6;
};

// Whether an adapter type takes part in the searches (not loopback or tunnel).
inline bool tqc_is_plain_adapter(uint32_t type) { return type != kTqcIfTypeLoopback && type != kTqcIfTypeTunnel; }

// True when a unicast entry holds an IPv6 address that is not all zeros.
bool tqc_is_nonzero_ipv6(const TqcUnicastAddress *unicast);

#endif  // QMR_NET_ADAPTER_LIST_H
