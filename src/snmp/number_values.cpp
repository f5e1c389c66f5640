#include "snmp/number_values.h"

#include <new>

#include "snmp/oid.h"
#include "snmp/value_text.h"
#include "snmp/value_visitor.h"

namespace {

template <class T>
ITqsSnmpValue *clone_of(const T &source, int32_t *result) {
  T *copy = new (std::nothrow) T(source.type());
  if (copy) copy->assign(&source);
  tqs_put_result(result, copy ? QMR_OK : QMR_E_NO_MEMORY);
  return copy;
}

// The one sub-identifier of a numeric index.
int32_t read_single(const ITqsOid *oid, uint32_t *out) {
  const uint32_t *ids = nullptr;
  uint32_t n = 0;
  const int32_t rc = tqs_index_source(oid, &ids, &n);
  if (rc != QMR_OK) return rc;
  if (n < 1) return QMR_E_INDEX_FIT;
  *out = ids[0];
  return QMR_OK;
}

}  // namespace

// ---- INTEGER

int32_t CTqsInteger::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_integer(this) : QMR_E_INVALID_ARG;
}
ITqsSnmpValue *CTqsInteger::clone(int32_t *result) const {
  CTqsInteger *copy = new (std::nothrow) CTqsInteger();
  if (copy) copy->m_value = m_value;
  tqs_put_result(result, copy ? QMR_OK : QMR_E_NO_MEMORY);
  return copy;
}
int32_t CTqsInteger::assign(const ITqsSnmpValue *other) {
  if (!other || other->type() != kTqsInteger) return QMR_E_INVALID_ARG;
  m_value = other->get_int32();
  return QMR_OK;
}
int32_t CTqsInteger::clear() {
  m_value = 0;
  return QMR_OK;
}
uint32_t CTqsInteger::type() const { return kTqsInteger; }
bool CTqsInteger::equals(const ITqsSnmpValue *other) const {
  return other && other->type() == kTqsInteger && other->get_int32() == m_value;
}
int32_t CTqsInteger::get_int32(int32_t *result) const {
  tqs_put_result(result, QMR_OK);
  return m_value;
}
int32_t CTqsInteger::write_text(ITqsOctetBuffer *buffer) const {
  return tqs_buffer_printf(buffer, "%d", static_cast<int>(m_value));
}
int32_t CTqsInteger::set_int32(int32_t number) {
  m_value = number;
  return QMR_OK;
}
int32_t CTqsInteger::set_text(const char *text) {
  int32_t number = 0;
  if (!tqs_parse_int32(text, &number)) return QMR_E_INVALID_ARG;
  m_value = number;
  return QMR_OK;
}
uint32_t CTqsInteger::index_length(bool) const { return 1; }
int32_t CTqsInteger::append_index_to(ITqsOid *oid, bool) const {
  if (!oid) return QMR_E_INVALID_ARG;
  return oid->append_sub_identifier(static_cast<uint32_t>(m_value));
}
int32_t CTqsInteger::read_index(const ITqsOid *oid, bool, int32_t) {
  uint32_t id = 0;
  const int32_t rc = read_single(oid, &id);
  if (rc == QMR_OK) m_value = static_cast<int32_t>(id);
  return rc;
}

// ---- Counter32, Gauge32, TimeTicks

int32_t CTqsUnsigned32::accept(ITqsValueVisitor *visitor) {
  if (!visitor) return QMR_E_INVALID_ARG;
  switch (m_type) {
    case kTqsCounter32:
      return visitor->visit_counter32(this);
    case kTqsGauge32:
      return visitor->visit_gauge32(this);
    default:
      return visitor->visit_time_ticks(this);
  }
}
ITqsSnmpValue *CTqsUnsigned32::clone(int32_t *result) const { return clone_of(*this, result); }
int32_t CTqsUnsigned32::assign(const ITqsSnmpValue *other) {
  if (!other || other->type() != m_type) return QMR_E_INVALID_ARG;
  m_value = other->get_uint32();
  return QMR_OK;
}
int32_t CTqsUnsigned32::clear() {
  m_value = 0;
  return QMR_OK;
}
uint32_t CTqsUnsigned32::type() const { return m_type; }
bool CTqsUnsigned32::equals(const ITqsSnmpValue *other) const {
  return other && other->type() == m_type && other->get_uint32() == m_value;
}
uint32_t CTqsUnsigned32::get_uint32(int32_t *result) const {
  tqs_put_result(result, QMR_OK);
  return m_value;
}
int32_t CTqsUnsigned32::write_text(ITqsOctetBuffer *buffer) const {
  return tqs_buffer_printf(buffer, "%u", static_cast<unsigned>(m_value));
}
int32_t CTqsUnsigned32::set_uint32(uint32_t number) {
  m_value = number;
  return QMR_OK;
}
int32_t CTqsUnsigned32::set_text(const char *text) {
  uint32_t number = 0;
  if (!tqs_parse_uint32(text, &number)) return QMR_E_INVALID_ARG;
  m_value = number;
  return QMR_OK;
}
uint32_t CTqsUnsigned32::index_length(bool) const { return 1; }
int32_t CTqsUnsigned32::append_index_to(ITqsOid *oid, bool) const {
  if (!oid) return QMR_E_INVALID_ARG;
  return oid->append_sub_identifier(m_value);
}
int32_t CTqsUnsigned32::read_index(const ITqsOid *oid, bool, int32_t) {
  return read_single(oid, &m_value);
}

// ---- Counter64

int32_t CTqsCounter64::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_counter64(this) : QMR_E_INVALID_ARG;
}
ITqsSnmpValue *CTqsCounter64::clone(int32_t *result) const {
  CTqsCounter64 *copy = new (std::nothrow) CTqsCounter64();
  if (copy) {
    copy->m_high = m_high;
    copy->m_low = m_low;
  }
  tqs_put_result(result, copy ? QMR_OK : QMR_E_NO_MEMORY);
  return copy;
}
int32_t CTqsCounter64::assign(const ITqsSnmpValue *other) {
  if (!other || other->type() != kTqsCounter64) return QMR_E_INVALID_ARG;
  m_high = other->get_high();
  m_low = other->get_low();
  return QMR_OK;
}
int32_t CTqsCounter64::clear() {
  m_high = m_low = 0;
  return QMR_OK;
}
uint32_t CTqsCounter64::type() const { return kTqsCounter64; }
bool CTqsCounter64::equals(const ITqsSnmpValue *other) const {
  return other && other->type() == kTqsCounter64 && other->get_high() == m_high && other->get_low() == m_low;
}
int32_t CTqsCounter64::write_text(ITqsOctetBuffer *buffer) const {
  if (!buffer) return QMR_E_INVALID_ARG;
  char text[kTqsDecimalBufferSize];
  const uint32_t n = tqs_format_decimal((static_cast<uint64_t>(m_high) << 32) | m_low, text);
  return buffer->set(text, n);
}
uint32_t CTqsCounter64::get_high(int32_t *result) const {
  tqs_put_result(result, QMR_OK);
  return m_high;
}
uint32_t CTqsCounter64::get_low(int32_t *result) const {
  tqs_put_result(result, QMR_OK);
  return m_low;
}
int32_t CTqsCounter64::set_uint32(uint32_t number) {
  m_high = 0;
  m_low = number;
  return QMR_OK;
}
int32_t CTqsCounter64::set_text(const char *text) {
  uint64_t number = 0;
  if (!tqs_parse_uint64(text, &number)) return QMR_E_INVALID_ARG;
  m_high = static_cast<uint32_t>(number >> 32);
  m_low = static_cast<uint32_t>(number);
  return QMR_OK;
}
int32_t CTqsCounter64::set_high(uint32_t number) {
  m_high = number;
  return QMR_OK;
}
int32_t CTqsCounter64::set_low(uint32_t number) {
  m_low = number;
  return QMR_OK;
}
