#include "printer/status_request.h"

#include "log/log.h"
#include "qmr.h"

namespace {

constexpr char kStepCreate[] = "tqc_create_get_data()";
constexpr char kStepInit[] = "pGetData->init()";
constexpr char kStepAdd[] = "pGetData->add_oid_string()";
constexpr char kStepGet[] = "pGetData->get_data()";
constexpr char kStepSet[] = "pGetData->set_data()";

constexpr int32_t kExactInstance = 0;  // add_oid_string: do not append ".0"

int32_t failed(const char *step, int32_t rc) {
  log_qmr_failure(step, rc);
  return rc;
}

}  // namespace

int32_t CQMRStatusRequest::open(const SQMRConnection &c) {
  int32_t rc = QMR_OK;
  m_pGetData.reset(tqc_create_get_data(&rc));
  if (!m_pGetData) return failed(kStepCreate, rc != QMR_OK ? rc : QMR_E_NO_MEMORY);
  if (c.community != nullptr) m_pGetData->set_community(c.community);
  rc = m_pGetData->init(c.address, c.protocol, c.port, c.version, &c.usm,
                        static_cast<int32_t>(c.timeoutMs), static_cast<int32_t>(c.retries),
                        c.maxMessageSize);
  return rc == QMR_OK ? QMR_OK : failed(kStepInit, rc);
}

int32_t CQMRStatusRequest::add(const char *oid) {
  if (!m_pGetData) return QMR_E_INVALID_ARG;
  const int32_t rc = m_pGetData->add_oid_string(oid, kExactInstance);
  return rc == QMR_OK ? QMR_OK : failed(kStepAdd, rc);
}

int32_t CQMRStatusRequest::add_columns(const char *const *oids, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const int32_t rc = add(oids[i]);
    if (rc != QMR_OK) return rc;
  }
  return QMR_OK;
}

int32_t CQMRStatusRequest::add_integer(const char *oid, const char *instance, int32_t value) {
  if (!m_pGetData) return QMR_E_INVALID_ARG;
  const int32_t rc = m_pGetData->add_oid_string(oid, instance, value);
  return rc == QMR_OK ? QMR_OK : failed(kStepAdd, rc);
}

int32_t CQMRStatusRequest::walk(const char *root, TqsOwned<ITqsPduList> *rows) {
  if (!m_pGetData || rows == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  rows->reset(tqs_create_pdu_list(&rc));
  if (!*rows) return failed(kStepGet, rc != QMR_OK ? rc : QMR_E_NO_MEMORY);
  rc = m_pGetData->get_data(rows->get(), root);
  if (rc == QMR_OK) return QMR_OK;
  // Rows of a broken walk are not used.
  rows->reset();
  return failed(kStepGet, rc);
}

int32_t CQMRStatusRequest::read_integer(int32_t *value) {
  if (!m_pGetData) return QMR_E_INVALID_ARG;
  return m_pGetData->get_data(value);
}

int32_t CQMRStatusRequest::read_text(char *text, size_t size) {
  if (!m_pGetData) return QMR_E_INVALID_ARG;
  return m_pGetData->get_data(text, size);
}

int32_t CQMRStatusRequest::set() {
  if (!m_pGetData) return QMR_E_INVALID_ARG;
  const int32_t rc = m_pGetData->set_data();
  return rc == QMR_OK ? QMR_OK : failed(kStepSet, rc);
}

int32_t qmr_walk_columns(const SQMRConnection &connection, const char *const *columns,
                         size_t count, TqsOwned<ITqsPduList> *rows) {
  if (columns == nullptr || count == 0) return QMR_E_INVALID_ARG;
  CQMRStatusRequest request;
  int32_t rc = request.open(connection);
  if (rc == QMR_OK) rc = request.add_columns(columns, count);
  if (rc == QMR_OK) rc = request.walk(columns[0], rows);
  return rc;
}
