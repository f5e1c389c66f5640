// A network endpoint: address text, protocol and port. Binary socket
// addresses are made from it only where a socket needs one.
#ifndef QMR_NET_NETWORK_ADDRESS_H
#define QMR_NET_NETWORK_ADDRESS_H

#include <cstdint>

class ITqsOctetBuffer;

class ITqcNetworkAddress {
 public:
  enum EProtocol : int32_t {
    None = 0,
    IPv4 = 1,
    IPX = 2,
    IPv6 = 4,
  };

  virtual void release() = 0;                                                  // 0
  // Stores the text (A-F lower-cased) with the protocol found in it: -2 for a
  // null text or when the protocol found differs from a protocol already
  // set, the finding's error (-1, -7) for a text that is no address; the
  // object is then unchanged. The port is kept.
  virtual int32_t set_address(const char *text) = 0;                           // 1
  // Stores the text unchecked; a zero protocol or port keeps the stored one.
  virtual int32_t set(const char *text, EProtocol protocol, uint16_t port) = 0;  // 2
  // The buffer holding the text (null while no text is set); lent.
  virtual const ITqsOctetBuffer *get_value() const = 0;                        // 3
  // -2 when `text` is null; protocol and port outputs are optional.
  virtual int32_t get(const char **text, EProtocol *protocol, uint16_t *port) const = 0;  // 4
  virtual int32_t set_protocol(EProtocol protocol) = 0;                        // 5
  virtual int32_t set_port(uint16_t port) = 0;                                 // 6
  virtual EProtocol get_protocol() const = 0;                                  // 7
  virtual uint16_t get_port() const = 0;                                       // 8
  // Same normalised text and protocol, and `other`'s port is 0 or equal.
  virtual bool is_equal(const ITqcNetworkAddress *other) const = 0;           // 9
  virtual int32_t clone(ITqcNetworkAddress **copy) const = 0;                  // 10
  virtual bool is_valid() const = 0;                                           // 11
  // Replaces the text by its canonical numeric form.
  virtual int32_t normalize() = 0;                                             // 12
  // The text; "" while none is set.
  virtual const char *get_address() const = 0;                                 // 13

 protected:
  virtual ~ITqcNetworkAddress() = default;
};

using EProtocol = ITqcNetworkAddress::EProtocol;

// Address families as the library numbers them (0, 2, 6, 23).
int tqc_family_of_protocol(EProtocol protocol);
EProtocol tqc_protocol_of_family(int family);

// A new empty address, or null with -3.
ITqcNetworkAddress *tqc_create_network_address(int32_t *result = nullptr);
// An address holding `text`, `protocol` and `port` as given (the text is
// not checked); null with -2 or -3.
ITqcNetworkAddress *tqc_make_network_address(const char *text, EProtocol protocol, uint16_t port,
                                             int32_t *result = nullptr);
// An address made from text and port, its protocol found in the text; null
// with the finding's error (or -2, -3) when the text is no address.
ITqcNetworkAddress *tqc_create_network_address(const char *text, uint16_t port, int32_t *result = nullptr);

#endif  // QMR_NET_NETWORK_ADDRESS_H
