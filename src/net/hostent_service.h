// The IPv4-only address service on the older host-entry functions, used
// when the socket library lacks the resolver functions.
#ifndef QMR_NET_HOSTENT_SERVICE_H
#define QMR_NET_HOSTENT_SERVICE_H

#include "net/address_service_base.h"

class CTqcHostEntService final : public CTqcAddressServiceBase {
 public:
  int32_t normalize(const char *text, ITqsOctetBuffer *out) const override;
  int32_t protocol_of(const char *text, EProtocol *protocol) const override;
  int32_t resolve(const char *host, CTqcNetworkAddressList **list) const override;
  int32_t host_name_of(const char *text, ITqsOctetBuffer *out) const override;
  int32_t local_address(EProtocol protocol, ITqcNetworkAddress **address) const override;
  int32_t port_of_service(const char *name, EProtocol protocol, uint16_t *port) const override;
};

// True when `text` is exactly 21 characters of the IPX form
// "nnnnnnnn:hhhhhhhhhhhh"; the ten bytes go to `bytes` when it is not null.
bool tqc_parse_ipx_text(const char *text, uint8_t *bytes);

#endif  // QMR_NET_HOSTENT_SERVICE_H
