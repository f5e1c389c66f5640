// Reading the cells of one walked table row into record fields.
#ifndef QMR_PRINTER_STATUS_ROW_H
#define QMR_PRINTER_STATUS_ROW_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "qmr.h"
#include "snmp/object_list.h"
#include "snmp/owned.h"

class ITqsOid;
class ITqsPdu;
class ITqsSnmpValue;

// A row PDU holds one varbind per added column, in the order added. A cell
// the device lacks is a NULL value: numbers read -1, texts and bytes empty.
class CQMRStatusRow {
 public:
  explicit CQMRStatusRow(const ITqsPdu *row) : m_pRow(row) {}

  // True when the cell carries no value (absent, NULL or an exception).
  bool missing(size_t column) const;
  // An INTEGER's number; -1 for any other type.
  int32_t integer(size_t column) const;
  // An unsigned type through its unsigned getter, an INTEGER through its
  // number (as 32 bits); all bits set for any other type.
  uint32_t unsigned_number(size_t column) const;
  // The text form, cut at `width` - 1 characters and at a zero octet, into
  // a zero-filled field of `width` bytes.
  void text(size_t column, char *field, size_t width) const;
  template <size_t N>
  void text(size_t column, char (&field)[N]) const {
    text(column, field, N);
  }
  // The first `size` stored octets as they are (zero octets included);
  // octets the value lacks are 0.
  void bytes(size_t column, uint8_t *out, size_t size) const;
  // The first index sub-identifier after `columnOid` in the cell's name:
  // -2 when the name is not below that column, -8 when it has no index.
  int32_t first_index(size_t column, const char *columnOid, uint32_t *index) const;
  // The cell's name without `columnOid` (a new OID for the caller).
  int32_t index_of(size_t column, const char *columnOid, ITqsOid **index) const;

 private:
  const ITqsSnmpValue *value(size_t column) const;
  const ITqsOid *name(size_t column) const;

  const ITqsPdu *m_pRow;
};

// Calls `visit(row)` for each row in order while it answers 0; the first
// other answer ends the loop and is returned. -3 when no iterator can be had.
template <class Visit>
int32_t qmr_for_each_status_row(ITqsPduList *rows, Visit visit) {
  int32_t rc = QMR_OK;
  TqsOwned<ITqsListIterator> it(rows->new_iterator(&rc));
  if (!it) return rc != QMR_OK ? rc : QMR_E_NO_MEMORY;
  for (const ITqsPdu *row = rows->element_at(it.get()); row != nullptr;
       rows->step(it.get()), row = rows->element_at(it.get())) {
    rc = visit(CQMRStatusRow(row));
    if (rc != QMR_OK) return rc;
  }
  return QMR_OK;
}

// Appends without letting an allocation failure escape: 0 or -3.
template <class T>
int32_t qmr_append_record(std::vector<T> *list, const T &record) {
  try {
    list->push_back(record);
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

#endif  // QMR_PRINTER_STATUS_ROW_H
