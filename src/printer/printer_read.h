// Reading the MIB objects of one opened device: every request gets a fresh
// get/set façade (community when set, init, the OIDs, one run, release), and
// each failed step writes its "QMR" line naming the call.
#ifndef QMR_PRINTER_PRINTER_READ_H
#define QMR_PRINTER_PRINTER_READ_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "session/bulk_walk.h"
#include "session/get_data.h"
#include "snmp/object_list.h"

class ITqsOid;
class ITqsPdu;
class ITqsSnmpValue;

struct SQMRGetDataDeleter {
  void operator()(ITqcGetData *facade) const {
    if (facade != nullptr) facade->destroy();
  }
};
using QMRGetDataPtr = std::unique_ptr<ITqcGetData, SQMRGetDataDeleter>;

// The connection settings a device object keeps from its opening. The texts
// are lent by that object (and by the security parameters it refers to).
struct SQMRDeviceTarget {
  const char *address;
  EProtocol protocol;
  uint16_t port;
  int32_t version;  // the security selector: 2 is SNMPv3, anything else v1
  STqcUsmRecord usm;
  uint32_t timeoutMs;
  uint32_t retries;
  uint32_t maxMessageSize;
  const char *community;  // null keeps the façade's default
  bool bulkWalk;          // walks ask for many rows per exchange (v2c, v3)
  ITqcBulkShare *bulkShare = nullptr;  // the call's planned reads (bulk mode), lent
};

// The SNMP port of a device's protocol: 161 over IPv4 and IPv6, socket
// 0x900F over IPX (RFC 1420). 0, or -2 for any other protocol.
int32_t qmr_snmp_port_of(EProtocol protocol, uint16_t *port);

// How a single object is named: a scalar gets the instance ".0" appended, an
// exact instance is asked for as given.
enum class EQMRInstance { kScalar, kExact };

// Whether a failing single-value read writes "pGetData->get_data()" (some
// reads stay silent about it).
enum class EQMRReadLog { kSilent, kLogged };

// The façade, or its creation code with the "tqc_create_get_data()" line.
int32_t qmr_create_get_data(QMRGetDataPtr *out);
// set_community when the target has one, then init ("pGetData->init()"),
// then the walk mode.
int32_t qmr_init_get_data(ITqcGetData *facade, const SQMRDeviceTarget &target);
// One add_oid_string ("pGetData->add_oid_string()").
int32_t qmr_add_oid(ITqcGetData *facade, const char *oid, EQMRInstance kind);

// One value as text, cut to size - 1 characters; an empty answer leaves
// `text` as it was.
int32_t qmr_read_text(const SQMRDeviceTarget &target, const char *oid, EQMRInstance kind,
                      char *text, size_t size, EQMRReadLog log);
// One value as a signed number (-1 for a value that is not an INTEGER).
int32_t qmr_read_integer(const SQMRDeviceTarget &target, const char *oid, EQMRInstance kind,
                         int32_t *value, EQMRReadLog log);
// Walks `count` columns together, rooted at the first; one row PDU per row
// of the first column lands in *rows, with one varbind per column in the
// order given. A failing walk writes "pGetData->get_data()".
int32_t qmr_read_columns(const SQMRDeviceTarget &target, const char *const *columns, size_t count,
                         TqcOwned<ITqsPduList> *rows);

// In bulk mode, the reads an exported call is about to make, planned so
// that they share exchanges (see ITqcBulkShare) for as long as the plan
// lives; without bulk mode, or short of memory, it plans nothing.
class CQMRReadPlan {
 public:
  explicit CQMRReadPlan(const SQMRDeviceTarget &target);
  template <size_t N>
  void walk(const char *const (&columns)[N]) {
    keep(m_share ? m_share->plan_walk(columns, N) : QMR_OK);
  }
  void get(const char *oid, EQMRInstance kind) {
    keep(m_share ? m_share->plan_get(oid, kind == EQMRInstance::kScalar) : QMR_OK);
  }
  ITqcBulkShare *share() const { return m_share.get(); }

 private:
  // A plan that could not be made whole is dropped: the reads go as they
  // would without one.
  void keep(int32_t rc) {
    if (rc != QMR_OK) m_share.reset();
  }
  TqcOwned<ITqcBulkShare> m_share;
};

// Lends `share` through *slot until the scope ends.
class CQMRPlanScope {
 public:
  CQMRPlanScope(ITqcBulkShare **slot, ITqcBulkShare *share) : m_slot(slot) { *slot = share; }
  ~CQMRPlanScope() { *m_slot = nullptr; }
  CQMRPlanScope(const CQMRPlanScope &) = delete;
  CQMRPlanScope &operator=(const CQMRPlanScope &) = delete;

 private:
  ITqcBulkShare **m_slot;
};

// Calls fn(row, position) for the rows in order (position from 0) and stops
// at the first non-zero answer, which it returns.
template <class Fn>
int32_t qmr_for_each_row(ITqsPduList *rows, Fn &&fn) {
  int32_t rc = QMR_OK;
  TqcOwned<ITqsListIterator> it(rows->new_iterator(&rc));
  if (!it) return rc;
  uint32_t position = 0;
  for (const ITqsPdu *row = rows->element_at(it.get()); row != nullptr;
       rows->step(it.get()), row = rows->element_at(it.get()), ++position) {
    if ((rc = fn(row, position)) != QMR_OK) return rc;
  }
  return QMR_OK;
}

// qmr_read_columns, then qmr_for_each_row over the rows it read.
template <size_t N, class Fn>
int32_t qmr_for_each_table_row(const SQMRDeviceTarget &target, const char *const (&columns)[N], Fn &&fn) {
  TqcOwned<ITqsPduList> rows;
  const int32_t rc = qmr_read_columns(target, columns, N, &rows);
  if (rc != QMR_OK) return rc;
  return qmr_for_each_row(rows.get(), fn);
}

// Cells of a row PDU by column position. Missing cells read as NULL does:
// no name, no value, number -1, empty text.
const ITqsOid *qmr_row_name(const ITqsPdu *row, uint32_t column);
const ITqsSnmpValue *qmr_row_value(const ITqsPdu *row, uint32_t column);
int32_t qmr_row_integer(const ITqsPdu *row, uint32_t column);
// The cell's text into a field of `size` bytes: zero-filled, ending at the
// first zero octet, at most size - 1 characters.
void qmr_row_text(const ITqsPdu *row, uint32_t column, char *field, size_t size);
template <size_t N>
void qmr_row_text(const ITqsPdu *row, uint32_t column, char (&field)[N]) {
  qmr_row_text(row, column, field, N);
}

// `text` (null reads as "") into a field of `size` bytes, zero-filled and
// cut at size - 1 characters.
void qmr_copy_text(char *field, size_t size, const char *text);

#endif  // QMR_PRINTER_PRINTER_READ_H
