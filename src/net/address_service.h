// The process-wide address-conversion service: checks, normalises and
// resolves address texts, and answers questions about this host's adapters.
#ifndef QMR_NET_ADDRESS_SERVICE_H
#define QMR_NET_ADDRESS_SERVICE_H

#include <cstdint>

#include "net/network_address.h"

class ITqsOctetBuffer;
class CTqcNetworkAddressList;

class ITqcAddressService {
 public:
  virtual ~ITqcAddressService() = default;

  // Canonical numeric form of `text` into `out`.
  virtual int32_t normalize(const char *text, ITqsOctetBuffer *out) const = 0;               // 0
  // Protocol of a numeric address text; None and an error for anything else.
  virtual int32_t protocol_of(const char *text, EProtocol *protocol) const = 0;              // 1
  // Name lookup; the caller owns the new list.
  virtual int32_t resolve(const char *host, CTqcNetworkAddressList **list) const = 0;        // 2
  virtual int32_t host_name_of(const char *text, ITqsOctetBuffer *out) const = 0;            // 3
  // One address of this host for `protocol`; the caller owns it.
  virtual int32_t local_address(EProtocol protocol, ITqcNetworkAddress **address) const = 0; // 4
  virtual int32_t port_of_service(const char *name, EProtocol protocol, uint16_t *port) const = 0;  // 5
  // The local address a datagram to `destination` leaves from (caller owns).
  virtual int32_t source_address_for(const ITqcNetworkAddress *destination,
                                     ITqcNetworkAddress **source) const = 0;                // 6
  virtual int32_t is_transport_available(EProtocol protocol, bool *available) const = 0;    // 7
  virtual int32_t adapter_count(EProtocol protocol, int32_t *count) const = 0;              // 8
  // Hardware address ("XX-XX-XX-XX-XX-XX") of the adapter holding `text`;
  // the caller owns the new buffer.
  virtual int32_t mac_of_address(EProtocol protocol, const char *text, ITqsOctetBuffer **mac) const = 0;  // 9
  virtual int32_t is_local_mac(const char *mac, bool *found) const = 0;                     // 10
};

// The instance, made on first use (resolver-based when the socket library
// offers the resolver functions, IPv4-only otherwise); null with -3.
ITqcAddressService *tqc_address_service(int32_t *result = nullptr);

// Entry points used by the rest of the library; each makes sure the
// service exists first.
int32_t tqc_normalize_address(const char *text, ITqsOctetBuffer *out);
int32_t tqc_protocol_of_address(const char *text, EProtocol *protocol);
// True when `text` is an address of a known protocol; the finding's error
// is returned as it is.
int32_t tqc_is_address(const char *text, bool *is_address);
// Compares two texts after normalising both.
int32_t tqc_compare_addresses(const char *a, const char *b, bool *equal);
int32_t tqc_is_transport_available(EProtocol protocol, bool *available);

// IPv6 text (with "::" shorthand, no dotted IPv4 tail) to 16 bytes in
// network order: 0 or -2.
int32_t tqc_ipv6_text_to_bytes(const char *text, uint8_t bytes[16]);

#endif  // QMR_NET_ADDRESS_SERVICE_H
