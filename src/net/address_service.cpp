#include "net/address_service.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "net/addrinfo_service.h"
#include "net/hostent_service.h"
#include "net/octet_buffer.h"
#include "net/socket_api.h"
#include "qmr.h"

namespace {

std::atomic<ITqcAddressService *> g_service{nullptr};
std::mutex g_service_lock;

// Lives until the process ends; its owner frees it at unload.
struct TqcServiceHolder {
  ~TqcServiceHolder() { delete g_service.exchange(nullptr); }
} g_service_holder;

}  // namespace

ITqcAddressService *tqc_address_service(int32_t *result) {
  ITqcAddressService *service = g_service.load(std::memory_order_acquire);
  if (service == nullptr) {
    std::lock_guard<std::mutex> hold(g_service_lock);
    service = g_service.load(std::memory_order_acquire);
    if (service == nullptr) {
      if (NTqcSocketAPI::has_protocol_independent_api()) {
        service = new (std::nothrow) CTqcAddrInfoService();
      } else {
        service = new (std::nothrow) CTqcHostEntService();
      }
      // A failed allocation leaves no instance, so the next call tries again.
      g_service.store(service, std::memory_order_release);
    }
  }
  if (result != nullptr) *result = service != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return service;
}

int32_t tqc_normalize_address(const char *text, ITqsOctetBuffer *out) {
  int32_t rc = QMR_OK;
  ITqcAddressService *service = tqc_address_service(&rc);
  return service == nullptr ? rc : service->normalize(text, out);
}

int32_t tqc_protocol_of_address(const char *text, EProtocol *protocol) {
  int32_t rc = QMR_OK;
  ITqcAddressService *service = tqc_address_service(&rc);
  return service == nullptr ? rc : service->protocol_of(text, protocol);
}

int32_t tqc_is_address(const char *text, bool *is_address) {
  if (is_address == nullptr) return QMR_E_INVALID_ARG;
  *is_address = false;
  EProtocol protocol = ITqcNetworkAddress::None;
  int32_t rc = tqc_protocol_of_address(text, &protocol);
  if (rc != QMR_OK) return rc;
  *is_address = protocol != ITqcNetworkAddress::None;
  return QMR_OK;
}

int32_t tqc_compare_addresses(const char *a, const char *b, bool *equal) {
  if (equal == nullptr) return QMR_E_INVALID_ARG;
  *equal = false;
  int32_t rc = QMR_OK;
  TqcBufferPtr first(tqs_create_octet_buffer(&rc));
  if (!first) return rc;
  TqcBufferPtr second(tqs_create_octet_buffer(&rc));
  if (!second) return rc;
  rc = tqc_normalize_address(a, first.get());
  if (rc != QMR_OK) return rc;
  rc = tqc_normalize_address(b, second.get());
  if (rc != QMR_OK) return rc;
  *equal = first->equals_buffer(second.get());
  return QMR_OK;
}

int32_t tqc_is_transport_available(EProtocol protocol, bool *available) {
  int32_t rc = QMR_OK;
  ITqcAddressService *service = tqc_address_service(&rc);
  return service == nullptr ? rc : service->is_transport_available(protocol, available);
}

namespace {

constexpr size_t kIpv6WorkLength = 43;  // longest text with eight full groups and scope room
constexpr int kIpv6Groups = 8;

// Zero runs that complete the groups around "::", by the number of ":" in
// the text (2 to 8); the second set is for texts that begin with "::".
const char *const kZeroRun[] = {":0:0:0:0:0:0:", ":0:0:0:0:0:", ":0:0:0:0:", ":0:0:0:", ":0:0:", ":0:", ":"};
const char *const kLeadingZeroRun[] = {"0:0:0:0:0:0:0:", "0:0:0:0:0:0:", "0:0:0:0:0:", "0:0:0:0:",
                                       "0:0:0:",         "0:0:",         "0:"};

// Appends `part` to the working text; false when it would pass the bound.
bool append_bounded(char *work, size_t &used, const char *part, size_t length) {
  if (used + length > kIpv6WorkLength) return false;
  std::memcpy(work + used, part, length);
  used += length;
  work[used] = '\0';
  return true;
}

}  // namespace

int32_t tqc_ipv6_text_to_bytes(const char *text, uint8_t bytes[16]) {
  if (text == nullptr || bytes == nullptr) return QMR_E_INVALID_ARG;
  char work[kIpv6WorkLength + 1] = {};
  const char *gap = std::strstr(text, "::");
  if (gap != nullptr) {
    int colons = 0;
    for (const char *p = text; *p != '\0' && colons < kIpv6Groups; ++p) {
      if (*p == ':') ++colons;
    }
    // With fewer than two colons there is no "::"; more than eight groups
    // cannot be completed.
    if (colons < 2) return QMR_E_INVALID_ARG;
    size_t used = 0;
    const char *tail = gap + 2;
    bool fits = append_bounded(work, used, text, static_cast<size_t>(gap - text));
    const char *run = gap == text ? kLeadingZeroRun[colons - 2] : kZeroRun[colons - 2];
    fits = fits && append_bounded(work, used, run, std::strlen(run));
    fits = fits && append_bounded(work, used, tail, std::strlen(tail));
    if (!fits) return QMR_E_INVALID_ARG;  // refused rather than cut: a cut text could parse as another address
  } else {
    std::snprintf(work, sizeof work, "%s", text);
  }
  unsigned int groups[kIpv6Groups] = {};
  char extra = 0;
  int fields = std::sscanf(work, "%x:%x:%x:%x:%x:%x:%x:%x%c", &groups[0], &groups[1], &groups[2], &groups[3],
                           &groups[4], &groups[5], &groups[6], &groups[7], &extra);
  // A scope suffix may follow the groups; any other trailing text is refused.
  if (fields != kIpv6Groups && !(fields == kIpv6Groups + 1 && extra == '%')) return QMR_E_INVALID_ARG;
  for (int i = 0; i < kIpv6Groups; ++i) {
    if (groups[i] > 0xffff) return QMR_E_INVALID_ARG;
    bytes[2 * i] = static_cast<uint8_t>(groups[i] >> 8);
    bytes[2 * i + 1] = static_cast<uint8_t>(groups[i]);
  }
  return QMR_OK;
}
