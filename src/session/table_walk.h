// The table walk behind the façade's get_data(rows, root): GetNextRequests
// over several columns at once, kept aligned on the first column's rows.
#ifndef QMR_SESSION_TABLE_WALK_H
#define QMR_SESSION_TABLE_WALK_H

#include <cstdint>

#include "snmp/object_list.h"

class ITqsOid;
class ITqsPdu;
class ITqsSnmpSession;
class ITqsSnmpTarget;

// `pdu` holds one varbind per column OID on entry; it is reused for the
// requests. One row PDU per row of the first column is appended to `rows`,
// each with one varbind per column in column order. Where a column has no
// cell for the row (a sparse table, a missing column) the row holds a NULL
// value named by the column OID, followed by the row's index when the
// column belongs to the first column's table (same entry OID).
//
// The walk ends, with the rows collected so far and result 0, when the
// first column's answer is not inside both `root` and the first column, is
// not after the OID asked for (a v1 agent echoing the request with
// noSuchName, an endOfMibView), when an error-status comes back that does
// not just mark another column as exhausted, or after kTqcMaxWalkRows rows.
// A v1 noSuchName naming another column marks that column exhausted (its
// cells are empty from then on) and the request is repeated without it.
// Results: 0; -2 null argument; -3; -7 a response without the varbinds
// asked for; the session's code when an exchange fails.
int32_t tqc_walk_table(ITqsSnmpSession *session, ITqsPdu *pdu, ITqsSnmpTarget *target, const ITqsOid *root,
                       ITqsPduList *rows);

// Upper bound on the rows of one walk, so that an agent whose OIDs keep
// growing cannot keep it going for ever.
constexpr uint32_t kTqcMaxWalkRows = 65536;

#endif  // QMR_SESSION_TABLE_WALK_H
