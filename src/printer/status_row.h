// Reading the cells of one walked table row into record fields, beyond the
// plain numbers and texts of printer_read.h: raw octets, unsigned numbers
// and the index parts of a cell's name.
#ifndef QMR_PRINTER_STATUS_ROW_H
#define QMR_PRINTER_STATUS_ROW_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "qmr.h"

class ITqsOid;
class ITqsPdu;

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
  // The text form, cut at a zero octet and at N - 1 characters, into a
  // zero-filled field.
  template <size_t N>
  void text(size_t column, char (&field)[N]) const {
    text(column, field, N);
  }
  void text(size_t column, char *field, size_t width) const;
  // The first `size` stored octets as they are (zero octets included);
  // octets the value lacks are 0.
  void bytes(size_t column, uint8_t *out, size_t size) const;
  // The cell's name without `columnOid` (a new OID for the caller); -2 when
  // the name is not below that column.
  int32_t index_of(size_t column, const char *columnOid, ITqsOid **index) const;
  // The first sub-identifier of that index; -8 when there is none.
  int32_t first_index(size_t column, const char *columnOid, uint32_t *index) const;

 private:
  const ITqsPdu *m_pRow;
};

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
