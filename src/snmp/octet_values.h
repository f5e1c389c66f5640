// OCTET STRING and Opaque: a growable byte array.
#ifndef QMR_SNMP_OCTET_VALUES_H
#define QMR_SNMP_OCTET_VALUES_H

#include <cstdint>
#include <vector>

#include "snmp/value_base.h"

// Text form: the raw bytes. Index: the length (unless implied), then one
// sub-identifier per byte. Capacity grows in steps of 128 bytes and is kept
// when the content shrinks, so a reused value stops allocating.
class CTqsOctetString : public CTqsValueBase<ITqsSnmpValue> {
 public:
  CTqsOctetString() = default;
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  const uint8_t *get_bytes(uint32_t *length, int32_t *result = nullptr) const override;
  int32_t write_bytes(ITqsOctetBuffer *buffer) const override;
  int32_t set_text(const char *text) override;
  int32_t set_text_from_buffer(const ITqsOctetBuffer *buffer) override;
  int32_t set_bytes(const uint8_t *bytes, uint32_t length) override;
  uint32_t length() const override;
  uint32_t index_length(bool implied) const override;
  uint32_t sub_identifier(uint32_t position, int32_t *result = nullptr) const override;
  int32_t append_index_to(ITqsOid *oid, bool implied) const override;
  int32_t read_index(const ITqsOid *oid, bool implied, int32_t count) override;
  // Non-virtual access for the codec (reached through the type code).
  const uint8_t *bytes() const { return m_bytes.data(); }
  uint32_t byte_count() const { return static_cast<uint32_t>(m_bytes.size()); }

 protected:
  bool indexable() const override { return true; }
  // A new empty value of the same class.
  virtual CTqsOctetString *make_empty() const;

 private:
  // Capacity for `length` bytes, in steps of 128; false when out of memory.
  bool reserve_for(uint32_t length);

  std::vector<uint8_t> m_bytes;
};

// Opaque differs from OCTET STRING only in its code.
class CTqsOpaque final : public CTqsOctetString {
 public:
  CTqsOpaque() = default;
  uint32_t type() const override;

 protected:
  CTqsOctetString *make_empty() const override;
};

#endif  // QMR_SNMP_OCTET_VALUES_H
