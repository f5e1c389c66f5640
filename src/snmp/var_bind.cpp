#include "snmp/var_bind.h"

#include <new>

#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/owned.h"
#include "snmp/value_base.h"

namespace {

bool both_absent_or_equal(const ITqsSnmpValue *a, const ITqsSnmpValue *b) {
  return (!a && !b) || (a && b && a->equals(b));
}

class CTqsVarBind final : public ITqsVarBind {
 public:
  CTqsVarBind() = default;
  CTqsVarBind(const CTqsVarBind &) = delete;
  CTqsVarBind &operator=(const CTqsVarBind &) = delete;

  void release() override { delete this; }

  ITqsVarBind *clone(int32_t *result) const override {
    int32_t rc = QMR_OK;
    TqsOwned<CTqsVarBind> copy(new (std::nothrow) CTqsVarBind());
    if (!copy) rc = QMR_E_NO_MEMORY;
    if (rc == QMR_OK && m_name) copy->m_name.reset(m_name->clone_oid(&rc));
    if (rc == QMR_OK && m_value) copy->m_value.reset(m_value->clone(&rc));
    tqs_put_result(result, rc);
    return rc == QMR_OK ? copy.release() : nullptr;
  }

  bool equals(const ITqsVarBind *other) const override {
    return other && both_absent_or_equal(m_name.get(), other->get_name()) &&
           both_absent_or_equal(m_value.get(), other->get_value()) && m_status == other->get_status();
  }

  int32_t set(ITqsOid *name, ITqsSnmpValue *value) override {
    if (!value) {
      int32_t rc = QMR_OK;
      value = tqs_create_value(kTqsNull, &rc);
      if (!value) return rc;
    }
    tqs_replace(m_name, name);
    tqs_replace(m_value, value);
    return QMR_OK;
  }
  int32_t set_name_value(ITqsOid *name, ITqsSnmpValue *value) override { return set(name, value); }

  int32_t take(ITqsOid **name, ITqsSnmpValue **value) override {
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

  int32_t set_name(ITqsOid *name) override {
    tqs_replace(m_name, name);
    return QMR_OK;
  }
  int32_t set_value(ITqsSnmpValue *value) override {
    tqs_replace(m_value, value);
    return QMR_OK;
  }
  ITqsOid *get_name() const override { return m_name.get(); }
  ITqsSnmpValue *get_value() const override { return m_value.get(); }
  int32_t get_status() const override { return m_status; }
  int32_t set_status(int32_t status) override {
    m_status = status;
    return QMR_OK;
  }

 private:
  ~CTqsVarBind() = default;

  TqsOwned<ITqsOid> m_name;
  TqsOwned<ITqsSnmpValue> m_value;
  int32_t m_status = 0;
};

}  // namespace

ITqsVarBind *tqs_create_var_bind(int32_t *result) {
  ITqsVarBind *var_bind = new (std::nothrow) CTqsVarBind();
  tqs_put_result(result, var_bind ? QMR_OK : QMR_E_NO_MEMORY);
  return var_bind;
}
