// An owned, ordered list of addresses (the answer of a name resolution).
#ifndef QMR_NET_NETWORK_ADDRESS_LIST_H
#define QMR_NET_NETWORK_ADDRESS_LIST_H

#include <cstdint>
#include <vector>

#include "net/network_address.h"

class CTqcNetworkAddressList {
 public:
  CTqcNetworkAddressList() = default;
  CTqcNetworkAddressList(const CTqcNetworkAddressList &) = delete;
  CTqcNetworkAddressList &operator=(const CTqcNetworkAddressList &) = delete;

  void release() { delete this; }
  uint32_t count() const { return static_cast<uint32_t>(m_items.size()); }
  // Lent; null past the end.
  const ITqcNetworkAddress *get(uint32_t index) const { return index < m_items.size() ? m_items[index] : nullptr; }
  // Takes ownership of `address` (also on failure, when it is released): 0, -2, -3.
  int32_t append(ITqcNetworkAddress *address);

 private:
  ~CTqcNetworkAddressList();
  std::vector<ITqcNetworkAddress *> m_items;
};

// A new empty list, or null with -3.
CTqcNetworkAddressList *tqc_create_network_address_list(int32_t *result = nullptr);

#endif  // QMR_NET_NETWORK_ADDRESS_LIST_H
