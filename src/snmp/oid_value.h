// The OBJECT IDENTIFIER value class.
#ifndef QMR_SNMP_OID_VALUE_H
#define QMR_SNMP_OID_VALUE_H

#include <cstdint>
#include <string>

#include "snmp/oid.h"
#include "snmp/sub_id_array.h"
#include "snmp/value_base.h"

// Held as sub-identifiers; the count is the array's size. A text that
// breaks the syntax rule is kept in m_badText instead (m_valid false), so
// that it reads back unchanged and is_valid() can refuse it.
class CTqsOid final : public CTqsValueBase<ITqsOid> {
 public:
  CTqsOid() = default;

  // ITqsSnmpValue
  int32_t accept(ITqsValueVisitor *visitor) override;
  ITqsSnmpValue *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpValue *other) override;
  int32_t clear() override;
  uint32_t type() const override;
  bool equals(const ITqsSnmpValue *other) const override;
  ITqsOid *as_oid() override;
  int32_t query(uint32_t id, void **out) override;
  bool is_valid() const override;
  int32_t write_text(ITqsOctetBuffer *buffer) const override;
  int32_t set_text(const char *text) override;
  uint32_t length() const override;
  uint32_t index_length(bool implied) const override;
  uint32_t sub_identifier(uint32_t position, int32_t *result = nullptr) const override;
  int32_t append_index_to(ITqsOid *oid, bool implied) const override;
  int32_t store_index_in(ITqsOid *oid, bool implied) const override;
  int32_t read_index(const ITqsOid *oid, bool implied, int32_t count) override;

  // ITqsOid
  ITqsOid *clone_oid(int32_t *result = nullptr) const override;
  int32_t compare_text(const char *text, int32_t *result = nullptr) const override;
  int32_t compare(const ITqsOid *other, int32_t *result = nullptr) const override;
  int32_t strip_prefix_text(const char *prefix) override;
  int32_t strip_prefix(const ITqsOid *prefix) override;
  int32_t append_text(const char *text) override;
  int32_t append_sub_identifier(uint32_t sub_identifier) override;
  int32_t append_oid(const ITqsOid *other) override;
  int32_t append_index_text(const char *text, uint32_t type, bool implied) override;
  int32_t append_index(const ITqsSnmpValue *value, bool implied) override;
  ITqsOid *take_front(uint32_t count, int32_t *result = nullptr) override;
  int32_t take_front_into(ITqsSnmpValue *value, uint32_t count) override;
  uint32_t take_first_sub_identifier(int32_t *result = nullptr) override;
  ITqsOctetBuffer *take_front_text(uint32_t count, int32_t *result = nullptr) override;
  int32_t take_front_text_into(ITqsOctetBuffer *buffer, uint32_t count) override;
  ITqsSnmpValue *take_index(uint32_t type, int32_t *result, bool implied, int32_t count) override;
  int32_t take_index_into(ITqsSnmpValue *value, bool implied, int32_t count) override;
  int32_t remove(uint32_t start, uint32_t count) override;
  ITqsSnmpValue *read_index_as(uint32_t type, int32_t *result, bool implied) const override;
  int32_t read_index_into(ITqsSnmpValue *value, bool implied) const override;
  int32_t set_from_value(const ITqsSnmpValue *value, bool implied) override;
  const uint32_t *sub_identifiers() const override;
  int32_t set_sub_identifiers(const uint32_t *sub_identifiers, uint32_t count) override;
  int32_t reserve(uint32_t count) override;
  int32_t append_sub_identifiers(const uint32_t *sub_identifiers, uint32_t count) override;

  // Non-virtual access for the codec, which reaches an OID through a type
  // code and then calls these directly.
  // The sub-identifiers; null while the OID holds an invalid text.
  const CTqsSubIdArray *valid_ids() const { return m_valid ? &m_ids : nullptr; }
  // Decoding in place: the content is dropped and storage for `count`
  // sub-identifiers returned (null when out of memory, the OID then empty);
  // set_decoded_count() then says how many were written.
  uint32_t *decode_storage(uint32_t count) {
    if (!m_valid) {
      m_valid = true;
      m_badText.clear();
    }
    return m_ids.storage(count);
  }
  void set_decoded_count(uint32_t count) { m_ids.set_size(count); }

 protected:
  bool indexable() const override { return true; }

 private:
  // Appends the dotted text of the first `count` sub-identifiers.
  int32_t write_front_text(ITqsOctetBuffer *buffer, uint32_t count) const;
  std::string text() const;

  CTqsSubIdArray m_ids;
  bool m_valid = true;
  std::string m_badText;
};

// CTqsOid is the only class behind ITqsOid (every OID comes from the
// factories or clones), so the codec may use its non-virtual access.
inline CTqsOid *tqs_concrete_oid(ITqsOid *oid) { return static_cast<CTqsOid *>(oid); }
inline const CTqsOid *tqs_concrete_oid(const ITqsOid *oid) { return static_cast<const CTqsOid *>(oid); }

// Parses a dotted text into `ids`: 0, -2 when the text breaks the syntax
// rule, -3 when out of memory (ids then hold a partial result).
int32_t tqs_parse_oid_text(const char *text, CTqsSubIdArray &ids);

#endif  // QMR_SNMP_OID_VALUE_H
