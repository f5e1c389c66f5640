// The address service operations that do not depend on the resolver kind:
// source address choice and the adapter questions.
#ifndef QMR_NET_ADDRESS_SERVICE_BASE_H
#define QMR_NET_ADDRESS_SERVICE_BASE_H

#include "net/address_service.h"

class CTqcAddressServiceBase : public ITqcAddressService {
 public:
  int32_t source_address_for(const ITqcNetworkAddress *destination, ITqcNetworkAddress **source) const override;
  int32_t is_transport_available(EProtocol protocol, bool *available) const override;
  int32_t adapter_count(EProtocol protocol, int32_t *count) const override;
  int32_t mac_of_address(EProtocol protocol, const char *text, ITqsOctetBuffer **mac) const override;
  int32_t is_local_mac(const char *mac, bool *found) const override;

 private:
  int32_t ipv6_source_address(const ITqcNetworkAddress *destination, ITqcNetworkAddress **source) const;
  int32_t ipv6_mac_of_address(const char *text, ITqsOctetBuffer **mac) const;
};

// Hardware address text "XX-XX-XX-XX-XX-XX" of the first six bytes; `out`
// holds at least 18 bytes.
void tqc_format_mac(const uint8_t *bytes, char *out);

#endif  // QMR_NET_ADDRESS_SERVICE_BASE_H
