// Resolver-free conversion of plain numeric IPv4 and IPv6 texts. Sockets are
// opened per exchange, so the common texts must not cost a resolver call;
// anything these routines decline goes through the resolver as before.
#ifndef QMR_NET_NUMERIC_ADDRESS_H
#define QMR_NET_NUMERIC_ADDRESS_H

#include <cstddef>

#include "net/socket_types.h"

// Parses a dotted-quad IPv4 or an unscoped IPv6 text into `out` (native
// family, port 0); false when the text is anything else.
bool tqc_parse_numeric_address(const char *text, sockaddr_storage *out, TqcSockLen *length);
// Formats an IPv4 or unscoped IPv6 address as the resolver would with
// NI_NUMERICHOST; false when the resolver must do it.
bool tqc_format_numeric_address(const sockaddr *address, char *text, size_t capacity);

#endif  // QMR_NET_NUMERIC_ADDRESS_H
