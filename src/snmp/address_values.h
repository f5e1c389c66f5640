// The fixed-size address values: IpAddress, IPv6 address, UDP/IPv4
// transport address and IPX address.
#ifndef QMR_SNMP_ADDRESS_VALUES_H
#define QMR_SNMP_ADDRESS_VALUES_H

#include <cstdint>

#include "snmp/value_base.h"

// Bytes stored inline and zeroed at creation (a new IpAddress reads
// "0.0.0.0"). set_bytes takes exactly the type's size. Index form:
// [lead sub-identifier] [size, unless implied] then one sub-identifier per
// byte, each at most 255; the transport types have a lead (1 for UDP, 5 for
// IPX), the others none.
class CTqsAddressValue : public CTqsValueBase<ITqsSnmpValue> {
 public:
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
  const uint8_t *get_bytes(uint32_t *length, int32_t *result = nullptr) const override;
  int32_t write_bytes(ITqsOctetBuffer *buffer) const override;
  int32_t set_bytes(const uint8_t *bytes, uint32_t length) override;
  uint32_t length() const override;
  uint32_t index_length(bool implied) const override;
  int32_t append_index_to(ITqsOid *oid, bool implied) const override;
  int32_t read_index(const ITqsOid *oid, bool implied, int32_t count) override;
  // The transport types' big-endian port (socket) in their last two bytes.
  uint16_t get_port(int32_t *result = nullptr) const override;
  int32_t set_port(uint16_t port) override;

 protected:
  static constexpr uint32_t kMaxSize = 16;
  static constexpr uint32_t kNoLead = 0;
  CTqsAddressValue(uint32_t type, uint32_t size, uint32_t lead) : m_type(type), m_size(size), m_lead(lead) {}
  bool has_port() const { return m_lead != kNoLead; }
  bool indexable() const override { return true; }

  uint8_t m_bytes[kMaxSize] = {};
  const uint32_t m_type;
  const uint32_t m_size;
  const uint32_t m_lead;
};

// "%d.%d.%d.%d", every field 0..255.
class CTqsIpAddress final : public CTqsAddressValue {
 public:
  CTqsIpAddress() : CTqsAddressValue(kTqsIpAddress, kTqsIpAddressSize, kNoLead) {}
  int32_t accept(ITqsValueVisitor *visitor) override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_text(const char *text) override;
};

// Eight 16-bit hexadecimal groups, big-endian, no zero compression.
class CTqsIpv6Address final : public CTqsAddressValue {
 public:
  CTqsIpv6Address() : CTqsAddressValue(kTqsIpv6Address, kTqsIpv6AddressSize, kNoLead) {}
  int32_t accept(ITqsValueVisitor *visitor) override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_text(const char *text) override;
};

// 4 address bytes and a big-endian port: "%d.%d.%d.%d/%d".
class CTqsUdpAddress final : public CTqsAddressValue {
 public:
  static constexpr uint32_t kIndexLead = 1;
  CTqsUdpAddress() : CTqsAddressValue(kTqsUdpAddress, kTqsUdpAddressSize, kIndexLead) {}
  int32_t accept(ITqsValueVisitor *visitor) override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_text(const char *text) override;
};

// 4 network bytes, 6 node bytes and a big-endian socket:
// "%02x%02x%02x%02x:%02x%02x%02x%02x%02x%02x/%x".
class CTqsIpxAddress final : public CTqsAddressValue {
 public:
  static constexpr uint32_t kIndexLead = 5;
  CTqsIpxAddress() : CTqsAddressValue(kTqsIpxAddress, kTqsIpxAddressSize, kIndexLead) {}
  int32_t accept(ITqsValueVisitor *visitor) override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_text(const char *text) override;
};

#endif  // QMR_SNMP_ADDRESS_VALUES_H
