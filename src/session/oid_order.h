// What table walks need of OIDs and values: the order GETNEXT follows, sub-
// identifier by sub-identifier (the OID's own compare orders the dotted
// texts, which puts .10 before .9), and what counts as no value.
#ifndef QMR_SESSION_OID_ORDER_H
#define QMR_SESSION_OID_ORDER_H

#include <cstdint>

#include "snmp/oid.h"

// The sub-identifiers of `oid`; none for an empty or unreadable OID.
inline const uint32_t *tqc_oid_ids(const ITqsOid *oid, uint32_t *count) {
  const uint32_t *ids = oid->sub_identifiers();
  *count = ids != nullptr ? oid->length() : 0;
  return ids;
}

// -1, 0 or 1 as `a` comes before, equals or follows `b`.
inline int tqc_compare_oid_numeric(const ITqsOid *a, const ITqsOid *b) {
  uint32_t na = 0, nb = 0;
  const uint32_t *pa = tqc_oid_ids(a, &na);
  const uint32_t *pb = tqc_oid_ids(b, &nb);
  const uint32_t n = na < nb ? na : nb;
  for (uint32_t i = 0; i < n; ++i) {
    if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
  }
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

// True for no value or an exception value (noSuchObject, noSuchInstance,
// endOfMibView): no cell of a table, whatever its name says.
inline bool tqc_is_exception_value(const ITqsSnmpValue *value) {
  if (value == nullptr) return true;
  const uint32_t type = value->type();
  return type == kTqsNoSuchObject || type == kTqsNoSuchInstance || type == kTqsEndOfMibView;
}

#endif  // QMR_SESSION_OID_ORDER_H
