// The defaults every value class starts from: each operation answers -5
// (not supported) until a class overrides it.
#ifndef QMR_SNMP_VALUE_BASE_H
#define QMR_SNMP_VALUE_BASE_H

#include <cstdint>

#include "net/octet_buffer.h"
#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"

// Writes `code` through an optional out-parameter.
inline void tqs_put_result(int32_t *result, int32_t code) {
  if (result) *result = code;
}

// The sub-identifiers an index is read from: -2 for a null OID or one whose
// text is invalid.
inline int32_t tqs_index_source(const ITqsOid *oid, const uint32_t **ids, uint32_t *count) {
  if (!oid || !oid->is_valid()) return QMR_E_INVALID_ARG;
  *ids = oid->sub_identifiers();
  *count = oid->length();
  return QMR_OK;
}

// The span of a variable-length index (OCTET STRING, OID): unless implied,
// a length sub-identifier and then that many; implied, `count` of them (-1:
// all). -401 when fewer follow than promised; checked before the caller
// allocates, since the length may come from the wire.
inline int32_t tqs_variable_index(const ITqsOid *oid, bool implied, int32_t count, const uint32_t **start,
                                  uint32_t *length) {
  const uint32_t *ids = nullptr;
  uint32_t n = 0;
  const int32_t rc = tqs_index_source(oid, &ids, &n);
  if (rc != QMR_OK) return rc;
  uint32_t first = 0;
  if (!implied) {
    if (n < 1) return QMR_E_INDEX_FIT;
    *length = ids[0];
    first = 1;
  } else {
    *length = count < 0 ? n : static_cast<uint32_t>(count);
  }
  if (*length > n - first) return QMR_E_INDEX_FIT;
  *start = *length ? ids + first : nullptr;
  return QMR_OK;
}

// `Interface` is ITqsSnmpValue, or ITqsOid for the OID class.
template <class Interface>
class CTqsValueBase : public Interface {
 public:
  CTqsValueBase(const CTqsValueBase &) = delete;
  CTqsValueBase &operator=(const CTqsValueBase &) = delete;

  void release() override { delete this; }
  ITqsOid *as_oid() override { return nullptr; }
  int32_t query(uint32_t id, void **out) override {
    if (!out) return QMR_E_INVALID_ARG;
    *out = nullptr;
    if (id == kTqsCommonValueId || id == kTqsCommonValueIdLong) {
      *out = static_cast<ITqsSnmpValue *>(this);
    } else if (id == own_interface_id()) {
      *out = static_cast<Interface *>(this);
    } else {
      return QMR_E_NO_INTERFACE;
    }
    return QMR_OK;
  }
  bool is_valid() const override { return true; }
  int32_t get_int32(int32_t *result = nullptr) const override { return unsupported(result, -1); }
  uint32_t get_uint32(int32_t *result = nullptr) const override { return unsupported(result, ~0u); }
  ITqsOctetBuffer *to_text(int32_t *result = nullptr) const override {
    return into_new_buffer(&ITqsSnmpValue::write_text, result);
  }
  int32_t write_text(ITqsOctetBuffer *) const override { return QMR_E_NOT_SUPPORTED; }
  const uint8_t *get_bytes(uint32_t *length, int32_t *result = nullptr) const override {
    if (length) *length = 0;
    return unsupported<const uint8_t *>(result, nullptr);
  }
  ITqsOctetBuffer *to_bytes(int32_t *result = nullptr) const override {
    return into_new_buffer(&ITqsSnmpValue::write_bytes, result);
  }
  int32_t write_bytes(ITqsOctetBuffer *) const override { return QMR_E_NOT_SUPPORTED; }
  uint16_t get_port(int32_t *result = nullptr) const override { return unsupported<uint16_t>(result, 0xFFFF); }
  uint32_t get_high(int32_t *result = nullptr) const override { return unsupported(result, ~0u); }
  uint32_t get_low(int32_t *result = nullptr) const override { return unsupported(result, ~0u); }
  int32_t set_int32(int32_t) override { return QMR_E_NOT_SUPPORTED; }
  int32_t set_uint32(uint32_t) override { return QMR_E_NOT_SUPPORTED; }
  int32_t set_text(const char *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t set_text_from_buffer(const ITqsOctetBuffer *buffer) override {
    return this->set_text(buffer ? buffer->c_str() : nullptr);
  }
  int32_t set_bytes(const uint8_t *, uint32_t) override { return QMR_E_NOT_SUPPORTED; }
  int32_t set_bytes_from_buffer(const ITqsOctetBuffer *buffer) override {
    return buffer ? this->set_bytes(buffer->data(), buffer->size()) : this->set_bytes(nullptr, 0);
  }
  int32_t set_port(uint16_t) override { return QMR_E_NOT_SUPPORTED; }
  int32_t set_high(uint32_t) override { return QMR_E_NOT_SUPPORTED; }
  int32_t set_low(uint32_t) override { return QMR_E_NOT_SUPPORTED; }
  uint32_t length() const override { return 0; }
  uint32_t index_length(bool) const override { return 0; }
  uint32_t sub_identifier(uint32_t, int32_t *result = nullptr) const override {
    return unsupported(result, ~0u);
  }
  int32_t append_index_to(ITqsOid *, bool) const override { return QMR_E_NOT_SUPPORTED; }
  int32_t store_index_in(ITqsOid *oid, bool implied) const override;
  int32_t read_index(const ITqsOid *, bool, int32_t) override { return QMR_E_NOT_SUPPORTED; }

 protected:
  CTqsValueBase() = default;
  ~CTqsValueBase() override = default;

  // The id query() answers with the class's own interface.
  virtual uint32_t own_interface_id() const { return kTqsValueInterfaceBase + this->type(); }
  // True for the types that have an index form.
  virtual bool indexable() const { return false; }

  template <class T>
  static T unsupported(int32_t *result, T failed) {
    tqs_put_result(result, QMR_E_NOT_SUPPORTED);
    return failed;
  }

 private:
  ITqsOctetBuffer *into_new_buffer(int32_t (ITqsSnmpValue::*write)(ITqsOctetBuffer *) const,
                                   int32_t *result) const {
    int32_t rc = QMR_OK;
    ITqsOctetBuffer *buffer = tqs_create_octet_buffer(&rc);
    if (buffer) {
      rc = (this->*write)(buffer);
      if (rc != QMR_OK) {
        buffer->release();
        buffer = nullptr;
      }
    }
    tqs_put_result(result, rc);
    return buffer;
  }
};

template <class Interface>
int32_t CTqsValueBase<Interface>::store_index_in(ITqsOid *oid, bool implied) const {
  if (!indexable()) return QMR_E_NOT_SUPPORTED;
  if (!oid) return QMR_E_INVALID_ARG;
  oid->clear();
  return this->append_index_to(oid, implied);
}

#endif  // QMR_SNMP_VALUE_BASE_H
