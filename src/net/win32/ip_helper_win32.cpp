// The IP helper's adapter lists in the library's record layout. The system
// functions are called with their own two-call protocol; the translators
// keep that protocol towards the library: a call without a buffer, or with
// too small a one, reports the size the converted list needs.
// winsock2 first: the adapter address records need its types.
#include "net/socket_types.h"

#include <iphlpapi.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "net/ip_helper_api.h"
#include "net/win32/module_loader_win32.h"
#include "net/win32/system_list_win32.h"

namespace {

using SystemGetAdaptersInfoFn = ULONG(WINAPI *)(PIP_ADAPTER_INFO, PULONG);
using SystemGetAdaptersAddressesFn = ULONG(WINAPI *)(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG);

std::atomic<SystemGetAdaptersInfoFn> g_adapters_info{nullptr};
std::atomic<SystemGetAdaptersAddressesFn> g_adapters_addresses{nullptr};

uint32_t WINAPI get_adapters_info(TqcAdapterInfo *buffer, uint32_t *size) {
  SystemGetAdaptersInfoFn system = g_adapters_info.load(std::memory_order_acquire);
  if (size == nullptr || system == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<uint64_t> storage;
  DWORD rc = tqc_win32_fetch_list([system](void *b, ULONG *s) { return system(static_cast<PIP_ADAPTER_INFO>(b), s); },
                                  ERROR_BUFFER_OVERFLOW, storage);
  if (rc != ERROR_SUCCESS) return rc;
  const auto *first = reinterpret_cast<const IP_ADAPTER_INFO *>(storage.data());
  size_t count = 0;
  for (const IP_ADAPTER_INFO *a = first; a != nullptr; a = a->Next) ++count;
  if (count == 0) return ERROR_NO_DATA;
  size_t needed = count * sizeof(TqcAdapterInfo);
  if (buffer == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return ERROR_BUFFER_OVERFLOW;
  }
  std::memset(buffer, 0, needed);
  size_t i = 0;
  for (const IP_ADAPTER_INFO *a = first; a != nullptr; a = a->Next, ++i) {
    TqcAdapterInfo &out = buffer[i];
    out.next = i + 1 < count ? &buffer[i + 1] : nullptr;
    out.index = a->Index;
    out.type = a->Type;
    out.address_length = a->AddressLength < kTqcMaxHardwareBytes ? a->AddressLength : kTqcMaxHardwareBytes;
    std::memcpy(out.address, a->Address, out.address_length);
    static_assert(sizeof out.ip_address == sizeof a->IpAddressList.IpAddress.String, "same text size");
    std::memcpy(out.ip_address, a->IpAddressList.IpAddress.String, sizeof out.ip_address);
    out.ip_address[sizeof out.ip_address - 1] = '\0';
  }
  return ERROR_SUCCESS;
}

uint32_t WINAPI get_adapters_addresses(uint32_t family, uint32_t flags, void *reserved, TqcAdapterAddresses *buffer,
                                       uint32_t *size) {
  SystemGetAdaptersAddressesFn system = g_adapters_addresses.load(std::memory_order_acquire);
  if (size == nullptr || system == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<uint64_t> storage;
  DWORD rc = tqc_win32_fetch_list(
      [&](void *b, ULONG *s) { return system(family, flags, reserved, static_cast<PIP_ADAPTER_ADDRESSES>(b), s); },
      ERROR_BUFFER_OVERFLOW, storage);
  if (rc != ERROR_SUCCESS) return rc;
  const auto *first = reinterpret_cast<const IP_ADAPTER_ADDRESSES *>(storage.data());
  size_t count = 0;
  size_t unicast_count = 0;
  for (const IP_ADAPTER_ADDRESSES *a = first; a != nullptr; a = a->Next) {
    ++count;
    for (const IP_ADAPTER_UNICAST_ADDRESS *u = a->FirstUnicastAddress; u != nullptr; u = u->Next) ++unicast_count;
  }
  if (count == 0) return ERROR_NO_DATA;
  size_t needed = count * sizeof(TqcAdapterAddresses) + unicast_count * sizeof(TqcUnicastAddress) +
                  unicast_count * sizeof(sockaddr_storage);
  if (buffer == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return ERROR_BUFFER_OVERFLOW;
  }
  std::memset(buffer, 0, needed);
  auto *unicast = reinterpret_cast<TqcUnicastAddress *>(buffer + count);
  auto *address = reinterpret_cast<sockaddr_storage *>(unicast + unicast_count);
  size_t i = 0;
  for (const IP_ADAPTER_ADDRESSES *a = first; a != nullptr; a = a->Next, ++i) {
    TqcAdapterAddresses &out = buffer[i];
    out.next = i + 1 < count ? &buffer[i + 1] : nullptr;
    out.if_index = a->IfIndex;
    out.ipv6_if_index = a->Ipv6IfIndex;
    out.type = a->IfType;
    out.physical_length =
        a->PhysicalAddressLength < kTqcMaxHardwareBytes ? a->PhysicalAddressLength : kTqcMaxHardwareBytes;
    std::memcpy(out.physical, a->PhysicalAddress, out.physical_length);
    TqcUnicastAddress *previous = nullptr;
    for (const IP_ADAPTER_UNICAST_ADDRESS *u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
      int length = u->Address.iSockaddrLength;
      if (length < 0 || static_cast<size_t>(length) > sizeof *address) length = sizeof *address;
      if (u->Address.lpSockaddr != nullptr) std::memcpy(address, u->Address.lpSockaddr, static_cast<size_t>(length));
      unicast->address = reinterpret_cast<sockaddr *>(address);
      unicast->address_length = length;
      if (previous == nullptr) {
        out.first_unicast = unicast;
      } else {
        previous->next = unicast;
      }
      previous = unicast++;
      ++address;
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace

void *tqc_win32_adapter_translator(const char *name, void *system) {
  if (std::strcmp(name, "GetAdaptersInfo") == 0) {
    g_adapters_info.store(reinterpret_cast<SystemGetAdaptersInfoFn>(system), std::memory_order_release);
    return reinterpret_cast<void *>(&get_adapters_info);
  }
  if (std::strcmp(name, "GetAdaptersAddresses") == 0) {
    g_adapters_addresses.store(reinterpret_cast<SystemGetAdaptersAddressesFn>(system), std::memory_order_release);
    return reinterpret_cast<void *>(&get_adapters_addresses);
  }
  return nullptr;
}
