// The process-wide request-id counter shared by every session; in the SNMP
// layer because both session libraries (session/, session/v3/) take from it.
#ifndef QMR_SNMP_REQUEST_ID_H
#define QMR_SNMP_REQUEST_ID_H

#include <cstdint>

// The next request id: 0 for the first request of the process, then 1, 2, ...
// wrapping modulo 2^32. An atomic increment, safe from any thread. Every
// encoding of a request (each fragment too) takes one; retries reuse theirs.
uint32_t tqs_next_request_id();

#endif  // QMR_SNMP_REQUEST_ID_H
