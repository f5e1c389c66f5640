#include <cstring>

#include "net/numeric_address.h"

bool tqc_parse_numeric_address(const char *text, sockaddr_storage *out, TqcSockLen *length) {
  if (text == nullptr || out == nullptr || length == nullptr) return false;
  std::memset(out, 0, sizeof *out);
  auto *in = reinterpret_cast<sockaddr_in *>(out);
  if (inet_pton(AF_INET, text, &in->sin_addr) == 1) {
    in->sin_family = AF_INET;
    *length = sizeof(sockaddr_in);
    return true;
  }
  // Scoped texts need the interface name table: left to the resolver.
  if (std::strchr(text, '%') != nullptr) return false;
  auto *in6 = reinterpret_cast<sockaddr_in6 *>(out);
  if (inet_pton(AF_INET6, text, &in6->sin6_addr) == 1) {
    in6->sin6_family = AF_INET6;
    *length = sizeof(sockaddr_in6);
    return true;
  }
  return false;
}

bool tqc_format_numeric_address(const sockaddr *address, char *text, size_t capacity) {
  if (address == nullptr || text == nullptr) return false;
  if (address->sa_family == AF_INET) {
    return inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text,
                     static_cast<socklen_t>(capacity)) != nullptr;
  }
  if (address->sa_family == AF_INET6) {
    const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(address);
    if (in6->sin6_scope_id != 0) return false;
    return inet_ntop(AF_INET6, &in6->sin6_addr, text, static_cast<socklen_t>(capacity)) != nullptr;
  }
  return false;
}
