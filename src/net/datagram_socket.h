// A bound, unconnected datagram socket of one protocol: send to an
// address, wait with a time-out for any datagram and its sender.
#ifndef QMR_NET_DATAGRAM_SOCKET_H
#define QMR_NET_DATAGRAM_SOCKET_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "net/network_address.h"
#include "net/owned.h"
#include "net/socket_types.h"

// Room for any platform socket address; every length handed to the socket
// calls is this size.
constexpr TqcSockLen kTqcSockAddrSize = 128;

class DataGramSocket {
 public:
  DataGramSocket(const DataGramSocket &) = delete;
  DataGramSocket &operator=(const DataGramSocket &) = delete;

  virtual void release();                                                                    // 0
  // 0, -2 (null argument, destination not convertible), -205 (send failed).
  virtual int32_t send(const void *buffer, uint32_t length, const ITqcNetworkAddress *destination);  // 1
  // Waits up to `timeout_ms` (-1: no limit) for one datagram. 0, -2, -3,
  // -203 (time-out), -204 (wait or receive failed), -1 (sender not
  // convertible), -202 (a socket that never sent could not be bound).
  // `*received` is written whenever the receive ran; the caller owns
  // `*source`.
  virtual int32_t receive(void *buffer, uint32_t capacity, int32_t timeout_ms, int32_t *received,
                          ITqcNetworkAddress **source);                                      // 2
  // The bound local address (owned by the socket).
  virtual const ITqcNetworkAddress *get_local_address() const;                               // 3
  // 0 or -1; does nothing for protocols without broadcast.
  virtual int32_t set_broadcast(bool enable);                                                // 4
  // 0, -1, -2 (unsupported protocol, unreadable IPv6 group text).
  virtual int32_t join_multicast_group(const char *group);                                   // 5
  virtual ~DataGramSocket();                                                                 // 6

  // Asks for a receive queue of `bytes` (past the ordinary system limit
  // where the platform lets a privileged process do so); *granted, when
  // given, receives the size the system reports afterwards. 0 or -1.
  int32_t set_receive_buffer(int32_t bytes, int32_t *granted);

  // receive() for an answer expected from `expected`: a datagram from that
  // very address (same protocol, port and text as received) makes no
  // address object; *source stays null and *from_expected is set. Any
  // other sender is made as receive() makes it. Same results and log lines.
  int32_t receive_from(void *buffer, uint32_t capacity, int32_t timeout_ms, int32_t *received,
                       const ITqcNetworkAddress *expected, ITqcNetworkAddress **source, bool *from_expected);

 protected:
  DataGramSocket() = default;
  friend int32_t create_datagram_socket(EProtocol protocol, uint16_t port, DataGramSocket **socket);

  virtual int32_t startup() = 0;                                                             // 7
  virtual int32_t set_any_address(ITqcNetworkAddress *local) = 0;                            // 8
  virtual bool from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) = 0;     // 9
  // `platform` holds kTqcSockAddrSize bytes.
  virtual bool to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) = 0;       // 10
  // 0, or -201 after logging the failure.
  virtual int32_t create_socket() = 0;                                                       // 11

  // The socket's protocol, as its local address holds it.
  EProtocol protocol() const { return m_protocol; }

  TqcSocket m_socket = kTqcInvalidSocket;
  // Made on first need (see local_address()); read it through that.
  mutable TqcOwned<ITqcNetworkAddress> m_pLocalAddress;
  uint8_t m_started = 0;

 private:
  int32_t open(EProtocol protocol, uint16_t port);
  // Waits for and reads one datagram and its sender's platform address;
  // receive()'s checks, results and failure lines.
  int32_t receive_datagram(void *buffer, uint32_t capacity, int32_t timeout_ms, int32_t *received,
                           sockaddr_storage *from);
  // Makes the sender's address object and writes receive()'s Debug line.
  int32_t make_sender(const sockaddr_storage &from, ITqcNetworkAddress **source);
  void log_received(const char *sender_text, uint16_t sender_port) const;
  // The local address (the wildcard address and the asked port until the
  // bound one is read back), made once on first call; null when it could
  // not be made. A one-exchange IPv4 socket on a port of the system's
  // choice never needs it, so it is not made at creation then.
  ITqcNetworkAddress *local_address() const;
  // Binds to the local address unless the socket is bound already. 0 or
  // -202 after logging the failure.
  int32_t ensure_bound() const;
  // Reads the bound address back from the system on first need: most
  // sockets live for one exchange and never need their own port, so the
  // call is spared unless someone asks or the socket logger writes Debug.
  bool read_bound_address() const;

  // A socket on port 0 is left to the system to bind on its first send,
  // which spares the bind call of a one-exchange socket; receiving or
  // asking for the local address binds it first.
  mutable std::mutex m_bindLock;        // orders the first bind against the first send
  mutable std::atomic<bool> m_bound{false};
  mutable std::once_flag m_boundOnce;
  mutable bool m_boundRead = false;  // the read succeeded; set inside m_boundOnce
  mutable std::once_flag m_localOnce;
  mutable int32_t m_localResult = 0;  // why the local address could not be made; set inside m_localOnce
  EProtocol m_protocol = ITqcNetworkAddress::None;
  uint16_t m_port = 0;  // asked for at creation
};

// A bound socket of `protocol` on `port` (0: any). 0, -2 (unknown protocol,
// null output), -3, -7 (no wildcard address), -201, -202, -1, or the start
// error. The caller releases the socket.
int32_t create_datagram_socket(EProtocol protocol, uint16_t port, DataGramSocket **socket);
int32_t create_datagram_socket(EProtocol protocol, DataGramSocket **socket);

#endif  // QMR_NET_DATAGRAM_SOCKET_H
