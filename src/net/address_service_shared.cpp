// Service operations common to both resolver kinds.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "net/adapter_list.h"
#include "net/address_service_base.h"
#include "net/datagram_socket.h"
#include "net/octet_buffer.h"
#include "net/route_finder.h"
#include "net/socket_api.h"
#include "net/text_case.h"
#include "qmr.h"

namespace {

constexpr size_t kHostBufferSize = 1025;
constexpr size_t kMacTextSize = 18;
constexpr char kNoIPv4Address[] = "0.0.0.0";
constexpr int kNumericLookupFlags = AI_PASSIVE | AI_NUMERICHOST;  // 5

// The fallback test: can a datagram socket of `protocol` be made at all?
bool socket_can_be_made(EProtocol protocol) {
  DataGramSocket *socket = nullptr;
  if (create_datagram_socket(protocol, &socket) != QMR_OK) return false;
  socket->release();
  return true;
}

int32_t ipv4_available(bool *available) {
  CTqcAdapterList adapters;
  if (adapters.open() == QMR_OK && NTqcIpHelpAPI::api().p_GetAdaptersInfo != nullptr) {
    uint32_t size = 0;
    uint32_t answer = NTqcIpHelpAPI::api().p_GetAdaptersInfo(nullptr, &size);
    if (answer == kTqcErrorNoData) {
      *available = false;
      return QMR_OK;
    }
    if (answer == kTqcErrorBufferOverflow) {
      const TqcAdapterInfo *list = nullptr;
      int32_t rc = adapters.fetch_ipv4(&list);
      if (rc == QMR_E_NO_MEMORY) return rc;
      if (rc == QMR_OK) {
        *available = false;
        for (const TqcAdapterInfo *a = list; a != nullptr; a = a->next) {
          if (a->type != kTqcIfTypeLoopback && std::strcmp(a->ip_address, kNoIPv4Address) != 0) *available = true;
        }
        return QMR_OK;
      }
    }
  }
  *available = socket_can_be_made(ITqcNetworkAddress::IPv4);
  return QMR_OK;
}

int32_t ipv6_available(bool *available) {
  *available = false;
  CTqcAdapterList adapters;
  const TqcAdapterAddresses *list = nullptr;
  if (adapters.open() != QMR_OK) return QMR_OK;
  int32_t rc = adapters.fetch_ipv6(&list);
  if (rc == QMR_E_NO_MEMORY) return rc;
  if (rc != QMR_OK) return QMR_OK;
  for (const TqcAdapterAddresses *a = list; a != nullptr; a = a->next) {
    if (a->first_unicast != nullptr && tqc_is_plain_adapter(a->type) && tqc_is_nonzero_ipv6(a->first_unicast)) {
      *available = true;
    }
  }
  return QMR_OK;
}

int32_t new_mac_buffer(const uint8_t *hardware, ITqsOctetBuffer **mac) {
  char text[kMacTextSize];
  tqc_format_mac(hardware, text);
  int32_t rc = QMR_OK;
  TqcBufferPtr made(tqs_create_octet_buffer(&rc));
  if (!made) return rc;
  rc = made->set_text(text);
  if (rc != QMR_OK) return rc;
  *mac = made.release();
  return QMR_OK;
}

}  // namespace

void tqc_format_mac(const uint8_t *bytes, char *out) {
  std::snprintf(out, kMacTextSize, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                bytes[5]);
}

int32_t CTqcAddressServiceBase::source_address_for(const ITqcNetworkAddress *destination,
                                                   ITqcNetworkAddress **source) const {
  if (destination == nullptr || source == nullptr) return QMR_E_INVALID_ARG;
  *source = nullptr;
  switch (destination->get_protocol()) {
    case ITqcNetworkAddress::IPv4:
    case ITqcNetworkAddress::IPX: {
      int32_t rc = QMR_OK;
      CTqcRouteFinder *finder = CTqcRouteFinder::instance(&rc);
      return finder == nullptr ? rc : finder->source_address_for(destination, source);
    }
    case ITqcNetworkAddress::IPv6:
      return ipv6_source_address(destination, source);
    default:
      return QMR_E_INVALID_ARG;
  }
}

int32_t CTqcAddressServiceBase::ipv6_source_address(const ITqcNetworkAddress *destination,
                                                    ITqcNetworkAddress **source) const {
  const TqcIpHelpFunctions &help = NTqcIpHelpAPI::api();
  if (NTqcIpHelpAPI::load() != QMR_OK || help.p_GetBestInterfaceEx == nullptr ||
      help.p_GetAdaptersAddresses == nullptr) {
    return QMR_E_NOT_SUPPORTED;
  }
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  // The IPv4-only service has no resolver to read the destination with.
  if (api.p_getaddrinfo == nullptr || api.p_getnameinfo == nullptr) return QMR_E_NOT_SUPPORTED;
  addrinfo hints{};
  hints.ai_flags = kNumericLookupFlags;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo *found = nullptr;
  if (api.p_getaddrinfo(destination->get_address(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return QMR_E_FAILED;
  }
  std::unique_ptr<addrinfo, decltype(api.p_freeaddrinfo)> results(found, api.p_freeaddrinfo);
  uint32_t best = 0;
  if (help.p_GetBestInterfaceEx(found->ai_addr, &best) != kTqcErrorSuccess) return QMR_E_NOT_SUPPORTED;
  int family = tqc_library_family(found->ai_family);
  uint32_t size = 0;
  if (help.p_GetAdaptersAddresses(family, kTqcAdapterAddressFlags, nullptr, nullptr, &size) !=
      kTqcErrorBufferOverflow) {
    return QMR_E_FAILED;
  }
  std::unique_ptr<uint64_t[]> buffer(new (std::nothrow) uint64_t[size / sizeof(uint64_t) + 1]());
  if (!buffer) return QMR_E_NO_MEMORY;
  auto *list = reinterpret_cast<TqcAdapterAddresses *>(buffer.get());
  if (help.p_GetAdaptersAddresses(family, kTqcAdapterAddressFlags, nullptr, list, &size) != kTqcErrorSuccess) {
    return QMR_E_FAILED;
  }
  for (const TqcAdapterAddresses *a = list; a != nullptr; a = a->next) {
    const TqcUnicastAddress *first = a->first_unicast;
    if (first == nullptr || first->address == nullptr || first->address->sa_family != found->ai_family) continue;
    uint32_t index = family == kTqcFamilyInet6 ? a->ipv6_if_index : a->if_index;
    if (index != best) continue;
    char host[kHostBufferSize] = {};
    if (api.p_getnameinfo(first->address, static_cast<TqcSockLen>(first->address_length), host, sizeof host, nullptr,
                          0, NI_NUMERICHOST) != 0) {
      return QMR_E_FAILED;
    }
    int32_t rc = QMR_OK;
    *source = tqc_make_network_address(host, destination->get_protocol(), destination->get_port(), &rc);
    return rc;
  }
  return QMR_E_FAILED;
}

int32_t CTqcAddressServiceBase::is_transport_available(EProtocol protocol, bool *available) const {
  if (available == nullptr) return QMR_E_INVALID_ARG;
  *available = false;
  switch (protocol) {
    case ITqcNetworkAddress::IPv4: return ipv4_available(available);
    case ITqcNetworkAddress::IPv6: return ipv6_available(available);
    default:
      *available = socket_can_be_made(protocol);
      return QMR_OK;
  }
}

int32_t CTqcAddressServiceBase::adapter_count(EProtocol protocol, int32_t *count) const {
  if (count == nullptr) return QMR_E_INVALID_ARG;
  *count = 0;
  if (protocol != ITqcNetworkAddress::IPv4 && protocol != ITqcNetworkAddress::IPv6) return QMR_E_INVALID_ARG;
  CTqcAdapterList adapters;
  int32_t rc = adapters.open();
  if (rc != QMR_OK) return rc;
  if (protocol == ITqcNetworkAddress::IPv4) {
    const TqcAdapterInfo *list = nullptr;
    rc = adapters.fetch_ipv4(&list);
    if (rc != QMR_OK) return rc;
    for (const TqcAdapterInfo *a = list; a != nullptr; a = a->next) {
      if (a->type != kTqcIfTypeLoopback) ++*count;
    }
    return QMR_OK;
  }
  const TqcAdapterAddresses *list = nullptr;
  rc = adapters.fetch_ipv6(&list);
  if (rc != QMR_OK) return rc;
  for (const TqcAdapterAddresses *a = list; a != nullptr; a = a->next) {
    if (a->first_unicast != nullptr && tqc_is_plain_adapter(a->type)) ++*count;
  }
  return QMR_OK;
}

int32_t CTqcAddressServiceBase::mac_of_address(EProtocol protocol, const char *text, ITqsOctetBuffer **mac) const {
  if (text == nullptr || mac == nullptr) return QMR_E_INVALID_ARG;
  *mac = nullptr;
  if (protocol == ITqcNetworkAddress::IPv6) return ipv6_mac_of_address(text, mac);
  if (protocol != ITqcNetworkAddress::IPv4) return QMR_E_INVALID_ARG;
  CTqcAdapterList adapters;
  int32_t rc = adapters.open();
  const TqcAdapterInfo *list = nullptr;
  if (rc == QMR_OK) rc = adapters.fetch_ipv4(&list);
  if (rc != QMR_OK) return rc;
  for (const TqcAdapterInfo *a = list; a != nullptr; a = a->next) {
    if (a->type == kTqcIfTypeLoopback) continue;
    if (text[0] == '\0' || std::strcmp(a->ip_address, text) == 0) return new_mac_buffer(a->address, mac);
  }
  return QMR_E_OUT_OF_RANGE;
}

int32_t CTqcAddressServiceBase::ipv6_mac_of_address(const char *text, ITqsOctetBuffer **mac) const {
  CTqcAdapterList adapters;
  int32_t rc = adapters.open();
  const TqcAdapterAddresses *list = nullptr;
  if (rc == QMR_OK) rc = adapters.fetch_ipv6(&list);
  if (rc != QMR_OK) return rc;
  TqcBufferPtr normalized(tqs_create_octet_buffer(&rc));
  if (!normalized) return rc;
  for (const TqcAdapterAddresses *a = list; a != nullptr; a = a->next) {
    if (a->first_unicast == nullptr || !tqc_is_plain_adapter(a->type)) continue;
    for (const TqcUnicastAddress *u = a->first_unicast; u != nullptr; u = u->next) {
      if (!tqc_is_nonzero_ipv6(u)) continue;
      const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(u->address);
      const uint8_t *b = reinterpret_cast<const uint8_t *>(&in6->sin6_addr);
      char full[48];
      std::snprintf(full, sizeof full,
                    "%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x", b[0], b[1], b[2],
                    b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
      if (normalize(full, normalized.get()) != QMR_OK) continue;
      bool match = text[0] == '\0' || tqc_equal_ignoring_case(text, normalized->c_str());
      if (!match && in6->sin6_scope_id != 0) {
        char scoped[kHostBufferSize];
        std::snprintf(scoped, sizeof scoped, "%s%%%d", normalized->c_str(), static_cast<int>(in6->sin6_scope_id));
        match = tqc_equal_ignoring_case(text, scoped);
      }
      if (match) return new_mac_buffer(a->physical, mac);
    }
  }
  return QMR_E_OUT_OF_RANGE;
}

int32_t CTqcAddressServiceBase::is_local_mac(const char *mac, bool *found) const {
  if (mac == nullptr || found == nullptr) return QMR_E_INVALID_ARG;
  *found = false;
  CTqcAdapterList adapters;
  int32_t rc = adapters.open();
  if (rc != QMR_OK) return rc;
  char text[kMacTextSize];
  const TqcAdapterInfo *ipv4 = nullptr;
  if (adapters.fetch_ipv4(&ipv4) == QMR_OK) {
    for (const TqcAdapterInfo *a = ipv4; a != nullptr && !*found; a = a->next) {
      if (a->type == kTqcIfTypeLoopback) continue;
      tqc_format_mac(a->address, text);
      *found = tqc_equal_ignoring_case(text, mac);
    }
    return QMR_OK;
  }
  const TqcAdapterAddresses *ipv6 = nullptr;
  rc = adapters.fetch_ipv6(&ipv6);
  if (rc != QMR_OK) return rc;
  for (const TqcAdapterAddresses *a = ipv6; a != nullptr && !*found; a = a->next) {
    if (a->first_unicast == nullptr || !tqc_is_plain_adapter(a->type)) continue;
    tqc_format_mac(a->physical, text);
    *found = tqc_equal_ignoring_case(text, mac);
  }
  return QMR_OK;
}
