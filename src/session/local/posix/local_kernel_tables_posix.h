// This host's IPv4 route, interface and address tables as the kernel
// reports them (/proc/net/route, the interface index list, getifaddrs),
// shared by the IP helper table functions and the in-process MIB-II agent.
#ifndef QMR_SESSION_POSIX_LOCAL_KERNEL_TABLES_POSIX_H
#define QMR_SESSION_POSIX_LOCAL_KERNEL_TABLES_POSIX_H

#include <vector>

#include "session/local/local_system_types.h"

// Each fills `rows` in sorted order (routes and addresses by address,
// interfaces by index); false when the kernel cannot be read. Addresses
// are in network byte order, as the IP helper rows hold them.
bool tqc_read_kernel_routes(std::vector<TqcIpForwardRow> &rows);
bool tqc_read_kernel_interfaces(std::vector<TqcIfRow> &rows);
bool tqc_read_kernel_addresses(std::vector<TqcIpAddrRow> &rows);

// Entry points of the in-process MIB-II agent ("inetmib1.dll").
void *tqc_posix_mib2_agent_symbol(const char *name);
// The IP helper's table entry points.
void *tqc_posix_ip_table_symbol(const char *name);

#endif  // QMR_SESSION_POSIX_LOCAL_KERNEL_TABLES_POSIX_H
