#include "net/datagram_socket.h"

#include <cstring>
#include <new>

#include "log/log.h"
#include "log/logger.h"
#include "net/address_service.h"
#include "net/datagram_socket_classes.h"
#include "net/ipv4_text.h"
#include "net/socket_api.h"
#include "qmr.h"

namespace {

constexpr char kLimitedBroadcast[] = "255.255.255.255";

int error_of_last_call() { return NTqcSocketAPI::last_error(); }

// One mask read; lets the Debug lines skip the work of their arguments.
bool debug_enabled() { return (socket_log().logger()->get_level_mask() & kLogDebug) != 0; }

}  // namespace

const char kTqcAnyIPv4[] = "0.0.0.0";
const char kTqcAnyIPX[] = "00000000:000000000000";
const char kTqcAnyIPv6[] = "0000:0000:0000:0000:0000:0000:0000:0000";

bool tqc_store_socket_address(ITqcNetworkAddress *address, const char *text, uint16_t port, EProtocol protocol) {
  if (address->set_address(text) != QMR_OK) return false;
  address->set_port(port);
  address->set_protocol(protocol);
  return true;
}

int32_t tqc_socket_creation_failed() {
  socket_log().write(kLogError, "fail socket(). WSAGetLastError()=%d", error_of_last_call());
  return QMR_E_SOCKET;
}

void DataGramSocket::release() { delete this; }

DataGramSocket::~DataGramSocket() {
  if (m_socket != kTqcInvalidSocket) NTqcSocketAPI::api().p_closesocket(m_socket);
  m_pLocalAddress.reset();
  if (m_started != 0) NTqcSocketAPI::cleanup();
}

ITqcNetworkAddress *DataGramSocket::local_address() const {
  std::call_once(m_localOnce, [this] {
    int32_t rc = QMR_OK;
    decltype(m_pLocalAddress) made(tqc_create_network_address(&rc));
    if (made) {
      made->set_protocol(m_protocol);
      made->set_port(m_port);
      // Filling the owned address is part of making it, hence the cast.
      rc = const_cast<DataGramSocket *>(this)->set_any_address(made.get());
    }
    if (rc == QMR_OK) m_pLocalAddress = std::move(made);
    m_localResult = rc;
  });
  return m_pLocalAddress.get();
}

int32_t DataGramSocket::open(EProtocol protocol, uint16_t port) {
  m_protocol = protocol;
  m_port = port;
  // A chosen port is bound now, so a port in use fails here; so is every
  // other protocol than IPv4, whose wildcard bind also tells whether the
  // protocol is usable on this host. An IPv4 socket's port of the system's
  // choice is left to the first send unless the Debug line wants the port,
  // and so is its local address object.
  const bool debug = debug_enabled();
  const bool bind_now = port != 0 || debug || protocol != ITqcNetworkAddress::IPv4;
  if (bind_now && local_address() == nullptr) return m_localResult;
  int32_t rc = startup();
  if (rc != QMR_OK) return rc;
  m_started = 1;
  rc = create_socket();
  if (rc != QMR_OK) return rc;
  if (bind_now) {
    rc = ensure_bound();
    if (rc != QMR_OK) return rc;
  }
  // The port the system chose for port 0 is read back only when the Debug
  // line below is written; otherwise on first need (get_local_address).
  if (debug) {
    if (!read_bound_address()) return QMR_E_FAILED;
    uint16_t bound_port = local_address()->get_port();
    socket_log().write(kLogDebug, "create socket. id:0x%x port:%d(0x%x)", static_cast<unsigned>(m_socket),
                       bound_port, bound_port);
  }
  return QMR_OK;
}

int32_t DataGramSocket::ensure_bound() const {
  if (m_bound.load(std::memory_order_acquire)) return QMR_OK;
  std::lock_guard<std::mutex> hold(m_bindLock);
  if (m_bound.load(std::memory_order_relaxed)) return QMR_OK;
  ITqcNetworkAddress *address = local_address();
  if (address == nullptr) return QMR_E_BIND;
  sockaddr_storage local{};
  // Converting the owned address is no change of it, hence the cast.
  auto *self = const_cast<DataGramSocket *>(this);
  if (!self->to_sockaddr(reinterpret_cast<sockaddr *>(&local), address)) return QMR_E_BIND;
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  if (api.p_bind(m_socket, reinterpret_cast<sockaddr *>(&local), kTqcSockAddrSize) != 0) {
    const int error = error_of_last_call();
    // A failed send may have bound the socket already.
    sockaddr_storage bound{};
    TqcSockLen length = kTqcSockAddrSize;
    if (api.p_getsockname(m_socket, reinterpret_cast<sockaddr *>(&bound), &length) != 0 ||
        !self->from_sockaddr(reinterpret_cast<sockaddr *>(&bound), address) || address->get_port() == 0) {
      socket_log().write(kLogError, "fail bind(). WSAGetLastError()=%d", error);
      return QMR_E_BIND;
    }
  }
  m_bound.store(true, std::memory_order_release);
  return QMR_OK;
}

bool DataGramSocket::read_bound_address() const {
  // A first send may have bound the socket before the address was made.
  if (ensure_bound() != QMR_OK || local_address() == nullptr) return false;
  std::call_once(m_boundOnce, [this] {
    sockaddr_storage bound{};
    TqcSockLen length = kTqcSockAddrSize;
    // Filling the owned address is part of reading it, hence the cast.
    auto *self = const_cast<DataGramSocket *>(this);
    m_boundRead = NTqcSocketAPI::api().p_getsockname(m_socket, reinterpret_cast<sockaddr *>(&bound), &length) == 0 &&
                  self->from_sockaddr(reinterpret_cast<sockaddr *>(&bound), m_pLocalAddress.get());
  });
  return m_boundRead;
}

int32_t create_datagram_socket(EProtocol protocol, uint16_t port, DataGramSocket **socket) {
  if (socket == nullptr) return QMR_E_INVALID_ARG;
  *socket = nullptr;
  DataGramSocket *made = nullptr;
  switch (protocol) {
    case ITqcNetworkAddress::IPv4: made = new (std::nothrow) DataGramSocketIPv4(); break;
    case ITqcNetworkAddress::IPX: made = new (std::nothrow) DataGramSocketIPX(); break;
    case ITqcNetworkAddress::IPv6: made = new (std::nothrow) DataGramSocketIPv6(); break;
    default: return QMR_E_INVALID_ARG;
  }
  if (made == nullptr) return QMR_E_NO_MEMORY;
  int32_t rc = made->open(protocol, port);
  if (rc != QMR_OK) {
    // Closes the socket and ends the start, whatever step failed.
    made->release();
    return rc;
  }
  *socket = made;
  return QMR_OK;
}

int32_t create_datagram_socket(EProtocol protocol, DataGramSocket **socket) {
  return create_datagram_socket(protocol, 0, socket);
}

int32_t DataGramSocket::send(const void *buffer, uint32_t length, const ITqcNetworkAddress *destination) {
  if (buffer == nullptr || destination == nullptr) return QMR_E_INVALID_ARG;
  if (debug_enabled()) {
    read_bound_address();
    const ITqcNetworkAddress *local = local_address();
    uint16_t local_port = local != nullptr ? local->get_port() : 0;
    uint16_t remote_port = destination->get_port();
    socket_log().write(kLogDebug, "[DataGramSocket::send] send packet. port:%d(0x%x) -> %s:%d(0x%x).", local_port,
                       local_port, destination->get_address(), remote_port, remote_port);
  }
  sockaddr_storage target{};
  if (!to_sockaddr(reinterpret_cast<sockaddr *>(&target), destination)) return QMR_E_INVALID_ARG;
  auto send_to = [&] {
    return NTqcSocketAPI::api().p_sendto(m_socket, reinterpret_cast<const char *>(buffer), length, 0,
                                         reinterpret_cast<sockaddr *>(&target), kTqcSockAddrSize);
  };
  decltype(send_to()) sent = 0;
  if (m_bound.load(std::memory_order_acquire)) {
    sent = send_to();
  } else {
    // The first send binds the socket to the wildcard address and a port of
    // the system's choice, as bind() to port 0 would.
    std::lock_guard<std::mutex> hold(m_bindLock);
    sent = send_to();
    if (sent >= 0) m_bound.store(true, std::memory_order_release);
  }
  if (sent < 0) {
    socket_log().write(kLogError, "fail send(). WSAGetLastError()=%d", error_of_last_call());
    return QMR_E_SEND;
  }
  if (static_cast<uint64_t>(sent) < length) {
    socket_log().write(kLogWarn, "send(). size of sended bytes is not same that of buffer.");
  }
  return QMR_OK;
}

int32_t DataGramSocket::receive_datagram(void *buffer, uint32_t capacity, int32_t timeout_ms, int32_t *received,
                                         sockaddr_storage *from) {
  if (buffer == nullptr || received == nullptr) return QMR_E_INVALID_ARG;
  // -1 waits without limit; other negative values are no time-out at all.
  if (timeout_ms < -1) return QMR_E_INVALID_ARG;
  // Nothing reaches a socket without a port.
  const int32_t bound = ensure_bound();
  if (bound != QMR_OK) return bound;
  int ready = tqc_wait_readable(m_socket, timeout_ms);
  if (ready < 0) {
    socket_log().write(kLogError, "fail select(). WSAGetLastError()=%d", error_of_last_call());
    return QMR_E_RECEIVE;
  }
  if (ready == 0) {
    socket_log().write(kLogTrace, "select API timeout.");
    return QMR_E_TIMEOUT;
  }
  std::memset(from, 0, sizeof *from);
  TqcSockLen from_length = kTqcSockAddrSize;
  auto got = NTqcSocketAPI::api().p_recvfrom(m_socket, reinterpret_cast<char *>(buffer), capacity, 0,
                                             reinterpret_cast<sockaddr *>(from), &from_length);
  *received = static_cast<int32_t>(got);
  if (got < 0) {
    socket_log().write(kLogError, "fail recvfrom(). WSAGetLastError()=%d", error_of_last_call());
    return QMR_E_RECEIVE;
  }
  return QMR_OK;
}

void DataGramSocket::log_received(const char *sender_text, uint16_t sender_port) const {
  read_bound_address();
  const ITqcNetworkAddress *local = local_address();
  uint16_t local_port = local != nullptr ? local->get_port() : 0;
  socket_log().write(kLogDebug, "[DataGramSocket::receive] receive packet port:%d(0x%x) <- %s:%d(0x%x).", local_port,
                     local_port, sender_text, sender_port, sender_port);
}

int32_t DataGramSocket::make_sender(const sockaddr_storage &from, ITqcNetworkAddress **source) {
  int32_t rc = QMR_OK;
  ITqcNetworkAddress *sender = tqc_create_network_address(&rc);
  if (sender == nullptr) return rc;
  if (!from_sockaddr(reinterpret_cast<const sockaddr *>(&from), sender)) {
    socket_log().write(kLogError,
                       "[DataGramSocket::receive] fail create CTqcNetworkAddress ( success recvfrom() ).");
    sender->release();
    return QMR_E_FAILED;
  }
  if (debug_enabled()) log_received(sender->get_address(), sender->get_port());
  *source = sender;
  return QMR_OK;
}

int32_t DataGramSocket::receive(void *buffer, uint32_t capacity, int32_t timeout_ms, int32_t *received,
                                ITqcNetworkAddress **source) {
  if (source == nullptr) return QMR_E_INVALID_ARG;
  *source = nullptr;
  sockaddr_storage from;
  const int32_t rc = receive_datagram(buffer, capacity, timeout_ms, received, &from);
  return rc == QMR_OK ? make_sender(from, source) : rc;
}

int32_t DataGramSocket::receive_from(void *buffer, uint32_t capacity, int32_t timeout_ms, int32_t *received,
                                     const ITqcNetworkAddress *expected, ITqcNetworkAddress **source,
                                     bool *from_expected) {
  if (source == nullptr || from_expected == nullptr) return QMR_E_INVALID_ARG;
  *source = nullptr;
  *from_expected = false;
  sockaddr_storage from;
  const int32_t rc = receive_datagram(buffer, capacity, timeout_ms, received, &from);
  if (rc != QMR_OK) return rc;
  // An IPv4 sender is compared as the text its address object would hold;
  // the answer from the address asked spares making that object.
  if (expected != nullptr && m_protocol == ITqcNetworkAddress::IPv4 &&
      expected->get_protocol() == ITqcNetworkAddress::IPv4 &&
      tqc_library_family(from.ss_family) == kTqcFamilyInet) {
    const auto *in = reinterpret_cast<const sockaddr_in *>(&from);
    const uint16_t port = NTqcSocketAPI::api().p_ntohs(in->sin_port);
    char text[kTqcIPv4TextSize];
    tqc_format_ipv4(reinterpret_cast<const uint8_t *>(&in->sin_addr), text);
    if (port == expected->get_port() && std::strcmp(text, expected->get_address()) == 0) {
      if (debug_enabled()) log_received(text, port);
      *from_expected = true;
      return QMR_OK;
    }
  }
  return make_sender(from, source);
}

const ITqcNetworkAddress *DataGramSocket::get_local_address() const {
  read_bound_address();
  return local_address();
}

int32_t DataGramSocket::set_broadcast(bool enable) {
  EProtocol protocol = m_protocol;
  if (protocol != ITqcNetworkAddress::IPv4 && protocol != ITqcNetworkAddress::IPX) return QMR_OK;
  int32_t value = enable ? 1 : 0;
  if (NTqcSocketAPI::api().p_setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char *>(&value), sizeof value) != 0) {
    socket_log().write(kLogError, "fail setsockopt(). can't set broadcast flag. WSAGetLastError()=%d",
                       error_of_last_call());
    return QMR_E_FAILED;
  }
  return QMR_OK;
}

int32_t DataGramSocket::set_receive_buffer(int32_t bytes, int32_t *granted) {
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  int32_t value = bytes;
  bool set = api.p_setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&value), sizeof value) == 0;
  int32_t actual = 0;
  TqcSockLen length = sizeof actual;
  bool read = api.p_getsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char *>(&actual), &length) == 0;
#ifdef SO_RCVBUFFORCE
  // The ordinary option is capped by the system's limit; a privileged
  // process may go past it.
  if (read && actual < bytes && api.p_setsockopt(m_socket, SOL_SOCKET, SO_RCVBUFFORCE, &value, sizeof value) == 0) {
    set = true;
    length = sizeof actual;
    read = api.p_getsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char *>(&actual), &length) == 0;
  }
#endif
  if (!set || !read) {
    socket_log().write(kLogError, "fail setsockopt(). can't set receive buffer. WSAGetLastError()=%d",
                       error_of_last_call());
    return QMR_E_FAILED;
  }
  if (granted != nullptr) *granted = actual;
  return QMR_OK;
}

int32_t DataGramSocket::join_multicast_group(const char *group) {
  if (group == nullptr) return QMR_E_INVALID_ARG;
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  int failed = 0;
  switch (m_protocol) {
    case ITqcNetworkAddress::IPv4: {
      auto address = api.p_inet_addr(group);
      // inet_addr's error value is also the limited broadcast address.
      if (address == static_cast<decltype(address)>(INADDR_NONE) &&
          std::strncmp(group, kLimitedBroadcast, sizeof kLimitedBroadcast - 1) != 0) {
        socket_log().write(kLogError, "fail inet_addr(). WSAGetLastError()=%d", error_of_last_call());
        return QMR_E_FAILED;
      }
      ip_mreq membership{};
      std::memcpy(&membership.imr_multiaddr, &address, sizeof membership.imr_multiaddr);
      membership.imr_interface.s_addr = 0;
      failed = api.p_setsockopt(m_socket, IPPROTO_IP, IP_ADD_MEMBERSHIP, reinterpret_cast<const char *>(&membership),
                                sizeof membership);
      break;
    }
    case ITqcNetworkAddress::IPv6: {
      ipv6_mreq membership{};
      int32_t rc = tqc_ipv6_text_to_bytes(group, reinterpret_cast<uint8_t *>(&membership.ipv6mr_multiaddr));
      if (rc != QMR_OK) return rc;
      membership.ipv6mr_interface = 0;
      failed = api.p_setsockopt(m_socket, IPPROTO_IPV6, IPV6_ADD_MEMBERSHIP, reinterpret_cast<const char *>(&membership),
                                sizeof membership);
      break;
    }
    default:
      return QMR_E_INVALID_ARG;
  }
  if (failed != 0) {
    socket_log().write(kLogError, "fail setsockopt(). can't set multicast flag. WSAGetLastError()=%d",
                       error_of_last_call());
    return QMR_E_FAILED;
  }
  return QMR_OK;
}
