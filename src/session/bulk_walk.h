// Bulk table walks: a session in front of another that answers the table
// walk's GetNextRequests from GetBulkRequests, many rows per exchange, so
// that the walk itself (and every rule it applies to the rows) is the same
// whether it runs row by row or in bulk.
#ifndef QMR_SESSION_BULK_WALK_H
#define QMR_SESSION_BULK_WALK_H

#include <cstddef>
#include <cstdint>

#include "snmp/snmp_session.h"

class ITqsSnmpTarget;

// What the reads of one exported call learn beyond the request at hand.
// Each GetBulkRequest of the call also asks, as non-repeaters, the first
// GETNEXT of every planned walk and the GETNEXT of the object before every
// planned single value not asked or answered yet, and a planned GET's
// exchange takes the first planned walk not begun as its repeaters, so
// that those reads start (and an empty table, a short one or a scalar
// ends) with no exchange of their own. Nothing is kept past the call: each
// call reads the device anew.
class ITqcBulkShare {
 public:
  virtual void release() = 0;
  // A later walk of `count` columns (its first GETNEXT asks for them).
  virtual int32_t plan_walk(const char *const *columns, size_t count) = 0;
  // A later GET of `oid` (with ".0" appended when `scalar`).
  virtual int32_t plan_get(const char *oid, bool scalar) = 0;

 protected:
  virtual ~ITqcBulkShare() = default;
};

// Null with -3 when out of memory.
ITqcBulkShare *tqc_create_bulk_share(int32_t *result = nullptr);

// A GetNextRequest is answered, when every OID it asks for is covered by
// the last GetBulkRequest's answer, from that answer with no exchange; else
// one GetBulkRequest (non-repeaters 0 without a share) goes to
// `bulk_target` through `inner` for the same OIDs and the request is
// answered from it. An agent's
// answer is trusted only as far as its OIDs keep increasing; an endOfMibView
// answers every later OID of its column. Max-repetitions is chosen so that
// the answer fits the target's maximum message size (learnt from the cells
// seen), and halved and the request repeated on tooBig or an answer that
// could not be read. The GetNextRequest goes to `inner` itself, as a row-by-
// row walk would send it, when even one repetition does not fit or the
// request alone is too big; after an answer with an error-status or
// without one whole repetition, so does every later one. Every other
// request passes to `inner` unchanged.
//
// With a `share`, its planned objects not yet answered ride along with
// each GetBulkRequest, and a GetRequest is answered from the share when the
// GETNEXT of the object before each instance asked for gave exactly that
// instance; else (for a planned GET the share knows nothing of, after one
// GetBulkRequest carrying the plan) the GetRequest goes to `inner` as it
// is.
//
// `inner`, `bulk_target` and `share` are lent and must outlive the session
// (a SNMPv2c target for community devices, the user target for SNMPv3).
// Null with -2 for a null argument, -3 when out of memory.
ITqsSnmpSession *tqc_create_bulk_walk_session(ITqsSnmpSession *inner, ITqsSnmpTarget *bulk_target,
                                              int32_t *result = nullptr, ITqcBulkShare *share = nullptr);

#endif  // QMR_SESSION_BULK_WALK_H
