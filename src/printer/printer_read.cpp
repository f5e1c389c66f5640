#include "printer/printer_read.h"

#include <cstring>

#include "log/log.h"
#include "net/octet_buffer.h"
#include "qmr.h"
#include "snmp/pdu.h"
#include "snmp/snmp_value.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr int32_t kAppendInstanceZero = 1;
constexpr int32_t kAsGiven = 0;
constexpr int32_t kNotANumber = -1;
constexpr uint16_t kSnmpPort = 161;
constexpr uint16_t kSnmpIpxSocket = 0x900F;

// Create, community, init and one add: the common start of a single read.
int32_t open_single(const SQMRDeviceTarget &target, const char *oid, EQMRInstance kind,
                    QMRGetDataPtr *facade) {
  int32_t rc = qmr_create_get_data(facade);
  if (rc != QMR_OK) return rc;
  if ((rc = qmr_init_get_data(facade->get(), target)) != QMR_OK) return rc;
  return qmr_add_oid(facade->get(), oid, kind);
}

const ITqsVarBind *row_cell(const ITqsPdu *row, uint32_t column) {
  if (row == nullptr) return nullptr;
  const ITqsVarBindList *cells = row->get_var_bind_list();
  return cells != nullptr ? cells->get_at(column) : nullptr;
}

}  // namespace

int32_t qmr_snmp_port_of(EProtocol protocol, uint16_t *port) {
  switch (protocol) {
    case ITqcNetworkAddress::IPv4:
    case ITqcNetworkAddress::IPv6: *port = kSnmpPort; return QMR_OK;
    case ITqcNetworkAddress::IPX: *port = kSnmpIpxSocket; return QMR_OK;
    default: return QMR_E_INVALID_ARG;
  }
}

int32_t qmr_create_get_data(QMRGetDataPtr *out) {
  int32_t rc = QMR_E_NO_MEMORY;
  out->reset(tqc_create_get_data(&rc));
  if (*out) return QMR_OK;
  if (rc == QMR_OK) rc = QMR_E_NO_MEMORY;
  log_qmr_failure("tqc_create_get_data()", rc);
  return rc;
}

int32_t qmr_init_get_data(ITqcGetData *facade, const SQMRDeviceTarget &target) {
  if (target.community != nullptr) facade->set_community(target.community);
  const int32_t rc = facade->init(target.address, target.protocol, target.port, target.version,
                                  &target.usm, static_cast<int32_t>(target.timeoutMs),
                                  static_cast<int32_t>(target.retries), target.maxMessageSize);
  if (rc != QMR_OK) {
    log_qmr_failure("pGetData->init()", rc);
    return rc;
  }
  facade->set_bulk_walk(target.bulkWalk);
  facade->set_bulk_share(target.bulkShare);
  return QMR_OK;
}

CQMRReadPlan::CQMRReadPlan(const SQMRDeviceTarget &target) {
  if (target.bulkWalk) m_share.reset(tqc_create_bulk_share());
}

int32_t qmr_add_oid(ITqcGetData *facade, const char *oid, EQMRInstance kind) {
  const int32_t rc =
      facade->add_oid_string(oid, kind == EQMRInstance::kScalar ? kAppendInstanceZero : kAsGiven);
  if (rc != QMR_OK) log_qmr_failure("pGetData->add_oid_string()", rc);
  return rc;
}

int32_t qmr_read_text(const SQMRDeviceTarget &target, const char *oid, EQMRInstance kind,
                      char *text, size_t size, EQMRReadLog log) {
  QMRGetDataPtr facade;
  int32_t rc = open_single(target, oid, kind, &facade);
  if (rc != QMR_OK) return rc;
  rc = facade->get_data(text, size);
  if (rc != QMR_OK && log == EQMRReadLog::kLogged) log_qmr_failure("pGetData->get_data()", rc);
  return rc;
}

int32_t qmr_read_integer(const SQMRDeviceTarget &target, const char *oid, EQMRInstance kind,
                         int32_t *value, EQMRReadLog log) {
  QMRGetDataPtr facade;
  int32_t rc = open_single(target, oid, kind, &facade);
  if (rc != QMR_OK) return rc;
  rc = facade->get_data(value);
  if (rc != QMR_OK && log == EQMRReadLog::kLogged) log_qmr_failure("pGetData->get_data()", rc);
  return rc;
}

int32_t qmr_read_columns(const SQMRDeviceTarget &target, const char *const *columns, size_t count,
                         TqcOwned<ITqsPduList> *rows) {
  if (columns == nullptr || count == 0 || rows == nullptr) return QMR_E_INVALID_ARG;
  QMRGetDataPtr facade;
  int32_t rc = qmr_create_get_data(&facade);
  if (rc != QMR_OK) return rc;
  if ((rc = qmr_init_get_data(facade.get(), target)) != QMR_OK) return rc;
  for (size_t i = 0; i < count; ++i)
    if ((rc = qmr_add_oid(facade.get(), columns[i], EQMRInstance::kExact)) != QMR_OK) return rc;
  rows->reset(tqs_create_pdu_list(&rc));
  if (!*rows) return rc != QMR_OK ? rc : QMR_E_NO_MEMORY;
  rc = facade->get_data(rows->get(), columns[0]);
  if (rc != QMR_OK) log_qmr_failure("pGetData->get_data()", rc);
  return rc;
}

const ITqsOid *qmr_row_name(const ITqsPdu *row, uint32_t column) {
  const ITqsVarBind *cell = row_cell(row, column);
  return cell != nullptr ? cell->get_name() : nullptr;
}

const ITqsSnmpValue *qmr_row_value(const ITqsPdu *row, uint32_t column) {
  const ITqsVarBind *cell = row_cell(row, column);
  return cell != nullptr ? cell->get_value() : nullptr;
}

int32_t qmr_row_integer(const ITqsPdu *row, uint32_t column) {
  const ITqsSnmpValue *value = qmr_row_value(row, column);
  return value != nullptr ? value->get_int32() : kNotANumber;
}

void qmr_row_text(const ITqsPdu *row, uint32_t column, char *field, size_t size) {
  const ITqsSnmpValue *value = qmr_row_value(row, column);
  TqcOwned<ITqsOctetBuffer> text(value != nullptr ? value->to_text() : nullptr);
  qmr_copy_text(field, size, text ? text->c_str() : nullptr);
}

void qmr_copy_text(char *field, size_t size, const char *text) {
  if (field == nullptr || size == 0) return;
  std::memset(field, 0, size);
  if (text != nullptr) std::memcpy(field, text, strnlen(text, size - 1));
}
