// The numeric value classes: INTEGER, the unsigned 32-bit types and Counter64.
#ifndef QMR_SNMP_NUMBER_VALUES_H
#define QMR_SNMP_NUMBER_VALUES_H

#include <cstdint>

#include "snmp/value_base.h"

// INTEGER: signed 32 bits; text is signed decimal; index: one sub-identifier.
class CTqsInteger final : public CTqsValueBase<ITqsSnmpValue> {
 public:
  CTqsInteger() = default;
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
  int32_t get_int32(int32_t *result = nullptr) const override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_int32(int32_t number) override;
  // Non-virtual access for the codec (reached through the type code).
  int32_t number() const { return m_value; }
  void set_number(int32_t number) { m_value = number; }
  int32_t set_text(const char *text) override;
  uint32_t index_length(bool implied) const override;
  int32_t append_index_to(ITqsOid *oid, bool implied) const override;
  int32_t read_index(const ITqsOid *oid, bool implied, int32_t count) override;

 protected:
  bool indexable() const override { return true; }

 private:
  int32_t m_value = 0;
};

// Counter32, Gauge32 and TimeTicks: unsigned 32 bits, differing only in
// their code and visitor operation. Text is unsigned decimal.
class CTqsUnsigned32 final : public CTqsValueBase<ITqsSnmpValue> {
 public:
  // `type` is kTqsCounter32, kTqsGauge32 or kTqsTimeTicks.
  explicit CTqsUnsigned32(uint32_t type) : m_type(type) {}
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
  uint32_t get_uint32(int32_t *result = nullptr) const override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_uint32(uint32_t number) override;
  // Non-virtual access for the codec (reached through the type code).
  uint32_t number() const { return m_value; }
  void set_number(uint32_t number) { m_value = number; }
  int32_t set_text(const char *text) override;
  uint32_t index_length(bool implied) const override;
  int32_t append_index_to(ITqsOid *oid, bool implied) const override;
  int32_t read_index(const ITqsOid *oid, bool implied, int32_t count) override;

 protected:
  bool indexable() const override { return true; }

 private:
  uint32_t m_type;
  uint32_t m_value = 0;
};

// Counter64: two unsigned 32-bit halves; text is the unsigned 64-bit
// decimal of high * 2^32 + low. Not indexable.
class CTqsCounter64 final : public CTqsValueBase<ITqsSnmpValue> {
 public:
  CTqsCounter64() = default;
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  uint32_t get_high(int32_t *result = nullptr) const override;
  uint32_t get_low(int32_t *result = nullptr) const override;
  int32_t set_uint32(uint32_t number) override;
  int32_t set_text(const char *text) override;
  int32_t set_high(uint32_t number) override;
  int32_t set_low(uint32_t number) override;

 private:
  uint32_t m_high = 0;
  uint32_t m_low = 0;
};

#endif  // QMR_SNMP_NUMBER_VALUES_H
