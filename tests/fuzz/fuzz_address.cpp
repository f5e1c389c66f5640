// Address texts: both address services' protocol finding and normalising,
// the address object, the numeric fast path and the IPv6 text routine, on
// arbitrary text. Only local conversions run: nothing is looked up by name
// and nothing is sent.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "net/addrinfo_service.h"
#include "net/hostent_service.h"
#include "net/ipv4_text.h"
#include "net/network_address.h"
#include "net/numeric_address.h"
#include "net/octet_buffer.h"
#include "qmr.h"

namespace {

struct Releaser {
  template <typename T>
  void operator()(T *p) const {
    if (p) p->release();
  }
};
using Buffer = std::unique_ptr<ITqsOctetBuffer, Releaser>;
using Address = std::unique_ptr<ITqcNetworkAddress, Releaser>;

void check(bool condition, const char *what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

// Normalising is idempotent and keeps the protocol.
void exercise_service(const ITqcAddressService &service, const char *text) {
  EProtocol protocol = ITqcNetworkAddress::None;
  int32_t found = service.protocol_of(text, &protocol);
  check(found != QMR_OK || protocol != ITqcNetworkAddress::None, "a found protocol is not None");
  Buffer once(tqs_create_octet_buffer());
  if (service.normalize(text, once.get()) != QMR_OK) return;
  check(found == QMR_OK, "what normalises has a protocol");
  std::string first = once->c_str();
  EProtocol again = ITqcNetworkAddress::None;
  check(service.protocol_of(first.c_str(), &again) == QMR_OK && again == protocol,
        "normal form has the same protocol");
  Buffer twice(tqs_create_octet_buffer());
  check(service.normalize(first.c_str(), twice.get()) == QMR_OK, "normal form normalises");
  check(first == twice->c_str(), "normalising is idempotent");
}

void exercise_ipv6_routine(const char *text) {
  uint8_t bytes[16];
  if (tqc_ipv6_text_to_bytes(text, bytes) != QMR_OK) return;
  char full[64];
  snprintf(full, sizeof full, "%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x",
           bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
           bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  uint8_t back[16];
  check(tqc_ipv6_text_to_bytes(full, back) == QMR_OK && memcmp(bytes, back, 16) == 0,
        "full IPv6 form reads back");
  // Where the system's parser also accepts the text, both agree.
  in6_addr system;
  if (inet_pton(AF_INET6, text, &system) == 1)
    check(memcmp(bytes, system.s6_addr, 16) == 0, "IPv6 bytes agree with inet_pton");
}

void exercise_numeric(const char *text) {
  sockaddr_storage parsed{};
  TqcSockLen length = 0;
  if (!tqc_parse_numeric_address(text, &parsed, &length)) return;
  char printed[128];
  if (!tqc_format_numeric_address(reinterpret_cast<const sockaddr *>(&parsed), printed, sizeof printed)) return;
  sockaddr_storage again{};
  TqcSockLen again_length = 0;
  check(tqc_parse_numeric_address(printed, &again, &again_length), "printed numeric address parses");
  check(again_length == length && memcmp(&parsed, &again, length) == 0, "numeric address reads back");
}

void exercise_object(const char *text, const char *other, uint16_t port) {
  int32_t rc = QMR_OK;
  Address address(tqc_create_network_address(text, port, &rc));
  check((address != nullptr) == (rc == QMR_OK), "factory result matches its object");
  if (!address) return;
  check(address->is_valid(), "an address made from text is valid");
  check(address->is_equal(address.get()), "an address equals itself");
  ITqcNetworkAddress *copy = nullptr;
  if (address->clone(&copy) == QMR_OK) {
    Address owned(copy);
    check(owned->is_equal(address.get()), "a clone equals its original");
    int32_t moved = owned->set_address(other);
    if (moved != QMR_OK) check(owned->is_equal(address.get()), "a refused text changes nothing");
    owned->normalize();
    owned->is_equal(address.get());
  }
  if (address->normalize() == QMR_OK) check(address->is_valid(), "a normalised address stays valid");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  uint16_t port = static_cast<uint16_t>(data[0] | data[1] << 8);
  std::string rest(reinterpret_cast<const char *>(data + 2), size - 2);
  size_t zero = rest.find('\0');
  std::string text = rest.substr(0, zero);
  std::string other = zero == std::string::npos ? std::string() : std::string(rest.c_str() + zero + 1);

  static const CTqcAddrInfoService addrinfo;
  static const CTqcHostEntService hostent;
  exercise_service(addrinfo, text.c_str());
  exercise_service(hostent, text.c_str());
  exercise_ipv6_routine(text.c_str());
  exercise_numeric(text.c_str());
  exercise_object(text.c_str(), other.c_str(), port);

  uint8_t ipx[10];
  uint8_t fields[4];
  if (tqc_parse_decimal_ipv4(text.c_str(), fields)) {
    char again[kTqcIPv4TextSize];
    tqc_format_ipv4(fields, again);
    uint8_t reread[4];
    check(tqc_parse_decimal_ipv4(again, reread) && std::memcmp(fields, reread, 4) == 0, "IPv4 texts read back");
  }
  if (tqc_parse_ipx_text(text.c_str(), ipx)) check(text.size() == 21, "IPX texts are 21 characters");
  return 0;
}
