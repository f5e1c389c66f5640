#include "snmp/var_bind.h"

#include <new>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/value_base.h"
#include "snmp/var_bind_impl.h"

namespace {

bool both_absent_or_equal(const ITqsSnmpValue *a, const ITqsSnmpValue *b) {
  return (!a && !b) || (a && b && a->equals(b));
}

}  // namespace

ITqsVarBind *CTqsVarBind::clone(int32_t *result) const {
  int32_t rc = QMR_OK;
  TqcOwned<CTqsVarBind> copy(new (std::nothrow) CTqsVarBind());
  if (!copy) rc = QMR_E_NO_MEMORY;
  if (rc == QMR_OK && m_name) copy->m_name.reset(m_name->clone_oid(&rc));
  if (rc == QMR_OK && m_value) copy->m_value.reset(m_value->clone(&rc));
  tqs_put_result(result, rc);
  return rc == QMR_OK ? copy.release() : nullptr;
}

bool CTqsVarBind::equals(const ITqsVarBind *other) const {
  return other && both_absent_or_equal(m_name.get(), other->get_name()) &&
         both_absent_or_equal(m_value.get(), other->get_value()) && m_status == other->get_status();
}

int32_t CTqsVarBind::set(ITqsOid *name, ITqsSnmpValue *value) {
  if (!value) {
    int32_t rc = QMR_OK;
    value = tqs_create_value(kTqsNull, &rc);
    if (!value) return rc;
  }
  tqc_replace(m_name, name);
  tqc_replace(m_value, value);
  return QMR_OK;
}

int32_t CTqsVarBind::take(ITqsOid **name, ITqsSnmpValue **value) {
  if (name) {
    *name = m_name.release();
  } else {
    m_name.reset();
  }
  if (value) {
    *value = m_value.release();
  } else {
    m_value.reset();
  }
  return QMR_OK;
}

ITqsVarBind *tqs_create_var_bind(int32_t *result) {
  ITqsVarBind *var_bind = new (std::nothrow) CTqsVarBind();
  tqs_put_result(result, var_bind ? QMR_OK : QMR_E_NO_MEMORY);
  return var_bind;
}
