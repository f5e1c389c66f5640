// Process-wide binding of the IP helper library (adapter lists and the best
// interface toward a destination). Every entry point is optional: users
// check the pointer they need.
#ifndef QMR_NET_IP_HELPER_API_H
#define QMR_NET_IP_HELPER_API_H

#include <cstdint>

#include "net/socket_types.h"

// Answers of the IP helper functions (system error numbers).
constexpr uint32_t kTqcErrorSuccess = 0;
constexpr uint32_t kTqcErrorBufferOverflow = 111;
constexpr uint32_t kTqcErrorInsufficientBuffer = 122;
constexpr uint32_t kTqcErrorNoData = 232;
constexpr uint32_t kTqcErrorNotFound = 1168;

// Interface types as the IP helper reports them.
constexpr uint32_t kTqcIfTypeOther = 1;
constexpr uint32_t kTqcIfTypeEthernet = 6;
constexpr uint32_t kTqcIfTypeLoopback = 24;
constexpr uint32_t kTqcIfTypeTunnel = 131;

// Skip anycast, multicast and DNS server addresses and the friendly name.
constexpr uint32_t kTqcAdapterAddressFlags = 30;
constexpr uint32_t kTqcMaxHardwareBytes = 8;

// One IPv4 adapter: the fields the address service reads.
struct TqcAdapterInfo {
  TqcAdapterInfo *next;
  uint32_t index;
  uint32_t type;
  uint32_t address_length;
  uint8_t address[kTqcMaxHardwareBytes];
  char ip_address[16];  // first IPv4 address, "0.0.0.0" when none
};

struct TqcUnicastAddress {
  TqcUnicastAddress *next;
  sockaddr *address;
  int32_t address_length;
};

// One adapter of the protocol-independent list.
struct TqcAdapterAddresses {
  TqcAdapterAddresses *next;
  uint32_t if_index;  // IPv4 interface index
  TqcUnicastAddress *first_unicast;
  uint32_t physical_length;
  uint8_t physical[kTqcMaxHardwareBytes];
  uint32_t type;
  uint32_t ipv6_if_index;
};

// Families are the library's numbers (2, 23, 0 for both).
using TqcGetBestInterfaceExFn = uint32_t (*)(const sockaddr *destination, uint32_t *index);
using TqcGetAdaptersInfoFn = uint32_t (*)(TqcAdapterInfo *buffer, uint32_t *size);
using TqcGetAdaptersAddressesFn = uint32_t (*)(uint32_t family, uint32_t flags, void *reserved,
                                               TqcAdapterAddresses *buffer, uint32_t *size);

struct TqcIpHelpFunctions {
  TqcGetBestInterfaceExFn p_GetBestInterfaceEx;
  TqcGetAdaptersInfoFn p_GetAdaptersInfo;
  TqcGetAdaptersAddressesFn p_GetAdaptersAddresses;
};

extern const char *const kTqcIpHelperLibraryName;

namespace NTqcIpHelpAPI {

// Loads once: 0 or QMR_E_SYSTEM_LIBRARY (the next call tries again).
int32_t load();
// Binds the entry points it finds; logs each missing one. Always 0.
int32_t set_api(void *module);
// The bound pointers (null where missing or not loaded).
const TqcIpHelpFunctions &api();

}  // namespace NTqcIpHelpAPI

#endif  // QMR_NET_IP_HELPER_API_H
