#include "printer/status_row.h"

#include <cstring>

#include "snmp/octet_buffer.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/snmp_value.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr int32_t kNoNumber = -1;
constexpr uint32_t kNoUnsignedNumber = 0xFFFFFFFFu;

}  // namespace

const ITqsSnmpValue *CQMRStatusRow::value(size_t column) const {
  const ITqsVarBindList *cells = m_pRow != nullptr ? m_pRow->get_var_bind_list() : nullptr;
  if (cells == nullptr || column >= cells->count()) return nullptr;
  const ITqsVarBind *cell = cells->get_at(static_cast<uint32_t>(column));
  return cell != nullptr ? cell->get_value() : nullptr;
}

const ITqsOid *CQMRStatusRow::name(size_t column) const {
  const ITqsVarBindList *cells = m_pRow != nullptr ? m_pRow->get_var_bind_list() : nullptr;
  if (cells == nullptr || column >= cells->count()) return nullptr;
  const ITqsVarBind *cell = cells->get_at(static_cast<uint32_t>(column));
  return cell != nullptr ? cell->get_name() : nullptr;
}

bool CQMRStatusRow::missing(size_t column) const {
  const ITqsSnmpValue *cell = value(column);
  if (cell == nullptr) return true;
  const uint32_t type = cell->type();
  return type == kTqsNull || type == kTqsNoSuchObject || type == kTqsNoSuchInstance ||
         type == kTqsEndOfMibView;
}

int32_t CQMRStatusRow::integer(size_t column) const {
  const ITqsSnmpValue *cell = value(column);
  return cell != nullptr ? cell->get_int32() : kNoNumber;
}

uint32_t CQMRStatusRow::unsigned_number(size_t column) const {
  const ITqsSnmpValue *cell = value(column);
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
  if (field == nullptr || width == 0) return;
  std::memset(field, 0, width);
  const ITqsSnmpValue *cell = value(column);
  if (cell == nullptr) return;
  TqsOwned<ITqsOctetBuffer> form(cell->to_text());
  if (!form || form->size() == 0) return;
  // A text longer than the field keeps its first width - 1 characters.
  const size_t length = strnlen(form->c_str(), width - 1);
  std::memcpy(field, form->data(), length);
}

void CQMRStatusRow::bytes(size_t column, uint8_t *out, size_t size) const {
  if (out == nullptr) return;
  std::memset(out, 0, size);
  const ITqsSnmpValue *cell = value(column);
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
  const ITqsOid *cellName = name(column);
  if (cellName == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqsOwned<ITqsOid> rest(cellName->clone_oid(&rc));
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
  TqsOwned<ITqsOid> owned(rest);
  const uint32_t first = owned->take_first_sub_identifier(&rc);
  if (rc != QMR_OK) return rc;
  *index = first;
  return QMR_OK;
}
