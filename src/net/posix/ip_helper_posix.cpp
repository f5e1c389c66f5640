// The IP helper entry points built on the kernel's interface list
// (getifaddrs). Lists follow the IP helper's two-call protocol: a call with
// too small a buffer reports the size it needs.
#include <ifaddrs.h>
#include <net/if_arp.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/ip_helper_api.h"
#include "net/posix/builtin_module_posix.h"

namespace {

#ifndef ARPHRD_IP6GRE
constexpr unsigned short ARPHRD_IP6GRE = 823;  // missing from older C library headers
#endif

struct TqcLink {
  std::string name;
  uint32_t index = 0;
  uint32_t type = kTqcIfTypeEthernet;
  uint32_t hw_length = 0;
  uint8_t hw[kTqcMaxHardwareBytes] = {};
  std::string first_ipv4;
  std::vector<sockaddr_storage> addresses;  // in kernel order
};

uint32_t type_of(unsigned int flags, unsigned short hatype) {
  if ((flags & IFF_LOOPBACK) != 0 || hatype == ARPHRD_LOOPBACK) return kTqcIfTypeLoopback;
  switch (hatype) {
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_NONE:  // tun and wireguard devices
      return kTqcIfTypeTunnel;
    case ARPHRD_ETHER:
      return kTqcIfTypeEthernet;
    default:
      return kTqcIfTypeOther;
  }
}

TqcLink &link_named(std::vector<TqcLink> &links, const char *name) {
  for (TqcLink &l : links) {
    if (l.name == name) return l;
  }
  links.emplace_back();
  links.back().name = name;
  links.back().index = if_nametoindex(name);
  return links.back();
}

// The interfaces that are up, with their addresses of `family` (native,
// AF_UNSPEC for all). False when the kernel cannot be asked.
bool read_links(int family, std::vector<TqcLink> &links) {
  ifaddrs *list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (ifaddrs *a = list; a != nullptr; a = a->ifa_next) {
    if (a->ifa_name == nullptr || (a->ifa_flags & IFF_UP) == 0) continue;
    TqcLink &link = link_named(links, a->ifa_name);
    if (a->ifa_addr == nullptr) continue;
    int f = a->ifa_addr->sa_family;
    if (f == AF_PACKET) {
      const auto *ll = reinterpret_cast<const sockaddr_ll *>(a->ifa_addr);
      link.type = type_of(a->ifa_flags, ll->sll_hatype);
      link.hw_length = ll->sll_halen < kTqcMaxHardwareBytes ? ll->sll_halen : kTqcMaxHardwareBytes;
      std::memcpy(link.hw, ll->sll_addr, link.hw_length);
    } else if (f == AF_INET || f == AF_INET6) {
      if ((a->ifa_flags & IFF_LOOPBACK) != 0) link.type = kTqcIfTypeLoopback;
      if (f == AF_INET && link.first_ipv4.empty()) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(a->ifa_addr)->sin_addr, text, sizeof text);
        link.first_ipv4 = text;
      }
      if (family == AF_UNSPEC || family == f) {
        sockaddr_storage s{};
        std::memcpy(&s, a->ifa_addr, f == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
        link.addresses.push_back(s);
      }
    }
  }
  freeifaddrs(list);
  return true;
}

uint32_t get_adapters_info(TqcAdapterInfo *buffer, uint32_t *size) {
  if (size == nullptr) return kTqcErrorInsufficientBuffer;
  std::vector<TqcLink> links;
  if (!read_links(AF_INET, links)) return kTqcErrorNotFound;
  if (links.empty()) return kTqcErrorNoData;
  size_t needed = links.size() * sizeof(TqcAdapterInfo);
  if (buffer == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return kTqcErrorBufferOverflow;
  }
  std::memset(buffer, 0, needed);
  for (size_t i = 0; i < links.size(); ++i) {
    TqcAdapterInfo &out = buffer[i];
    const TqcLink &l = links[i];
    out.next = i + 1 < links.size() ? &buffer[i + 1] : nullptr;
    out.index = l.index;
    out.type = l.type;
    out.address_length = l.hw_length;
    std::memcpy(out.address, l.hw, l.hw_length);
    std::snprintf(out.ip_address, sizeof out.ip_address, "%s", l.first_ipv4.empty() ? "0.0.0.0" : l.first_ipv4.c_str());
  }
  return kTqcErrorSuccess;
}

uint32_t get_adapters_addresses(uint32_t family, uint32_t /*flags*/, void * /*reserved*/,
                                TqcAdapterAddresses *buffer, uint32_t *size) {
  if (size == nullptr) return kTqcErrorInsufficientBuffer;
  int native = tqc_native_family(static_cast<int>(family));
  if (native < 0) return kTqcErrorInsufficientBuffer;
  std::vector<TqcLink> links;
  if (!read_links(native, links)) return kTqcErrorNotFound;
  if (links.empty()) return kTqcErrorNoData;
  size_t unicast_count = 0;
  for (const TqcLink &l : links) unicast_count += l.addresses.size();
  size_t needed = links.size() * sizeof(TqcAdapterAddresses) + unicast_count * sizeof(TqcUnicastAddress) +
                  unicast_count * sizeof(sockaddr_storage);
  if (buffer == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return kTqcErrorBufferOverflow;
  }
  std::memset(buffer, 0, needed);
  auto *unicast = reinterpret_cast<TqcUnicastAddress *>(buffer + links.size());
  auto *storage = reinterpret_cast<sockaddr_storage *>(unicast + unicast_count);
  for (size_t i = 0; i < links.size(); ++i) {
    TqcAdapterAddresses &out = buffer[i];
    const TqcLink &l = links[i];
    out.next = i + 1 < links.size() ? &buffer[i + 1] : nullptr;
    out.if_index = l.index;
    out.ipv6_if_index = l.index;
    out.type = l.type;
    out.physical_length = l.hw_length;
    std::memcpy(out.physical, l.hw, l.hw_length);
    TqcUnicastAddress *previous = nullptr;
    for (const sockaddr_storage &s : l.addresses) {
      *storage = s;
      unicast->address = reinterpret_cast<sockaddr *>(storage);
      unicast->address_length =
          static_cast<int32_t>(s.ss_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
      if (previous == nullptr) {
        out.first_unicast = unicast;
      } else {
        previous->next = unicast;
      }
      previous = unicast++;
      ++storage;
    }
  }
  return kTqcErrorSuccess;
}

bool same_address(const sockaddr *a, const sockaddr_storage &b) {
  if (a->sa_family != b.ss_family) return false;
  if (a->sa_family == AF_INET) {
    return reinterpret_cast<const sockaddr_in *>(a)->sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in *>(&b)->sin_addr.s_addr;
  }
  return std::memcmp(&reinterpret_cast<const sockaddr_in6 *>(a)->sin6_addr,
                     &reinterpret_cast<const sockaddr_in6 *>(&b)->sin6_addr, sizeof(in6_addr)) == 0;
}

// The kernel's route choice: connecting a datagram socket sends nothing but
// fixes its source address, which names the outgoing interface.
uint32_t get_best_interface_ex(const sockaddr *destination, uint32_t *index) {
  if (destination == nullptr || index == nullptr) return kTqcErrorInsufficientBuffer;
  int family = destination->sa_family;
  if (family != AF_INET && family != AF_INET6) return kTqcErrorNotFound;
  socklen_t length = family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
  sockaddr_storage target{};
  std::memcpy(&target, destination, length);
  // connect needs a port; any non-zero one routes the same way.
  if (family == AF_INET) {
    auto *in = reinterpret_cast<sockaddr_in *>(&target);
    if (in->sin_port == 0) in->sin_port = htons(9);
  } else {
    auto *in6 = reinterpret_cast<sockaddr_in6 *>(&target);
    if (in6->sin6_port == 0) in6->sin6_port = htons(9);
  }
  int fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kTqcErrorNotFound;
  sockaddr_storage source{};
  socklen_t source_length = sizeof source;
  bool routed = ::connect(fd, reinterpret_cast<sockaddr *>(&target), length) == 0 &&
                ::getsockname(fd, reinterpret_cast<sockaddr *>(&source), &source_length) == 0;
  ::close(fd);
  if (!routed) return kTqcErrorNotFound;
  std::vector<TqcLink> links;
  if (!read_links(family, links)) return kTqcErrorNotFound;
  for (const TqcLink &l : links) {
    for (const sockaddr_storage &s : l.addresses) {
      if (same_address(reinterpret_cast<const sockaddr *>(&source), s)) {
        *index = l.index;
        return kTqcErrorSuccess;
      }
    }
  }
  return kTqcErrorNotFound;
}

}  // namespace

void *tqc_posix_ip_helper_symbol(const char *name) {
  if (name == nullptr) return nullptr;
  if (std::strcmp(name, "GetBestInterfaceEx") == 0) return reinterpret_cast<void *>(&get_best_interface_ex);
  if (std::strcmp(name, "GetAdaptersInfo") == 0) return reinterpret_cast<void *>(&get_adapters_info);
  if (std::strcmp(name, "GetAdaptersAddresses") == 0) return reinterpret_cast<void *>(&get_adapters_addresses);
  return nullptr;
}
