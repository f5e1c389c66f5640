#include "net/adapter_list.h"

#include <cstring>
#include <new>

#include "qmr.h"

namespace {

std::unique_ptr<uint64_t[]> allocate(uint32_t size) {
  size_t words = (static_cast<size_t>(size) + sizeof(uint64_t) - 1) / sizeof(uint64_t);
  std::unique_ptr<uint64_t[]> made(new (std::nothrow) uint64_t[words == 0 ? 1 : words]);
  if (made) std::memset(made.get(), 0, words * sizeof(uint64_t));
  return made;
}

}  // namespace

int32_t CTqcAdapterList::open() { return NTqcIpHelpAPI::load(); }

int32_t CTqcAdapterList::fetch_ipv4(const TqcAdapterInfo **list) {
  if (list == nullptr) return QMR_E_INVALID_ARG;
  *list = nullptr;
  TqcGetAdaptersInfoFn get = NTqcIpHelpAPI::api().p_GetAdaptersInfo;
  if (get == nullptr) return QMR_E_SYSTEM_LIBRARY;
  uint32_t size = 0;
  if (get(nullptr, &size) != kTqcErrorBufferOverflow) return QMR_E_OUT_OF_RANGE;
  m_ipv4.reset();
  m_ipv4 = allocate(size);
  if (!m_ipv4) return QMR_E_NO_MEMORY;
  auto *records = reinterpret_cast<TqcAdapterInfo *>(m_ipv4.get());
  if (get(records, &size) != kTqcErrorSuccess) return QMR_E_OUT_OF_RANGE;
  *list = records;
  return QMR_OK;
}

int32_t CTqcAdapterList::fetch_ipv6(const TqcAdapterAddresses **list) {
  if (list == nullptr) return QMR_E_INVALID_ARG;
  *list = nullptr;
  TqcGetAdaptersAddressesFn get = NTqcIpHelpAPI::api().p_GetAdaptersAddresses;
  if (get == nullptr) return QMR_E_SYSTEM_LIBRARY;
  uint32_t size = 0;
  if (get(kTqcFamilyInet6, kTqcAdapterAddressFlags, nullptr, nullptr, &size) != kTqcErrorBufferOverflow) {
    return QMR_E_OUT_OF_RANGE;
  }
  m_ipv6.reset();
  m_ipv6 = allocate(size);
  if (!m_ipv6) return QMR_E_NO_MEMORY;
  auto *records = reinterpret_cast<TqcAdapterAddresses *>(m_ipv6.get());
  if (get(kTqcFamilyInet6, kTqcAdapterAddressFlags, nullptr, records, &size) != kTqcErrorSuccess) {
    return QMR_E_OUT_OF_RANGE;
  }
  *list = records;
  return QMR_OK;
}

bool tqc_is_nonzero_ipv6(const TqcUnicastAddress *unicast) {
  if (unicast == nullptr || unicast->address == nullptr ||
      unicast->address->sa_family != tqc_native_family(kTqcFamilyInet6)) {
    return false;
  }
  const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(unicast->address);
  static const uint8_t kZero[16] = {};
  return std::memcmp(&in6->sin6_addr, kZero, sizeof kZero) != 0;
}
