#include "net/hostent_service.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "net/ipv4_text.h"
#include "net/network_address_list.h"
#include "net/octet_buffer.h"
#include "net/socket_api.h"
#include "qmr.h"

namespace {

constexpr size_t kIpxTextLength = 21;
constexpr size_t kHostBufferSize = 1025;
constexpr const char kLimitedBroadcast[] = "255.255.255.255";

}  // namespace

bool tqc_parse_ipx_text(const char *text, uint8_t *bytes) {
  if (text == nullptr || std::strlen(text) != kIpxTextLength) return false;
  unsigned int f[10] = {};
  if (std::sscanf(text, "%2x%2x%2x%2x:%2x%2x%2x%2x%2x%2x", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7],
                  &f[8], &f[9]) != 10) {
    return false;
  }
  if (bytes != nullptr) {
    for (int i = 0; i < 10; ++i) bytes[i] = static_cast<uint8_t>(f[i]);
  }
  return true;
}

int32_t CTqcHostEntService::protocol_of(const char *text, EProtocol *protocol) const {
  if (text == nullptr || protocol == nullptr) return QMR_E_INVALID_ARG;
  uint8_t bytes[4];
  if (tqc_parse_decimal_ipv4(text, bytes)) {
    *protocol = ITqcNetworkAddress::IPv4;
    return QMR_OK;
  }
  if (tqc_parse_ipx_text(text, nullptr)) {
    *protocol = ITqcNetworkAddress::IPX;
    return QMR_OK;
  }
  *protocol = ITqcNetworkAddress::None;
  return QMR_E_OUT_OF_RANGE;
}

int32_t CTqcHostEntService::normalize(const char *text, ITqsOctetBuffer *out) const {
  if (text == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  uint8_t bytes[4];
  if (tqc_parse_decimal_ipv4(text, bytes)) {
    char rebuilt[kTqcIPv4TextSize];
    tqc_format_ipv4(bytes, rebuilt);
    return out->set_text(rebuilt);
  }
  if (tqc_parse_ipx_text(text, nullptr)) return out->set_text(text);
  return QMR_E_OUT_OF_RANGE;
}

int32_t CTqcHostEntService::resolve(const char *host, CTqcNetworkAddressList **list) const {
  if (host == nullptr || list == nullptr) return QMR_E_INVALID_ARG;
  *list = nullptr;
  CTqcSocketScope scope(CTqcSocketScope::kVersion11);
  if (scope.result() != QMR_OK) return scope.result();
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  hostent *entry = api.p_gethostbyname(host);
  if (entry == nullptr) return QMR_E_FAILED;
  int32_t rc = QMR_OK;
  CTqcNetworkAddressList *made = tqc_create_network_address_list(&rc);
  if (made == nullptr) return rc;
  EProtocol protocol = tqc_protocol_of_family(tqc_library_family(entry->h_addrtype));
  for (char **a = entry->h_addr_list; a != nullptr && *a != nullptr; ++a) {
    in_addr address;
    std::memcpy(&address, *a, sizeof address);
    const char *text = api.p_inet_ntoa(address);
    if (text == nullptr) {
      rc = QMR_E_FAILED;
      break;
    }
    ITqcNetworkAddress *item = tqc_make_network_address(text, protocol, 0, &rc);
    if (item == nullptr) break;
    rc = made->append(item);
    if (rc != QMR_OK) break;
  }
  if (rc != QMR_OK) {
    made->release();
    return rc;
  }
  *list = made;
  return QMR_OK;
}

int32_t CTqcHostEntService::host_name_of(const char *text, ITqsOctetBuffer *out) const {
  if (text == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CTqcSocketScope scope(CTqcSocketScope::kVersion11);
  if (scope.result() != QMR_OK) return scope.result();
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  auto address = api.p_inet_addr(text);
  // inet_addr's error value is also the limited broadcast address.
  if (address == static_cast<decltype(address)>(INADDR_NONE) && std::strncmp(text, kLimitedBroadcast, sizeof kLimitedBroadcast - 1) != 0) {
    return QMR_E_FAILED;
  }
  hostent *entry = api.p_gethostbyaddr(reinterpret_cast<const char *>(&address), sizeof address, tqc_native_family(kTqcFamilyInet));
  if (entry == nullptr || entry->h_name == nullptr) return QMR_E_FAILED;
  return out->set_text(entry->h_name);
}

int32_t CTqcHostEntService::local_address(EProtocol protocol, ITqcNetworkAddress **address) const {
  if (address == nullptr) return QMR_E_INVALID_ARG;
  *address = nullptr;
  if (protocol == ITqcNetworkAddress::IPX) return QMR_E_NOT_SUPPORTED;
  CTqcSocketScope scope(CTqcSocketScope::kVersion11);
  if (scope.result() != QMR_OK) return scope.result();
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  char host[kHostBufferSize] = {};
  if (api.p_gethostname(host, sizeof host - 1) != 0) return QMR_E_FAILED;
  hostent *entry = api.p_gethostbyname(host);
  if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) return QMR_E_FAILED;
  in_addr first;
  std::memcpy(&first, entry->h_addr_list[0], sizeof first);
  const char *text = api.p_inet_ntoa(first);
  if (text == nullptr) return QMR_E_FAILED;
  int32_t rc = QMR_OK;
  *address = tqc_make_network_address(text, tqc_protocol_of_family(tqc_library_family(entry->h_addrtype)), 0, &rc);
  return rc;
}

int32_t CTqcHostEntService::port_of_service(const char *name, EProtocol /*protocol*/, uint16_t *port) const {
  if (name == nullptr || port == nullptr) return QMR_E_INVALID_ARG;
  CTqcSocketScope scope(CTqcSocketScope::kVersion11);
  if (scope.result() != QMR_OK) return scope.result();
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  servent *entry = api.p_getservbyname(name, "udp");
  if (entry == nullptr) return QMR_E_FAILED;
  *port = api.p_ntohs(static_cast<uint16_t>(entry->s_port));
  return QMR_OK;
}
