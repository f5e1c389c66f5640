#include "printer/status_row.h"

#include <cstring>

#include "net/owned.h"
#include "printer/printer_read.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"

namespace {

constexpr uint32_t kNoUnsignedNumber = 0xFFFFFFFFu;

}  // namespace

bool CQMRStatusRow::missing(size_t column) const {
  const ITqsSnmpValue *cell = qmr_row_value(m_pRow, static_cast<uint32_t>(column));
  if (cell == nullptr) return true;
  const uint32_t type = cell->type();
  return type == kTqsNull || type == kTqsNoSuchObject || type == kTqsNoSuchInstance ||
         type == kTqsEndOfMibView;
}

int32_t CQMRStatusRow::integer(size_t column) const {
  return qmr_row_integer(m_pRow, static_cast<uint32_t>(column));
}

uint32_t CQMRStatusRow::unsigned_number(size_t column) const {
  const ITqsSnmpValue *cell = qmr_row_value(m_pRow, static_cast<uint32_t>(column));
  if (cell == nullptr) return kNoUnsignedNumber;
  switch (cell->type()) {
    case kTqsInteger: return static_cast<uint32_t>(cell->get_int32());
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks: return cell->get_uint32();
    default: return kNoUnsignedNumber;
  }
}

void CQMRStatusRow::text(size_t column, char *field, size_t width) const {
  qmr_row_text(m_pRow, static_cast<uint32_t>(column), field, width);
}

void CQMRStatusRow::bytes(size_t column, uint8_t *out, size_t size) const {
  if (out == nullptr) return;
  std::memset(out, 0, size);
  const ITqsSnmpValue *cell = qmr_row_value(m_pRow, static_cast<uint32_t>(column));
  if (cell == nullptr) return;
  uint32_t length = 0;
  int32_t rc = QMR_OK;
  const uint8_t *stored = cell->get_bytes(&length, &rc);
  if (rc != QMR_OK || stored == nullptr) return;
  std::memcpy(out, stored, length < size ? length : size);
}

int32_t CQMRStatusRow::index_of(size_t column, const char *columnOid, ITqsOid **index) const {
  if (columnOid == nullptr || index == nullptr) return QMR_E_INVALID_ARG;
  *index = nullptr;
  const ITqsOid *cellName = qmr_row_name(m_pRow, static_cast<uint32_t>(column));
  if (cellName == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> rest(cellName->clone_oid(&rc));
  if (!rest) return rc;
  if ((rc = rest->strip_prefix_text(columnOid)) != QMR_OK) return rc;
  *index = rest.release();
  return QMR_OK;
}

int32_t CQMRStatusRow::first_index(size_t column, const char *columnOid, uint32_t *index) const {
  if (index == nullptr) return QMR_E_INVALID_ARG;
  ITqsOid *rest = nullptr;
  int32_t rc = index_of(column, columnOid, &rest);
  if (rc != QMR_OK) return rc;
  TqcOwned<ITqsOid> owned(rest);
  const uint32_t first = owned->take_first_sub_identifier(&rc);
  if (rc != QMR_OK) return rc;
  *index = first;
  return QMR_OK;
}
