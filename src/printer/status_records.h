// The common shape of a record-list refresh: empty the list, walk the
// columns, turn each row into a record.
#ifndef QMR_PRINTER_STATUS_RECORDS_H
#define QMR_PRINTER_STATUS_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "printer/printer_read.h"
#include "printer/status_row.h"
#include "qmr.h"

// `fill(row, &record)` fills a zeroed record and answers whether to keep it.
// The list is emptied first and stays empty when the read fails; `count` is
// written on success only. 0, -2 for a null count, or the failing code.
template <class T, size_t N, class Fill>
int32_t qmr_refresh_records(const SQMRDeviceTarget &target, const char *const (&columns)[N],
                            std::vector<T> *list, int32_t *count, Fill fill) {
  list->clear();
  if (count == nullptr) return QMR_E_INVALID_ARG;
  const int32_t rc = qmr_for_each_table_row(target, columns, [&](const ITqsPdu *row, uint32_t) {
    T record{};
    return fill(CQMRStatusRow(row), &record) ? qmr_append_record(list, record) : QMR_OK;
  });
  if (rc != QMR_OK) {
    list->clear();
    return rc;
  }
  *count = static_cast<int32_t>(list->size());
  return QMR_OK;
}

#endif  // QMR_PRINTER_STATUS_RECORDS_H
