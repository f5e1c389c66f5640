#include "snmp/octet_values.h"

#include <cstring>
#include <new>

#include "snmp/oid.h"
#include "snmp/value_visitor.h"

namespace {

// Capacity steps of 128 bytes: (n / 128 + 1) * 128.
constexpr size_t kCapacityStep = 128;

constexpr uint32_t kMaxByte = 255;

}  // namespace

int32_t CTqsOctetString::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_octet_string(this) : QMR_E_INVALID_ARG;
}

CTqsOctetString *CTqsOctetString::make_empty() const { return new (std::nothrow) CTqsOctetString(); }

ITqsSnmpValue *CTqsOctetString::clone(int32_t *result) const {
  CTqsOctetString *copy = make_empty();
  int32_t rc = copy ? copy->set_bytes(m_bytes.data(), static_cast<uint32_t>(m_bytes.size())) : QMR_E_NO_MEMORY;
  if (rc != QMR_OK && copy) {
    copy->release();
    copy = nullptr;
  }
  tqs_put_result(result, rc);
  return copy;
}

int32_t CTqsOctetString::assign(const ITqsSnmpValue *other) {
  if (!other || other->type() != type()) return QMR_E_INVALID_ARG;
  if (other == this) return QMR_OK;
  uint32_t n = 0;
  const uint8_t *bytes = other->get_bytes(&n);
  return set_bytes(bytes, n);
}

int32_t CTqsOctetString::clear() {
  m_bytes.clear();
  return QMR_OK;
}

uint32_t CTqsOctetString::type() const { return kTqsOctetString; }

bool CTqsOctetString::equals(const ITqsSnmpValue *other) const {
  if (!other || other->type() != type()) return false;
  uint32_t n = 0;
  const uint8_t *bytes = other->get_bytes(&n);
  return n == m_bytes.size() && (n == 0 || std::memcmp(bytes, m_bytes.data(), n) == 0);
}

int32_t CTqsOctetString::write_text(ITqsOctetBuffer *buffer) const { return write_bytes(buffer); }

const uint8_t *CTqsOctetString::get_bytes(uint32_t *length, int32_t *result) const {
  if (!length) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  *length = static_cast<uint32_t>(m_bytes.size());
  tqs_put_result(result, QMR_OK);
  return m_bytes.empty() ? nullptr : m_bytes.data();
}

int32_t CTqsOctetString::write_bytes(ITqsOctetBuffer *buffer) const {
  if (!buffer) return QMR_E_INVALID_ARG;
  return buffer->set(m_bytes.data(), static_cast<uint32_t>(m_bytes.size()));
}

int32_t CTqsOctetString::set_text(const char *text) {
  return set_bytes(reinterpret_cast<const uint8_t *>(text), text ? static_cast<uint32_t>(std::strlen(text)) : 0);
}

int32_t CTqsOctetString::set_text_from_buffer(const ITqsOctetBuffer *buffer) {
  return buffer ? set_bytes(buffer->data(), buffer->size()) : set_bytes(nullptr, 0);
}

int32_t CTqsOctetString::set_bytes(const uint8_t *bytes, uint32_t length) {
  if (!bytes) length = 0;
  if (!reserve_for(length)) return QMR_E_NO_MEMORY;
  // assign() copes with a source inside this value's own bytes, and keeps
  // the capacity, so it cannot throw here.
  m_bytes.assign(bytes, bytes + length);
  return QMR_OK;
}

bool CTqsOctetString::reserve_for(uint32_t length) {
  if (m_bytes.capacity() >= length) return true;
  try {
    m_bytes.reserve((length / kCapacityStep + 1) * kCapacityStep);
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

uint32_t CTqsOctetString::length() const { return static_cast<uint32_t>(m_bytes.size()); }

uint32_t CTqsOctetString::index_length(bool implied) const { return length() + (implied ? 0 : 1); }

uint32_t CTqsOctetString::sub_identifier(uint32_t position, int32_t *result) const {
  if (position >= m_bytes.size()) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return ~0u;
  }
  tqs_put_result(result, QMR_OK);
  return m_bytes[position];
}

int32_t CTqsOctetString::append_index_to(ITqsOid *oid, bool implied) const {
  if (!oid) return QMR_E_INVALID_ARG;
  int32_t rc = oid->reserve(oid->length() + index_length(implied));
  if (rc == QMR_OK && !implied) rc = oid->append_sub_identifier(length());
  for (size_t i = 0; rc == QMR_OK && i < m_bytes.size(); ++i) rc = oid->append_sub_identifier(m_bytes[i]);
  return rc;
}

int32_t CTqsOctetString::read_index(const ITqsOid *oid, bool implied, int32_t count) {
  const uint32_t *ids = nullptr;
  uint32_t length = 0;
  const int32_t rc = tqs_variable_index(oid, implied, count, &ids, &length);
  if (rc != QMR_OK) return rc;
  if (!reserve_for(length)) return QMR_E_NO_MEMORY;
  m_bytes.clear();
  for (uint32_t i = 0; i < length; ++i) {
    const uint32_t id = ids[i];
    if (id > kMaxByte) return QMR_E_INDEX_FIT;
    m_bytes.push_back(static_cast<uint8_t>(id));  // within the reserved capacity
  }
  return QMR_OK;
}

// ---- Opaque

uint32_t CTqsOpaque::type() const { return kTqsOpaque; }
CTqsOctetString *CTqsOpaque::make_empty() const { return new (std::nothrow) CTqsOpaque(); }
