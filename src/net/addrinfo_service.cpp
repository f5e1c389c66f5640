#include "net/addrinfo_service.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "net/hostent_service.h"
#include "net/network_address_list.h"
#include "net/numeric_address.h"
#include "net/octet_buffer.h"
#include "net/socket_api.h"
#include "qmr.h"

namespace {

constexpr size_t kHostBufferSize = 1025;
constexpr size_t kServiceBufferSize = 32;
constexpr int kNumericLookupFlags = AI_PASSIVE | AI_NUMERICHOST;  // 5
constexpr int kNumericHostAndService = NI_NUMERICHOST | NI_NUMERICSERV;  // 10

struct TqcAddrInfoDeleter {
  void operator()(addrinfo *list) const { NTqcSocketAPI::api().p_freeaddrinfo(list); }
};
using TqcAddrInfoPtr = std::unique_ptr<addrinfo, TqcAddrInfoDeleter>;

// getaddrinfo with the given flags and native family, datagram sockets only.
int32_t lookup(const char *host, const char *service, int flags, int family, TqcAddrInfoPtr &out) {
  addrinfo hints{};
  hints.ai_flags = flags;
  hints.ai_family = family;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo *list = nullptr;
  if (NTqcSocketAPI::api().p_getaddrinfo(host, service, &hints, &list) != 0 || list == nullptr) return QMR_E_FAILED;
  out.reset(list);
  return QMR_OK;
}

EProtocol protocol_of_native(int native_family) { return tqc_protocol_of_family(tqc_library_family(native_family)); }

int native_family_of(EProtocol protocol) {
  int family = tqc_native_family(tqc_family_of_protocol(protocol));
  return family < 0 ? AF_UNSPEC : family;
}

int32_t make_address(const char *host, EProtocol protocol, const char *service, ITqcNetworkAddress **out) {
  int32_t rc = QMR_OK;
  *out = tqc_make_network_address(host, protocol, static_cast<uint16_t>(std::strtoul(service, nullptr, 10)), &rc);
  return rc;
}

}  // namespace

int32_t CTqcAddrInfoService::protocol_of(const char *text, EProtocol *protocol) const {
  if (text == nullptr || protocol == nullptr) return QMR_E_INVALID_ARG;
  if (tqc_parse_ipx_text(text, nullptr)) {
    *protocol = ITqcNetworkAddress::IPX;
    return QMR_OK;
  }
  *protocol = ITqcNetworkAddress::None;
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  sockaddr_storage parsed;
  TqcSockLen length = 0;
  if (tqc_parse_numeric_address(text, &parsed, &length)) {
    *protocol = protocol_of_native(parsed.ss_family);
    return QMR_OK;
  }
  TqcAddrInfoPtr list;
  int32_t rc = lookup(text, nullptr, kNumericLookupFlags, AF_UNSPEC, list);
  if (rc != QMR_OK) return rc;
  *protocol = protocol_of_native(list->ai_family);
  return QMR_OK;
}

int32_t CTqcAddrInfoService::normalize(const char *text, ITqsOctetBuffer *out) const {
  if (text == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  EProtocol protocol = ITqcNetworkAddress::None;
  int32_t rc = protocol_of(text, &protocol);
  if (rc != QMR_OK) return rc;
  if (protocol == ITqcNetworkAddress::IPX) return out->set_text(text);
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  char host[kHostBufferSize] = {};
  sockaddr_storage parsed;
  TqcSockLen length = 0;
  if (tqc_parse_numeric_address(text, &parsed, &length) &&
      tqc_format_numeric_address(reinterpret_cast<sockaddr *>(&parsed), host, sizeof host)) {
    return out->set_text(host);
  }
  TqcAddrInfoPtr list;
  rc = lookup(text, nullptr, kNumericLookupFlags, AF_UNSPEC, list);
  if (rc != QMR_OK) return rc;
  if (NTqcSocketAPI::api().p_getnameinfo(list->ai_addr, list->ai_addrlen, host, sizeof host, nullptr, 0,
                                         NI_NUMERICHOST) != 0) {
    return QMR_E_FAILED;
  }
  return out->set_text(host);
}

int32_t CTqcAddrInfoService::resolve(const char *host, CTqcNetworkAddressList **list) const {
  if (host == nullptr || list == nullptr) return QMR_E_INVALID_ARG;
  *list = nullptr;
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  TqcAddrInfoPtr results;
  int32_t rc = lookup(host, nullptr, AI_PASSIVE, AF_UNSPEC, results);
  if (rc != QMR_OK) return rc;
  CTqcNetworkAddressList *made = tqc_create_network_address_list(&rc);
  if (made == nullptr) return rc;
  for (addrinfo *r = results.get(); r != nullptr; r = r->ai_next) {
    char text[kHostBufferSize] = {};
    char service[kServiceBufferSize] = {};
    if (NTqcSocketAPI::api().p_getnameinfo(r->ai_addr, r->ai_addrlen, text, sizeof text, service, sizeof service,
                                           kNumericHostAndService) != 0) {
      continue;
    }
    ITqcNetworkAddress *item = nullptr;
    rc = make_address(text, protocol_of_native(r->ai_family), service, &item);
    if (rc == QMR_OK) rc = made->append(item);
    if (rc != QMR_OK) {
      made->release();
      return rc;
    }
  }
  *list = made;
  return QMR_OK;
}

int32_t CTqcAddrInfoService::host_name_of(const char *text, ITqsOctetBuffer *out) const {
  if (text == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  TqcAddrInfoPtr list;
  int32_t rc = lookup(text, nullptr, kNumericLookupFlags, AF_UNSPEC, list);
  if (rc != QMR_OK) return rc;
  char host[kHostBufferSize] = {};
  if (NTqcSocketAPI::api().p_getnameinfo(list->ai_addr, list->ai_addrlen, host, sizeof host, nullptr, 0,
                                         NI_NAMEREQD) != 0) {
    return QMR_E_FAILED;
  }
  return out->set_text(host);
}

int32_t CTqcAddrInfoService::local_address(EProtocol protocol, ITqcNetworkAddress **address) const {
  if (address == nullptr) return QMR_E_INVALID_ARG;
  *address = nullptr;
  if (protocol == ITqcNetworkAddress::IPX) return QMR_E_NOT_SUPPORTED;
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  char host[kHostBufferSize] = {};
  if (NTqcSocketAPI::api().p_gethostname(host, sizeof host - 1) != 0) return QMR_E_FAILED;
  TqcAddrInfoPtr list;
  int32_t rc = lookup(host, nullptr, AI_PASSIVE, native_family_of(protocol), list);
  if (rc != QMR_OK) return rc;
  char text[kHostBufferSize] = {};
  char service[kServiceBufferSize] = {};
  if (NTqcSocketAPI::api().p_getnameinfo(list->ai_addr, list->ai_addrlen, text, sizeof text, service, sizeof service,
                                         kNumericHostAndService) != 0) {
    return QMR_E_FAILED;
  }
  return make_address(text, protocol_of_native(list->ai_family), service, address);
}

int32_t CTqcAddrInfoService::port_of_service(const char *name, EProtocol protocol, uint16_t *port) const {
  if (name == nullptr || port == nullptr) return QMR_E_INVALID_ARG;
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  if (scope.result() != QMR_OK) return scope.result();
  TqcAddrInfoPtr list;
  int32_t rc = lookup(nullptr, name, AI_PASSIVE, native_family_of(protocol), list);
  if (rc != QMR_OK) return rc;
  char service[kServiceBufferSize] = {};
  if (NTqcSocketAPI::api().p_getnameinfo(list->ai_addr, list->ai_addrlen, nullptr, 0, service, sizeof service,
                                         NI_NUMERICSERV) != 0) {
    return QMR_E_FAILED;
  }
  *port = static_cast<uint16_t>(std::strtoul(service, nullptr, 10));
  return QMR_OK;
}
