// Dotted-quad IPv4 texts without the socket library (its inet_pton would be
// a load-time import). IPv6 texts are declined and go through the bound
// resolver.
#include <cstdio>
#include <cstring>

#include "net/numeric_address.h"

namespace {

constexpr int kOctets = 4;

// Four decimal fields of 0..255 without leading zeros, as inet_pton takes.
bool parse_ipv4(const char *text, uint8_t out[kOctets]) {
  const char *p = text;
  for (int i = 0; i < kOctets; ++i) {
    if (*p < '0' || *p > '9') return false;
    if (*p == '0' && p[1] >= '0' && p[1] <= '9') return false;
    unsigned value = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 4) {
      value = value * 10 + static_cast<unsigned>(*p++ - '0');
      ++digits;
    }
    if (value > 255 || (*p >= '0' && *p <= '9')) return false;
    out[i] = static_cast<uint8_t>(value);
    if (i + 1 < kOctets && *p++ != '.') return false;
  }
  return *p == '\0';
}

}  // namespace

bool tqc_parse_numeric_address(const char *text, sockaddr_storage *out, TqcSockLen *length) {
  if (text == nullptr || out == nullptr || length == nullptr) return false;
  std::memset(out, 0, sizeof *out);
  uint8_t octets[kOctets];
  if (!parse_ipv4(text, octets)) return false;
  auto *in = reinterpret_cast<sockaddr_in *>(out);
  in->sin_family = AF_INET;
  std::memcpy(&in->sin_addr, octets, sizeof octets);
  *length = sizeof(sockaddr_in);
  return true;
}

bool tqc_format_numeric_address(const sockaddr *address, char *text, size_t capacity) {
  if (address == nullptr || text == nullptr || address->sa_family != AF_INET) return false;
  const auto *b = reinterpret_cast<const uint8_t *>(&reinterpret_cast<const sockaddr_in *>(address)->sin_addr);
  int written = std::snprintf(text, capacity, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return written > 0 && static_cast<size_t>(written) < capacity;
}
