#include "snmp/simple_values.h"

#include <new>

#include "snmp/value_visitor.h"

// ---- NULL

int32_t CTqsNull::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_null(this) : QMR_E_INVALID_ARG;
}
ITqsSnmpValue *CTqsNull::clone(int32_t *result) const {
  CTqsNull *copy = new (std::nothrow) CTqsNull();
  tqs_put_result(result, copy ? QMR_OK : QMR_E_NO_MEMORY);
  return copy;
}
int32_t CTqsNull::assign(const ITqsSnmpValue *other) {
  return (other && other->type() == kTqsNull) ? QMR_OK : QMR_E_INVALID_ARG;
}
int32_t CTqsNull::clear() { return QMR_OK; }
uint32_t CTqsNull::type() const { return kTqsNull; }
bool CTqsNull::equals(const ITqsSnmpValue *other) const { return other && other->type() == kTqsNull; }

// ---- noSuchObject, noSuchInstance, endOfMibView

int32_t CTqsException::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_exception(this) : QMR_E_INVALID_ARG;
}
ITqsSnmpValue *CTqsException::clone(int32_t *result) const {
  CTqsException *copy = new (std::nothrow) CTqsException(m_type);
  tqs_put_result(result, copy ? QMR_OK : QMR_E_NO_MEMORY);
  return copy;
}
int32_t CTqsException::assign(const ITqsSnmpValue *other) {
  return (other && other->type() == m_type) ? QMR_OK : QMR_E_INVALID_ARG;
}
int32_t CTqsException::clear() { return QMR_OK; }
uint32_t CTqsException::type() const { return m_type; }
bool CTqsException::equals(const ITqsSnmpValue *other) const { return other && other->type() == m_type; }
