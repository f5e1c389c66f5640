// The address service on the protocol-independent resolver functions.
#ifndef QMR_NET_ADDRINFO_SERVICE_H
#define QMR_NET_ADDRINFO_SERVICE_H

#include "net/address_service_base.h"

class CTqcAddrInfoService final : public CTqcAddressServiceBase {
 public:
  int32_t normalize(const char *text, ITqsOctetBuffer *out) const override;
  int32_t protocol_of(const char *text, EProtocol *protocol) const override;
  int32_t resolve(const char *host, CTqcNetworkAddressList **list) const override;
  int32_t host_name_of(const char *text, ITqsOctetBuffer *out) const override;
  int32_t local_address(EProtocol protocol, ITqcNetworkAddress **address) const override;
  int32_t port_of_service(const char *name, EProtocol protocol, uint16_t *port) const override;
};

#endif  // QMR_NET_ADDRINFO_SERVICE_H
