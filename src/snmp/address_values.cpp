#include "snmp/address_values.h"

#include <cstring>
#include <new>

#include "snmp/oid.h"
#include "snmp/value_text.h"
#include "snmp/value_visitor.h"

namespace {

constexpr uint64_t kMaxByte = 255;
constexpr uint64_t kMaxPort = 0xFFFF;
constexpr uint64_t kMaxIpv6Group = 0xFFFF;

// Reads "a.b.c.d" (each 0..255) into four bytes.
bool read_ipv4(const char **p, uint8_t *out) {
  for (int i = 0; i < 4; ++i) {
    uint64_t field = 0;
    if ((i > 0 && !tqs_read_char(p, '.')) || !tqs_read_decimal(p, kMaxByte, &field)) return false;
    out[i] = static_cast<uint8_t>(field);
  }
  return true;
}

// Reads `count` bytes of two hexadecimal digits each.
bool read_hex_bytes(const char **p, int count, uint8_t *out) {
  for (int i = 0; i < count; ++i) {
    uint64_t byte = 0;
    if (!tqs_read_hex(p, 2, kMaxByte, &byte)) return false;
    out[i] = static_cast<uint8_t>(byte);
  }
  return true;
}

uint16_t be16_at(const uint8_t *bytes) { return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]); }

void put_be16(uint8_t *bytes, uint16_t port) {
  bytes[0] = static_cast<uint8_t>(port >> 8);
  bytes[1] = static_cast<uint8_t>(port);
}

}  // namespace

// ---- shared by every address type

ITqsSnmpValue *CTqsAddressValue::clone(int32_t *result) const {
  CTqsAddressValue *copy = nullptr;
  switch (m_type) {
    case kTqsIpAddress:
      copy = new (std::nothrow) CTqsIpAddress();
      break;
    case kTqsIpv6Address:
      copy = new (std::nothrow) CTqsIpv6Address();
      break;
    case kTqsUdpAddress:
      copy = new (std::nothrow) CTqsUdpAddress();
      break;
    default:
      copy = new (std::nothrow) CTqsIpxAddress();
      break;
  }
  if (copy) std::memcpy(copy->m_bytes, m_bytes, m_size);
  tqs_put_result(result, copy ? QMR_OK : QMR_E_NO_MEMORY);
  return copy;
}

int32_t CTqsAddressValue::assign(const ITqsSnmpValue *other) {
  if (!other || other->type() != m_type) return QMR_E_INVALID_ARG;
  uint32_t n = 0;
  const uint8_t *bytes = other->get_bytes(&n);
  return set_bytes(bytes, n);
}

int32_t CTqsAddressValue::clear() {
  std::memset(m_bytes, 0, sizeof m_bytes);
  return QMR_OK;
}

uint32_t CTqsAddressValue::type() const { return m_type; }

bool CTqsAddressValue::equals(const ITqsSnmpValue *other) const {
  if (!other || other->type() != m_type) return false;
  uint32_t n = 0;
  const uint8_t *bytes = other->get_bytes(&n);
  return n == m_size && std::memcmp(bytes, m_bytes, m_size) == 0;
}

const uint8_t *CTqsAddressValue::get_bytes(uint32_t *length, int32_t *result) const {
  if (!length) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  *length = m_size;
  tqs_put_result(result, QMR_OK);
  return m_bytes;
}

int32_t CTqsAddressValue::write_bytes(ITqsOctetBuffer *buffer) const {
  return buffer ? buffer->set(m_bytes, m_size) : QMR_E_INVALID_ARG;
}

int32_t CTqsAddressValue::set_bytes(const uint8_t *bytes, uint32_t length) {
  if (!bytes) return clear();
  // A different length would leave the address half old, half new.
  if (length != m_size) return QMR_E_INVALID_ARG;
  std::memmove(m_bytes, bytes, m_size);
  return QMR_OK;
}

uint32_t CTqsAddressValue::length() const { return m_size; }

uint32_t CTqsAddressValue::index_length(bool implied) const {
  return (m_lead != kNoLead ? 1 : 0) + (implied ? 0 : 1) + m_size;
}

int32_t CTqsAddressValue::append_index_to(ITqsOid *oid, bool implied) const {
  if (!oid) return QMR_E_INVALID_ARG;
  uint32_t ids[2 + kMaxSize];
  uint32_t n = 0;
  if (m_lead != kNoLead) ids[n++] = m_lead;
  if (!implied) ids[n++] = m_size;
  for (uint32_t i = 0; i < m_size; ++i) ids[n++] = m_bytes[i];
  return oid->append_sub_identifiers(ids, n);
}

int32_t CTqsAddressValue::read_index(const ITqsOid *oid, bool implied, int32_t) {
  const uint32_t *ids = nullptr;
  uint32_t n = 0;
  int32_t rc = tqs_index_source(oid, &ids, &n);
  if (rc != QMR_OK) return rc;
  uint32_t at = 0;
  if (m_lead != kNoLead && (n <= at || ids[at++] != m_lead)) return QMR_E_INDEX_FIT;
  if (!implied && (n <= at || ids[at++] != m_size)) return QMR_E_INDEX_FIT;
  if (n - at < m_size) return QMR_E_INDEX_FIT;
  for (uint32_t i = 0; i < m_size; ++i) {
    const uint32_t id = ids[at + i];
    if (id > kMaxByte) return QMR_E_INDEX_FIT;
    m_bytes[i] = static_cast<uint8_t>(id);
  }
  return QMR_OK;
}

uint16_t CTqsAddressValue::get_port(int32_t *result) const {
  if (!has_port()) return unsupported<uint16_t>(result, 0xFFFF);
  tqs_put_result(result, QMR_OK);
  return be16_at(m_bytes + m_size - 2);
}

int32_t CTqsAddressValue::set_port(uint16_t port) {
  if (!has_port()) return QMR_E_NOT_SUPPORTED;
  put_be16(m_bytes + m_size - 2, port);
  return QMR_OK;
}

// ---- IpAddress

int32_t CTqsIpAddress::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_ip_address(this) : QMR_E_INVALID_ARG;
}
int32_t CTqsIpAddress::write_text(ITqsOctetBuffer *buffer) const {
  return tqs_buffer_printf(buffer, "%d.%d.%d.%d", m_bytes[0], m_bytes[1], m_bytes[2], m_bytes[3]);
}
int32_t CTqsIpAddress::set_text(const char *text) {
  uint8_t bytes[kTqsIpAddressSize];
  if (!text || !read_ipv4(&text, bytes) || *text != '\0') return QMR_E_INVALID_ARG;
  std::memcpy(m_bytes, bytes, sizeof bytes);
  return QMR_OK;
}

// ---- IPv6 address

int32_t CTqsIpv6Address::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_ipv6_address(this) : QMR_E_INVALID_ARG;
}
int32_t CTqsIpv6Address::write_text(ITqsOctetBuffer *buffer) const {
  const uint8_t *b = m_bytes;
  return tqs_buffer_printf(buffer, "%x:%x:%x:%x:%x:%x:%x:%x", be16_at(b), be16_at(b + 2), be16_at(b + 4),
                           be16_at(b + 6), be16_at(b + 8), be16_at(b + 10), be16_at(b + 12), be16_at(b + 14));
}
int32_t CTqsIpv6Address::set_text(const char *text) {
  // All eight groups; a group above 0xFFFF is refused rather than cut down.
  uint8_t bytes[kTqsIpv6AddressSize];
  if (!text) return QMR_E_INVALID_ARG;
  for (int i = 0; i < 8; ++i) {
    uint64_t group = 0;
    if ((i > 0 && !tqs_read_char(&text, ':')) || !tqs_read_hex(&text, 0, kMaxIpv6Group, &group)) {
      return QMR_E_INVALID_ARG;
    }
    put_be16(bytes + 2 * i, static_cast<uint16_t>(group));
  }
  if (*text != '\0') return QMR_E_INVALID_ARG;
  std::memcpy(m_bytes, bytes, sizeof bytes);
  return QMR_OK;
}

// ---- UDP/IPv4 transport address

int32_t CTqsUdpAddress::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_udp_address(this) : QMR_E_INVALID_ARG;
}
int32_t CTqsUdpAddress::write_text(ITqsOctetBuffer *buffer) const {
  return tqs_buffer_printf(buffer, "%d.%d.%d.%d/%d", m_bytes[0], m_bytes[1], m_bytes[2], m_bytes[3],
                           be16_at(m_bytes + 4));
}
int32_t CTqsUdpAddress::set_text(const char *text) {
  uint8_t bytes[kTqsUdpAddressSize];
  uint64_t port = 0;
  if (!text || !read_ipv4(&text, bytes) || !tqs_read_char(&text, '/') ||
      !tqs_read_decimal(&text, kMaxPort, &port) || *text != '\0') {
    return QMR_E_INVALID_ARG;
  }
  put_be16(bytes + 4, static_cast<uint16_t>(port));
  std::memcpy(m_bytes, bytes, sizeof bytes);
  return QMR_OK;
}

// ---- IPX address

int32_t CTqsIpxAddress::accept(ITqsValueVisitor *visitor) {
  return visitor ? visitor->visit_ipx_address(this) : QMR_E_INVALID_ARG;
}
int32_t CTqsIpxAddress::write_text(ITqsOctetBuffer *buffer) const {
  const uint8_t *b = m_bytes;
  return tqs_buffer_printf(buffer, "%02x%02x%02x%02x:%02x%02x%02x%02x%02x%02x/%x", b[0], b[1], b[2], b[3], b[4],
                           b[5], b[6], b[7], b[8], b[9], be16_at(b + 10));
}
int32_t CTqsIpxAddress::set_text(const char *text) {
  uint8_t bytes[kTqsIpxAddressSize];
  uint64_t socket = 0;
  if (!text || !read_hex_bytes(&text, 4, bytes) || !tqs_read_char(&text, ':') ||
      !read_hex_bytes(&text, 6, bytes + 4) || !tqs_read_char(&text, '/') ||
      !tqs_read_hex(&text, 0, kMaxPort, &socket) || *text != '\0') {
    return QMR_E_INVALID_ARG;
  }
  put_be16(bytes + 10, static_cast<uint16_t>(socket));
  std::memcpy(m_bytes, bytes, sizeof bytes);
  return QMR_OK;
}
