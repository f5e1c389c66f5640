#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "net/datagram_socket_classes.h"
#include "net/ipv4_text.h"
#include "net/numeric_address.h"
#include "net/socket_api.h"
#include "qmr.h"

namespace {

constexpr char kLimitedBroadcast[] = "255.255.255.255";
constexpr size_t kHostBufferSize = 1025;
constexpr size_t kServiceBufferSize = 32;
constexpr int kNumericHostAndService = NI_NUMERICHOST | NI_NUMERICSERV;  // 10
// The IPX datagram protocol number of the socket call.
constexpr int kIpxDatagramProtocol = 1000;

// The IPX socket address as the socket library lays it out.
struct TqcSockAddrIpx {
  int16_t family;
  uint8_t network[4];
  uint8_t node[6];
  uint16_t socket;  // network order
};

int32_t open_socket(int family, int protocol, TqcSocket *out) {
  int native = tqc_native_family(family);
  // A family the kernel does not know still goes to socket(), which
  // refuses it and leaves the platform's reason for the log line.
  *out = NTqcSocketAPI::api().p_socket(native < 0 ? family : native, SOCK_DGRAM | kTqcSocketTypeFlags, protocol);
  return *out == kTqcInvalidSocket ? tqc_socket_creation_failed() : QMR_OK;
}

// Socket address length of a protocol, as the name lookup expects it.
TqcSockLen length_of(EProtocol protocol) {
  switch (protocol) {
    case ITqcNetworkAddress::IPv4: return sizeof(sockaddr_in);
    case ITqcNetworkAddress::IPX: return sizeof(TqcSockAddrIpx);
    case ITqcNetworkAddress::IPv6: return sizeof(sockaddr_in6);
    default: return kTqcSockAddrSize;
  }
}

// A dotted-quad text made or checked here needs no second look at its
// protocol: it is stored as it stands, as set_address would store it.
bool store_ipv4_text(ITqcNetworkAddress *address, const char *text, uint16_t port) {
  if (address->set(text, ITqcNetworkAddress::IPv4, 0) != QMR_OK) return false;
  address->set_port(port);
  return true;
}

uint16_t port_of(const sockaddr *platform) {
  // IPv4 and IPv6 keep the port at the same place.
  return NTqcSocketAPI::api().p_ntohs(reinterpret_cast<const sockaddr_in *>(platform)->sin_port);
}

}  // namespace

// IPv4 -----------------------------------------------------------------

int32_t DataGramSocketIPv4::startup() { return NTqcSocketAPI::startup_1_1(); }

int32_t DataGramSocketIPv4::set_any_address(ITqcNetworkAddress *local) {
  return store_ipv4_text(local, kTqcAnyIPv4, local->get_port()) ? QMR_OK : QMR_E_OUT_OF_RANGE;
}

int32_t DataGramSocketIPv4::create_socket() { return open_socket(kTqcFamilyInet, 0, &m_socket); }

bool DataGramSocketIPv4::to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) {
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  const char *text = address->get_address();
  uint8_t bytes[4];
  decltype(api.p_inet_addr(text)) number = 0;
  if (tqc_parse_plain_ipv4(text, bytes)) {
    std::memcpy(&number, bytes, sizeof bytes);
  } else {
    number = api.p_inet_addr(text);
    if (number == static_cast<decltype(number)>(INADDR_NONE) &&
        std::strncmp(text, kLimitedBroadcast, sizeof kLimitedBroadcast - 1) != 0) {
      return false;
    }
  }
  std::memset(platform, 0, kTqcSockAddrSize);
  auto *in = reinterpret_cast<sockaddr_in *>(platform);
  in->sin_family = static_cast<decltype(in->sin_family)>(tqc_native_family(kTqcFamilyInet));
  std::memcpy(&in->sin_addr, &number, sizeof in->sin_addr);
  in->sin_port = api.p_htons(address->get_port());
  return true;
}

bool DataGramSocketIPv4::from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) {
  char text[kTqcIPv4TextSize];
  tqc_format_ipv4(reinterpret_cast<const uint8_t *>(&reinterpret_cast<const sockaddr_in *>(platform)->sin_addr), text);
  return store_ipv4_text(address, text, port_of(platform));
}

// IPX ------------------------------------------------------------------

int32_t DataGramSocketIPX::startup() { return NTqcSocketAPI::startup_1_1(); }

int32_t DataGramSocketIPX::set_any_address(ITqcNetworkAddress *local) {
  return tqc_store_socket_address(local, kTqcAnyIPX, local->get_port(), ITqcNetworkAddress::IPX) ? QMR_OK
                                                                                                 : QMR_E_OUT_OF_RANGE;
}

int32_t DataGramSocketIPX::create_socket() { return open_socket(kTqcFamilyIpx, kIpxDatagramProtocol, &m_socket); }

bool DataGramSocketIPX::to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) {
  unsigned int f[10] = {};
  if (std::sscanf(address->get_address(), "%2x%2x%2x%2x:%2x%2x%2x%2x%2x%2x", &f[0], &f[1], &f[2], &f[3], &f[4],
                  &f[5], &f[6], &f[7], &f[8], &f[9]) != 10) {
    return false;
  }
  std::memset(platform, 0, kTqcSockAddrSize);
  auto *ipx = reinterpret_cast<TqcSockAddrIpx *>(platform);
  ipx->family = static_cast<int16_t>(tqc_native_family(kTqcFamilyIpx));
  for (int i = 0; i < 4; ++i) ipx->network[i] = static_cast<uint8_t>(f[i]);
  for (int i = 0; i < 6; ++i) ipx->node[i] = static_cast<uint8_t>(f[4 + i]);
  ipx->socket = NTqcSocketAPI::api().p_htons(address->get_port());
  return true;
}

bool DataGramSocketIPX::from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) {
  const auto *ipx = reinterpret_cast<const TqcSockAddrIpx *>(platform);
  char text[32];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x:%02x%02x%02x%02x%02x%02x", ipx->network[0], ipx->network[1],
                ipx->network[2], ipx->network[3], ipx->node[0], ipx->node[1], ipx->node[2], ipx->node[3],
                ipx->node[4], ipx->node[5]);
  return tqc_store_socket_address(address, text, NTqcSocketAPI::api().p_ntohs(ipx->socket), ITqcNetworkAddress::IPX);
}

// IPv6 (and any protocol the resolver knows) ----------------------------

int32_t DataGramSocketIPv6::startup() { return NTqcSocketAPI::startup_2_2(); }

int32_t DataGramSocketIPv6::set_any_address(ITqcNetworkAddress *local) {
  EProtocol protocol = local->get_protocol();
  const char *any = nullptr;
  switch (protocol) {
    case ITqcNetworkAddress::IPv4: any = kTqcAnyIPv4; break;
    case ITqcNetworkAddress::IPX: any = kTqcAnyIPX; break;
    case ITqcNetworkAddress::IPv6: any = kTqcAnyIPv6; break;
    default: return QMR_E_OUT_OF_RANGE;
  }
  // Through the address check: the IPv4-only service refuses the IPv6 text.
  int32_t rc = local->set_address(any);
  if (rc != QMR_OK) return rc;
  local->set_protocol(protocol);
  return QMR_OK;
}

int32_t DataGramSocketIPv6::create_socket() {
  return open_socket(tqc_family_of_protocol(protocol()), 0, &m_socket);
}

bool DataGramSocketIPv6::to_sockaddr(sockaddr *platform, const ITqcNetworkAddress *address) {
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  const char *text = address->get_address();
  sockaddr_storage parsed;
  TqcSockLen length = 0;
  std::memset(platform, 0, kTqcSockAddrSize);
  if (tqc_parse_numeric_address(text, &parsed, &length)) {
    std::memcpy(platform, &parsed, length);
    reinterpret_cast<sockaddr_in *>(platform)->sin_port = api.p_htons(address->get_port());
    return true;
  }
  if (api.p_getaddrinfo == nullptr) return false;
  char service[kServiceBufferSize];
  std::snprintf(service, sizeof service, "%d", address->get_port());
  addrinfo hints{};
  hints.ai_flags = AI_PASSIVE;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo *list = nullptr;
  if (api.p_getaddrinfo(text, service, &hints, &list) != 0 || list == nullptr) return false;
  bool fits = list->ai_addrlen <= kTqcSockAddrSize;
  if (fits) std::memcpy(platform, list->ai_addr, list->ai_addrlen);
  api.p_freeaddrinfo(list);
  return fits;
}

bool DataGramSocketIPv6::from_sockaddr(const sockaddr *platform, ITqcNetworkAddress *address) {
  EProtocol protocol = tqc_protocol_of_family(tqc_library_family(platform->sa_family));
  char host[kHostBufferSize] = {};
  uint16_t port = 0;
  if (tqc_format_numeric_address(platform, host, sizeof host)) {
    port = port_of(platform);
  } else {
    const TqcSocketFunctions &api = NTqcSocketAPI::api();
    char service[kServiceBufferSize] = {};
    if (api.p_getnameinfo == nullptr ||
        api.p_getnameinfo(platform, length_of(DataGramSocket::protocol()), host, sizeof host, service,
                          sizeof service, kNumericHostAndService) != 0) {
      return false;
    }
    port = static_cast<uint16_t>(std::strtoul(service, nullptr, 10));
  }
  return tqc_store_socket_address(address, host, port, protocol);
}
