// The values without content: NULL and the three exception values.
#ifndef QMR_SNMP_SIMPLE_VALUES_H
#define QMR_SNMP_SIMPLE_VALUES_H

#include <cstdint>

#include "snmp/value_base.h"

class CTqsNull final : public CTqsValueBase<ITqsSnmpValue> {
 public:
  CTqsNull() = default;
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
};

// noSuchObject, noSuchInstance and endOfMibView share this class, which
// stores its code.
class CTqsException final : public CTqsValueBase<ITqsSnmpValue> {
 public:
  explicit CTqsException(uint32_t type) : m_type(type) {}
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;

 protected:
  uint32_t own_interface_id() const override { return kTqsExceptionValueId; }

 private:
  uint32_t m_type;
};

#endif  // QMR_SNMP_SIMPLE_VALUES_H
