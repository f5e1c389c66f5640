// The user-security settings a façade's init() hands to an SNMPv3 target.
#ifndef QMR_SESSION_USM_RECORD_H
#define QMR_SESSION_USM_RECORD_H

#include <cstdint>

// Field order is the security block's. Texts are lent (null reads as "");
// the codes are those of snmp/user_target.h (security level, then the
// authentication and privacy protocols).
struct STqcUsmRecord {
  const char *user_name;
  int32_t security_level;    // first choice
  int32_t auth_protocol;     // second choice
  int32_t priv_protocol;     // third choice
  const char *auth_pass_phrase;
  const char *priv_pass_phrase;
  const char *context_name;
};

#endif  // QMR_SESSION_USM_RECORD_H
