#include "snmp/oid_value.h"

#include <cstring>
#include <new>

#include "snmp/value_text.h"
#include "snmp/value_visitor.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Relation of the dotted texts `a` and `b`, character by character (signed
// characters, so '.' sorts before every digit). `a` lies below `b` when `b`
// is a prefix of `a` followed by a dot.
int32_t text_relation(const char *a, const char *b) {
  size_t i = 0;
  while (a[i] != '\0' && a[i] == b[i]) ++i;
  if (a[i] == '\0' && b[i] == '\0') return kTqsOidEqual;
  if (a[i] == '\0') return b[i] == '.' ? kTqsOidOtherBelow : kTqsOidSortsFirst;
  if (b[i] == '\0') return a[i] == '.' ? kTqsOidThisBelow : kTqsOidSortsAfter;
  return static_cast<signed char>(a[i]) < static_cast<signed char>(b[i]) ? kTqsOidSortsFirst : kTqsOidSortsAfter;
}

// The same relation worked out on sub-identifiers, without building texts.
int32_t id_relation(const uint32_t *a, uint32_t n, const uint32_t *b, uint32_t m) {
  const uint32_t common = n < m ? n : m;
  for (uint32_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    char da[kTqsDecimalBufferSize];
    char db[kTqsDecimalBufferSize];
    tqs_format_decimal(a[i], da);
    tqs_format_decimal(b[i], db);
    size_t k = 0;
    while (da[k] != '\0' && da[k] == db[k]) ++k;
    // One number's digits are a prefix of the other's: the shorter one is
    // followed by '.' or the end, both below any digit.
    if (da[k] == '\0') return kTqsOidSortsFirst;
    if (db[k] == '\0') return kTqsOidSortsAfter;
    return da[k] < db[k] ? kTqsOidSortsFirst : kTqsOidSortsAfter;
  }
  if (n == m) return kTqsOidEqual;
  // The empty text is followed by a digit, not a dot: no subtree relation.
  if (n < m) return n == 0 ? kTqsOidSortsFirst : kTqsOidOtherBelow;
  return m == 0 ? kTqsOidSortsAfter : kTqsOidThisBelow;
}

const ITqsOid *oid_of(const ITqsSnmpValue *value) {
  return (value && value->type() == kTqsObjectId) ? const_cast<ITqsSnmpValue *>(value)->as_oid() : nullptr;
}

}  // namespace

int32_t tqs_parse_oid_text(const char *text, CTqsSubIdArray &ids) {
  ids.clear();
  if (!text) return QMR_E_INVALID_ARG;
  if (*text == '\0') return QMR_OK;
  // Column names are parsed on every table read, so the digits are read
  // here directly: without a leading zero, a sub-identifier of more than
  // ten digits is past 32 bits anyway, and ten always fit in 64.
  constexpr int kMaxDigits = 10;
  for (;;) {
    if (!is_digit(*text)) return QMR_E_INVALID_ARG;
    // A number that begins with "0" is exactly "0".
    if (text[0] == '0' && is_digit(text[1])) return QMR_E_INVALID_ARG;
    uint64_t id = 0;
    int digits = 0;
    for (; is_digit(*text); ++text) {
      if (++digits > kMaxDigits) return QMR_E_INVALID_ARG;
      id = id * 10 + static_cast<uint64_t>(*text - '0');
    }
    if (id > UINT32_MAX) return QMR_E_INVALID_ARG;
    if (!ids.push_back(static_cast<uint32_t>(id))) return QMR_E_NO_MEMORY;
    if (*text == '\0') return QMR_OK;
    if (*text++ != '.') return QMR_E_INVALID_ARG;
  }
}

bool tqs_is_valid_oid_text(const char *text) {
  CTqsSubIdArray ids;
  return tqs_parse_oid_text(text, ids) == QMR_OK;
}

ITqsOid *tqs_create_oid(int32_t *result) {
  CTqsOid *oid = new (std::nothrow) CTqsOid();
  tqs_put_result(result, oid ? QMR_OK : QMR_E_NO_MEMORY);
  return oid;
}

ITqsOid *tqs_create_oid_from_text(const char *text, int32_t *result) {
  if (!text) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  // One parse: set_text keeps an unreadable text as an invalid OID, which
  // is refused here.
  int32_t rc = QMR_OK;
  ITqsOid *oid = tqs_create_oid(&rc);
  if (oid && (rc = oid->set_text(text)) == QMR_OK && !oid->is_valid()) rc = QMR_E_INVALID_ARG;
  if (oid && rc != QMR_OK) {
    oid->release();
    oid = nullptr;
  }
  tqs_put_result(result, rc);
  return oid;
}

// ---- ITqsSnmpValue

int32_t CTqsOid::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_oid(this) : QMR_E_INVALID_ARG;
}

ITqsSnmpValue *CTqsOid::clone(int32_t *result) const { return clone_oid(result); }

int32_t CTqsOid::assign(const ITqsSnmpValue *other) {
  const ITqsOid *source = oid_of(other);
  if (!source) return QMR_E_INVALID_ARG;
  if (source == this) return QMR_OK;
  if (source->is_valid()) return set_sub_identifiers(source->sub_identifiers(), source->length());
  int32_t rc = QMR_OK;
  ITqsOctetBuffer *text = source->to_text(&rc);
  if (!text) return rc;
  rc = set_text(text->c_str());
  text->release();
  return rc;
}

int32_t CTqsOid::clear() {
  m_ids.clear();
  m_valid = true;
  m_badText.clear();
  return QMR_OK;
}

uint32_t CTqsOid::type() const { return kTqsObjectId; }

bool CTqsOid::equals(const ITqsSnmpValue *other) const {
  const ITqsOid *that = oid_of(other);
  if (!that) return false;
  if (m_valid != that->is_valid()) return false;
  if (!m_valid) return compare(that) == kTqsOidEqual;
  const uint32_t n = m_ids.size();
  return that->length() == n && (n == 0 || std::memcmp(that->sub_identifiers(), m_ids.data(), n * sizeof(uint32_t)) == 0);
}

ITqsOid *CTqsOid::as_oid() { return this; }

int32_t CTqsOid::query(uint32_t id, void **out) {
  if (out && id == kTqsObjectId) {
    *out = static_cast<ITqsOid *>(this);
    return QMR_OK;
  }
  return CTqsValueBase<ITqsOid>::query(id, out);
}

bool CTqsOid::is_valid() const { return m_valid; }

int32_t CTqsOid::write_text(ITqsOctetBuffer *buffer) const {
  if (!buffer) return QMR_E_INVALID_ARG;
  if (!m_valid) return buffer->set_text(m_badText.c_str());
  int32_t rc = buffer->set(nullptr, 0);
  return rc == QMR_OK ? write_front_text(buffer, m_ids.size()) : rc;
}

int32_t CTqsOid::set_text(const char *text) {
  if (!text) return clear();
  const int32_t rc = tqs_parse_oid_text(text, m_ids);
  if (rc == QMR_OK) {
    m_valid = true;
    m_badText.clear();
    return QMR_OK;
  }
  if (rc != QMR_E_INVALID_ARG) {
    clear();
    return rc;
  }
  // Kept as given; is_valid() reports the fault.
  try {
    m_badText = text;
  } catch (const std::bad_alloc &) {
    clear();
    return QMR_E_NO_MEMORY;
  }
  m_ids.clear();
  m_valid = false;
  return QMR_OK;
}

uint32_t CTqsOid::length() const {
  if (m_valid) return m_ids.size();
  uint32_t dots = 0;
  for (char c : m_badText) dots += c == '.';
  return m_badText.empty() ? 0 : dots + 1;
}

uint32_t CTqsOid::index_length(bool implied) const { return length() + (implied ? 0 : 1); }

uint32_t CTqsOid::sub_identifier(uint32_t position, int32_t *result) const {
  int32_t rc = QMR_OK;
  if (!m_valid) {
    rc = QMR_E_INVALID_ARG;
  } else if (m_ids.empty()) {
    rc = QMR_E_NO_DEVICE;  // -8: empty OID
  } else if (position >= m_ids.size()) {
    rc = QMR_E_OUT_OF_RANGE;
  }
  tqs_put_result(result, rc);
  return rc == QMR_OK ? m_ids[position] : ~0u;
}

int32_t CTqsOid::append_index_to(ITqsOid *oid, bool implied) const {
  if (!oid || !m_valid || !oid->is_valid()) return QMR_E_INVALID_ARG;
  const uint32_t n = m_ids.size();
  // Reserving first keeps our array in place when oid is this OID.
  int32_t rc = oid->reserve(oid->length() + n + 1);
  if (rc == QMR_OK && !implied) rc = oid->append_sub_identifier(n);
  if (rc == QMR_OK) rc = oid->append_sub_identifiers(m_ids.data(), n);
  return rc;
}

int32_t CTqsOid::store_index_in(ITqsOid *oid, bool implied) const {
  if (!oid || !m_valid) return QMR_E_INVALID_ARG;
  if (oid != this) {
    oid->clear();
    return append_index_to(oid, implied);
  }
  CTqsOid *self = const_cast<CTqsOid *>(this);
  if (implied) return QMR_OK;
  const uint32_t n = m_ids.size();
  CTqsSubIdArray copy;
  if (!copy.push_back(n) || !copy.append(m_ids.data(), n) || !self->m_ids.assign(copy.data(), copy.size())) {
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

int32_t CTqsOid::read_index(const ITqsOid *oid, bool implied, int32_t count) {
  const uint32_t *ids = nullptr;
  uint32_t length = 0;
  const int32_t rc = tqs_variable_index(oid, implied, count, &ids, &length);
  if (rc != QMR_OK) return rc;
  // assign() copes with a source inside our own array (oid == this).
  return set_sub_identifiers(ids, length);
}

// ---- ITqsOid

ITqsOid *CTqsOid::clone_oid(int32_t *result) const {
  CTqsOid *copy = new (std::nothrow) CTqsOid();
  int32_t rc = copy ? copy->assign(this) : QMR_E_NO_MEMORY;
  if (rc != QMR_OK && copy) {
    copy->release();
    copy = nullptr;
  }
  tqs_put_result(result, rc);
  return copy;
}

int32_t CTqsOid::compare_text(const char *text, int32_t *result) const {
  if (!text) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return -1;
  }
  tqs_put_result(result, QMR_OK);
  if (m_valid) {
    CTqsSubIdArray other;
    if (tqs_parse_oid_text(text, other) == QMR_OK) {
      return id_relation(m_ids.data(), m_ids.size(), other.data(), other.size());
    }
  }
  try {
    return text_relation(this->text().c_str(), text);
  } catch (const std::bad_alloc &) {
    tqs_put_result(result, QMR_E_NO_MEMORY);
    return -1;
  }
}

int32_t CTqsOid::compare(const ITqsOid *other, int32_t *result) const {
  if (!other) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return -1;
  }
  if (m_valid && other->is_valid()) {
    tqs_put_result(result, QMR_OK);
    return id_relation(m_ids.data(), m_ids.size(), other->sub_identifiers(), other->length());
  }
  int32_t rc = QMR_OK;
  ITqsOctetBuffer *that = other->to_text(&rc);
  if (!that) {
    tqs_put_result(result, rc);
    return -1;
  }
  const int32_t relation = compare_text(that->c_str(), result);
  that->release();
  return relation;
}

int32_t CTqsOid::strip_prefix_text(const char *prefix) {
  if (!prefix || !m_valid) return QMR_E_INVALID_ARG;
  CTqsSubIdArray ids;
  const int32_t rc = tqs_parse_oid_text(prefix, ids);
  if (rc != QMR_OK) return rc;
  const int32_t relation = id_relation(m_ids.data(), m_ids.size(), ids.data(), ids.size());
  if (relation != kTqsOidEqual && relation != kTqsOidThisBelow) return QMR_E_INVALID_ARG;
  m_ids.erase(0, ids.size());
  return QMR_OK;
}

int32_t CTqsOid::strip_prefix(const ITqsOid *prefix) {
  if (!prefix || !m_valid || !prefix->is_valid()) return QMR_E_INVALID_ARG;
  const uint32_t n = prefix->length();
  const int32_t relation = id_relation(m_ids.data(), m_ids.size(), prefix->sub_identifiers(), n);
  if (relation != kTqsOidEqual && relation != kTqsOidThisBelow) return QMR_E_INVALID_ARG;
  m_ids.erase(0, n);
  return QMR_OK;
}

int32_t CTqsOid::append_text(const char *text) {
  if (!text || *text == '\0') return QMR_OK;
  if (m_valid) {
    CTqsSubIdArray ids;
    const int32_t rc = tqs_parse_oid_text(text, ids);
    if (rc != QMR_E_INVALID_ARG) return rc != QMR_OK ? rc : append_sub_identifiers(ids.data(), ids.size());
  }
  // Free text: the whole OID becomes text that is_valid() refuses.
  try {
    std::string joined = this->text();
    if (!joined.empty()) joined += '.';
    joined += text;
    m_badText.swap(joined);
  } catch (const std::bad_alloc &) {
    return QMR_E_NO_MEMORY;
  }
  m_ids.clear();
  m_valid = false;
  return QMR_OK;
}

int32_t CTqsOid::append_sub_identifier(uint32_t sub_identifier) {
  if (!m_valid) return QMR_E_INVALID_ARG;
  return m_ids.push_back(sub_identifier) ? QMR_OK : QMR_E_NO_MEMORY;
}

int32_t CTqsOid::append_oid(const ITqsOid *other) {
  if (!other || !other->is_valid()) return QMR_E_INVALID_ARG;
  return append_sub_identifiers(other->sub_identifiers(), other->length());
}

int32_t CTqsOid::append_index_text(const char *text, uint32_t type, bool implied) {
  if (!text) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  ITqsSnmpValue *value = tqs_create_value_from_text(text, type, &rc);
  if (!value) return rc;
  rc = append_index(value, implied);
  value->release();
  return rc;
}

int32_t CTqsOid::append_index(const ITqsSnmpValue *value, bool implied) {
  if (!value || !m_valid) return QMR_E_INVALID_ARG;
  return value->append_index_to(this, implied);
}

ITqsOid *CTqsOid::take_front(uint32_t count, int32_t *result) {
  if (!m_valid) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  if (count > m_ids.size()) count = m_ids.size();
  CTqsOid *front = new (std::nothrow) CTqsOid();
  if (!front || !front->m_ids.assign(m_ids.data(), count)) {
    if (front) front->release();
    tqs_put_result(result, QMR_E_NO_MEMORY);
    return nullptr;
  }
  m_ids.erase(0, count);
  tqs_put_result(result, QMR_OK);
  return front;
}

int32_t CTqsOid::take_front_into(ITqsSnmpValue *value, uint32_t count) {
  if (!value || value == this || !m_valid) return QMR_E_INVALID_ARG;
  if (count > m_ids.size()) count = m_ids.size();
  int32_t rc = QMR_OK;
  if (ITqsOid *oid = value->as_oid()) {
    rc = oid->set_sub_identifiers(count ? m_ids.data() : nullptr, count);
  } else {
    ITqsOctetBuffer *text = tqs_create_octet_buffer(&rc);
    if (!text) return rc;
    rc = write_front_text(text, count);
    if (rc == QMR_OK) rc = value->set_text(text->c_str());
    text->release();
  }
  if (rc == QMR_OK) m_ids.erase(0, count);
  return rc;
}

uint32_t CTqsOid::take_first_sub_identifier(int32_t *result) {
  int32_t rc = QMR_OK;
  const uint32_t first = sub_identifier(0, &rc);
  if (rc == QMR_OK) m_ids.erase(0, 1);
  tqs_put_result(result, rc);
  return first;
}

ITqsOctetBuffer *CTqsOid::take_front_text(uint32_t count, int32_t *result) {
  int32_t rc = QMR_OK;
  ITqsOctetBuffer *text = tqs_create_octet_buffer(&rc);
  if (text && (rc = take_front_text_into(text, count)) != QMR_OK) {
    text->release();
    text = nullptr;
  }
  tqs_put_result(result, rc);
  return text;
}

int32_t CTqsOid::take_front_text_into(ITqsOctetBuffer *buffer, uint32_t count) {
  if (!buffer || !m_valid) return QMR_E_INVALID_ARG;
  if (count > m_ids.size()) count = m_ids.size();
  int32_t rc = buffer->set(nullptr, 0);
  if (rc == QMR_OK) rc = write_front_text(buffer, count);
  if (rc == QMR_OK) m_ids.erase(0, count);
  return rc;
}

ITqsSnmpValue *CTqsOid::take_index(uint32_t type, int32_t *result, bool implied, int32_t count) {
  int32_t rc = QMR_OK;
  ITqsSnmpValue *value = tqs_create_value(type, &rc);
  if (value && (rc = take_index_into(value, implied, count)) != QMR_OK) {
    value->release();
    value = nullptr;
  }
  tqs_put_result(result, rc);
  return value;
}

int32_t CTqsOid::take_index_into(ITqsSnmpValue *value, bool implied, int32_t count) {
  if (!value || value == this) return QMR_E_INVALID_ARG;
  const int32_t rc = value->read_index(this, implied, count);
  if (rc == QMR_OK) m_ids.erase(0, value->index_length(implied));
  return rc;
}

int32_t CTqsOid::remove(uint32_t start, uint32_t count) {
  if (!m_valid || start >= m_ids.size()) return QMR_E_INVALID_ARG;
  m_ids.erase(start, count);
  return QMR_OK;
}

ITqsSnmpValue *CTqsOid::read_index_as(uint32_t type, int32_t *result, bool implied) const {
  int32_t rc = QMR_OK;
  ITqsSnmpValue *value = tqs_create_value(type, &rc);
  if (value && (rc = read_index_into(value, implied)) != QMR_OK) {
    value->release();
    value = nullptr;
  }
  tqs_put_result(result, rc);
  return value;
}

int32_t CTqsOid::read_index_into(ITqsSnmpValue *value, bool implied) const {
  if (!value) return QMR_E_INVALID_ARG;
  return value->read_index(this, implied, -1);
}

int32_t CTqsOid::set_from_value(const ITqsSnmpValue *value, bool implied) {
  if (!value) return QMR_E_INVALID_ARG;
  return value->store_index_in(this, implied);
}

const uint32_t *CTqsOid::sub_identifiers() const { return (m_valid && !m_ids.empty()) ? m_ids.data() : nullptr; }

int32_t CTqsOid::set_sub_identifiers(const uint32_t *sub_identifiers, uint32_t count) {
  if (!sub_identifiers && count) return QMR_E_INVALID_ARG;
  if (!m_ids.assign(sub_identifiers, count)) return QMR_E_NO_MEMORY;
  m_valid = true;
  m_badText.clear();
  return QMR_OK;
}

int32_t CTqsOid::reserve(uint32_t count) {
  return m_ids.reserve(count) ? QMR_OK : QMR_E_NO_MEMORY;
}

int32_t CTqsOid::append_sub_identifiers(const uint32_t *sub_identifiers, uint32_t count) {
  if (!m_valid || (!sub_identifiers && count)) return QMR_E_INVALID_ARG;
  return m_ids.append(sub_identifiers, count) ? QMR_OK : QMR_E_NO_MEMORY;
}

// ---- helpers

int32_t CTqsOid::write_front_text(ITqsOctetBuffer *buffer, uint32_t count) const {
  // Numbers are gathered in a small block so that the buffer grows rarely.
  char block[256];
  uint32_t used = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (used + kTqsDecimalBufferSize + 1 > sizeof block) {
      const int32_t rc = buffer->append(block, used);
      if (rc != QMR_OK) return rc;
      used = 0;
    }
    if (i > 0) block[used++] = '.';
    used += tqs_format_decimal(m_ids[i], block + used);
  }
  return used ? buffer->append(block, used) : QMR_OK;
}

std::string CTqsOid::text() const {
  if (!m_valid) return m_badText;
  std::string out;
  out.reserve(m_ids.size() * 4);
  char number[kTqsDecimalBufferSize];
  for (uint32_t i = 0; i < m_ids.size(); ++i) {
    if (i > 0) out += '.';
    out.append(number, tqs_format_decimal(m_ids[i], number));
  }
  return out;
}
