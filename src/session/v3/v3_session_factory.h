// Where the session dispatcher gets its SNMPv3 session from. The SNMPv3
// session's own files provide the definition.
#ifndef QMR_SESSION_V3_V3_SESSION_FACTORY_H
#define QMR_SESSION_V3_V3_SESSION_FACTORY_H

#include <cstdint>

#include "snmp/snmp_session.h"

// A new SNMPv3 session (serves user-based targets of version 2), or null
// with -3 through `result` (optional) when out of memory.
ITqsSnmpSession *tqc_create_v3_request_session(int32_t *result = nullptr);

#endif  // QMR_SESSION_V3_V3_SESSION_FACTORY_H
