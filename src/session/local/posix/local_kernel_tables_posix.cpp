#include "session/local/posix/local_kernel_tables_posix.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <net/route.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kRouteDirect = 3;
constexpr uint32_t kRouteIndirect = 4;
constexpr uint32_t kIfTypeOther = 1;
constexpr uint32_t kIfTypeEthernet = 6;
constexpr uint32_t kIfTypeLoopback = 24;
constexpr uint32_t kIfTypeTunnel = 131;
constexpr size_t kMaxRoutes = 65536;  // bound on what one read takes in

uint32_t host_order(uint32_t network_order) { return ntohl(network_order); }

uint32_t mib_type_of(int arp_type) {
  switch (arp_type) {
    case ARPHRD_LOOPBACK: return kIfTypeLoopback;
    case ARPHRD_ETHER: return kIfTypeEthernet;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_NONE:
      return kIfTypeTunnel;
    default:
      return kIfTypeOther;
  }
}

int arp_type_of(const char *name) {
  std::string path = std::string("/sys/class/net/") + name + "/type";
  FILE *file = std::fopen(path.c_str(), "re");
  if (file == nullptr) return -1;
  int type = -1;
  if (std::fscanf(file, "%d", &type) != 1) type = -1;
  std::fclose(file);
  return type;
}

bool has_route(const std::vector<TqcIpForwardRow> &rows, uint32_t destination, uint32_t mask) {
  for (const TqcIpForwardRow &r : rows) {
    if (r.destination == destination && r.mask == mask) return true;
  }
  return false;
}

// The main table leaves out the routes to this host's own addresses (they
// live in the kernel's local table). Add them as the IP helper lists them:
// a host route per address and the loopback network.
void add_local_routes(std::vector<TqcIpForwardRow> &rows) {
  std::vector<TqcIpAddrRow> addresses;
  if (!tqc_read_kernel_addresses(addresses)) return;
  const uint32_t host_mask = 0xffffffffu;
  for (const TqcIpAddrRow &a : addresses) {
    if (!has_route(rows, a.address, host_mask)) rows.push_back({a.address, host_mask, a.address, a.index, kRouteDirect});
    bool loopback = (ntohl(a.address) >> 24) == 127;
    uint32_t network = a.address & a.mask;
    if (loopback && !has_route(rows, network, a.mask)) rows.push_back({network, a.mask, a.address, a.index, kRouteDirect});
  }
}

}  // namespace

bool tqc_read_kernel_routes(std::vector<TqcIpForwardRow> &rows) {
  rows.clear();
  FILE *file = std::fopen("/proc/net/route", "re");
  if (file == nullptr) return false;
  char line[512];
  bool header = true;
  while (std::fgets(line, sizeof line, file) != nullptr && rows.size() < kMaxRoutes) {
    if (header) {
      header = false;
      continue;
    }
    char name[IF_NAMESIZE + 16] = {};
    unsigned int destination = 0, gateway = 0, flags = 0, mask = 0;
    // The kernel prints each address as the 32-bit word it stores, which
    // is already in network byte order in memory.
    if (std::sscanf(line, "%31s %x %x %x %*d %*d %*d %x", name, &destination, &gateway, &flags, &mask) != 5) continue;
    if ((flags & RTF_UP) == 0) continue;
    TqcIpForwardRow row{};
    row.destination = destination;
    row.mask = mask;
    row.next_hop = gateway;
    row.if_index = if_nametoindex(name);
    row.type = (flags & RTF_GATEWAY) != 0 ? kRouteIndirect : kRouteDirect;
    rows.push_back(row);
  }
  std::fclose(file);
  add_local_routes(rows);
  std::stable_sort(rows.begin(), rows.end(), [](const TqcIpForwardRow &a, const TqcIpForwardRow &b) {
    return host_order(a.destination) < host_order(b.destination);
  });
  return true;
}

bool tqc_read_kernel_interfaces(std::vector<TqcIfRow> &rows) {
  rows.clear();
  struct if_nameindex *list = if_nameindex();
  if (list == nullptr) return false;
  for (struct if_nameindex *i = list; i->if_index != 0 && i->if_name != nullptr; ++i) {
    TqcIfRow row{};
    row.index = i->if_index;
    row.type = mib_type_of(arp_type_of(i->if_name));
    size_t length = std::strlen(i->if_name);
    row.description_length = static_cast<uint32_t>(std::min<size_t>(length, kTqcMaxInterfaceDescription));
    std::memcpy(row.description, i->if_name, row.description_length);
    rows.push_back(row);
  }
  if_freenameindex(list);
  std::sort(rows.begin(), rows.end(), [](const TqcIfRow &a, const TqcIfRow &b) { return a.index < b.index; });
  return true;
}

bool tqc_read_kernel_addresses(std::vector<TqcIpAddrRow> &rows) {
  rows.clear();
  ifaddrs *list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (ifaddrs *a = list; a != nullptr; a = a->ifa_next) {
    if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET || a->ifa_name == nullptr) continue;
    // Address labels ("eth0:1") name their device before the colon.
    std::string device(a->ifa_name);
    device = device.substr(0, device.find(':'));
    TqcIpAddrRow row{};
    row.address = reinterpret_cast<const sockaddr_in *>(a->ifa_addr)->sin_addr.s_addr;
    if (a->ifa_netmask != nullptr) row.mask = reinterpret_cast<const sockaddr_in *>(a->ifa_netmask)->sin_addr.s_addr;
    row.index = if_nametoindex(device.c_str());
    row.broadcast = (a->ifa_flags & IFF_BROADCAST) != 0 ? 1 : 0;
    rows.push_back(row);
  }
  freeifaddrs(list);
  std::sort(rows.begin(), rows.end(), [](const TqcIpAddrRow &a, const TqcIpAddrRow &b) {
    return host_order(a.address) < host_order(b.address);
  });
  return true;
}
