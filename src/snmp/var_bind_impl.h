// The varbind class. Its getters are inline so that the codec, which holds
// only varbinds of this class (tqs_create_var_bind makes every one), can
// reach name, value and status without a virtual call per member.
#ifndef QMR_SNMP_VAR_BIND_IMPL_H
#define QMR_SNMP_VAR_BIND_IMPL_H

#include <cstdint>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"
#include "snmp/var_bind.h"

class CTqsVarBind final : public ITqsVarBind {
 public:
  CTqsVarBind() = default;
  CTqsVarBind(const CTqsVarBind &) = delete;
  CTqsVarBind &operator=(const CTqsVarBind &) = delete;

  void release() override { delete this; }
  ITqsVarBind *clone(int32_t *result) const override;
  bool equals(const ITqsVarBind *other) const override;
  int32_t set(ITqsOid *name, ITqsSnmpValue *value) override;
  int32_t set_name_value(ITqsOid *name, ITqsSnmpValue *value) override { return set(name, value); }
  int32_t take(ITqsOid **name, ITqsSnmpValue **value) override;
  int32_t set_name(ITqsOid *name) override {
    tqc_replace(m_name, name);
    return QMR_OK;
  }
  int32_t set_value(ITqsSnmpValue *value) override {
    tqc_replace(m_value, value);
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
  ~CTqsVarBind() override = default;

  TqcOwned<ITqsOid> m_name;
  TqcOwned<ITqsSnmpValue> m_value;
  int32_t m_status = 0;
};

#endif  // QMR_SNMP_VAR_BIND_IMPL_H
