// The protocol classes of DataGramSocket.
#ifndef QMR_NET_DATAGRAM_SOCKET_CLASSES_H
#define QMR_NET_DATAGRAM_SOCKET_CLASSES_H

#include "net/datagram_socket.h"

class DataGramSocketIPv4 final : public DataGramSocket {
 protected:
  int32_t startup() override;
  int32_t set_any_address(ITqcNetworkAddress *local) override;
  bool from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) override;
  bool to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) override;
  int32_t create_socket() override;
};

class DataGramSocketIPX final : public DataGramSocket {
 protected:
  int32_t startup() override;
  int32_t set_any_address(ITqcNetworkAddress *local) override;
  bool from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) override;
  bool to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) override;
  int32_t create_socket() override;
};

class DataGramSocketIPv6 final : public DataGramSocket {
 protected:
  int32_t startup() override;
  int32_t set_any_address(ITqcNetworkAddress *local) override;
  bool from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) override;
  bool to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) override;
  int32_t create_socket() override;
};

// Wildcard texts for binding.
extern const char kTqcAnyIPv4[];
extern const char kTqcAnyIPX[];
extern const char kTqcAnyIPv6[];

// Writes text, port and protocol into `address` as a received or bound
// address; false when the text is refused.
bool tqc_store_socket_address(ITqcNetworkAddress *address, const char *text, uint16_t port, EProtocol protocol);
// The socket's creation failure line and code.
int32_t tqc_socket_creation_failed();

#endif  // QMR_NET_DATAGRAM_SOCKET_CLASSES_H
