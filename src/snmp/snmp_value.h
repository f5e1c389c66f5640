// The common interface of every SNMP variable value, and the value factory.
#ifndef QMR_SNMP_SNMP_VALUE_H
#define QMR_SNMP_SNMP_VALUE_H

#include <cstdint>

#include "snmp/snmp_types.h"

class ITqsOid;
class ITqsOctetBuffer;
class ITqsValueVisitor;

// One class per type code (see ETqsValueType). Every operation a type does
// not offer answers -5 (QMR_E_NOT_SUPPORTED), through its result or through
// the optional `result` out-parameter; numeric getters then return all bits
// set (-1) and get_port 0xFFFF. Results: 0, -2 invalid argument or text that
// does not parse, -3 out of memory, -5 not supported, -7 OID position out of
// range, -8 empty OID, -401 index sub-identifiers that do not fit the type.
//
// Ownership: the creator owns a value and destroys it with release().
// Operations returning a new object (clone, to_text, to_bytes) hand it to
// the caller; get_bytes lends the stored bytes until the next change.
class ITqsSnmpValue {
 public:
  virtual int32_t accept(ITqsValueVisitor *visitor) = 0;                    // 0
  virtual void release() = 0;                                               // 1
  virtual ITqsSnmpValue *clone(int32_t *result = nullptr) const = 0;        // 2
  // Copies the content of a value of the same type; -2 otherwise.
  virtual int32_t assign(const ITqsSnmpValue *other) = 0;                   // 3
  // Back to the type's empty value (0, no bytes, zeroed address, empty OID).
  virtual int32_t clear() = 0;                                              // 4
  virtual uint32_t type() const = 0;                                        // 5
  virtual bool equals(const ITqsSnmpValue *other) const = 0;                // 6
  // The OID interface of an OID value, else null.
  virtual ITqsOid *as_oid() = 0;                                            // 7
  // Interface ids: see kTqsValueInterfaceBase. 0 and *out set, -2 for a null
  // out pointer, -4 (and *out null) for an id not answered.
  virtual int32_t query(uint32_t id, void **out) = 0;                       // 8
  // True, except for an OID whose text breaks the OID syntax rule.
  virtual bool is_valid() const = 0;                                        // 9
  virtual int32_t get_int32(int32_t *result = nullptr) const = 0;           // 10
  virtual uint32_t get_uint32(int32_t *result = nullptr) const = 0;         // 11
  virtual ITqsOctetBuffer *to_text(int32_t *result = nullptr) const = 0;    // 12
  virtual int32_t write_text(ITqsOctetBuffer *buffer) const = 0;            // 13
  // The stored bytes; -2 when `length` is null. Null for an empty value.
  virtual const uint8_t *get_bytes(uint32_t *length, int32_t *result = nullptr) const = 0;  // 14
  virtual ITqsOctetBuffer *to_bytes(int32_t *result = nullptr) const = 0;   // 15
  virtual int32_t write_bytes(ITqsOctetBuffer *buffer) const = 0;           // 16
  virtual uint16_t get_port(int32_t *result = nullptr) const = 0;           // 17
  virtual uint32_t get_high(int32_t *result = nullptr) const = 0;           // 18
  virtual uint32_t get_low(int32_t *result = nullptr) const = 0;            // 19
  virtual int32_t set_int32(int32_t number) = 0;                            // 20
  // Counter64: sets the low half and clears the high half.
  virtual int32_t set_uint32(uint32_t number) = 0;                          // 21
  // Parses the text form. OCTET STRING and Opaque take the text's bytes; an
  // OID stores its text even when it breaks the syntax (see is_valid).
  virtual int32_t set_text(const char *text) = 0;                           // 22
  virtual int32_t set_text_from_buffer(const ITqsOctetBuffer *buffer) = 0;  // 23
  // Byte-array types; a null pointer empties the value (an address type is
  // zeroed). The fixed-size address types take exactly their size, else -2.
  virtual int32_t set_bytes(const uint8_t *bytes, uint32_t length) = 0;     // 24
  virtual int32_t set_bytes_from_buffer(const ITqsOctetBuffer *buffer) = 0; // 25
  virtual int32_t set_port(uint16_t port) = 0;                              // 26
  virtual int32_t set_high(uint32_t number) = 0;                            // 27
  virtual int32_t set_low(uint32_t number) = 0;                             // 28
  // Bytes of a byte-array type, sub-identifiers of an OID, else 0.
  virtual uint32_t length() const = 0;                                      // 29
  // Sub-identifiers the value occupies as a table index (0 if not indexable).
  virtual uint32_t index_length(bool implied) const = 0;                    // 30
  // OID: the sub-identifier at `position`; OCTET STRING: the byte there.
  virtual uint32_t sub_identifier(uint32_t position, int32_t *result = nullptr) const = 0;  // 31
  // Appends the value's index form to `oid`.
  virtual int32_t append_index_to(ITqsOid *oid, bool implied) const = 0;   // 32
  // Replaces the content of `oid` by the value's index form.
  virtual int32_t store_index_in(ITqsOid *oid, bool implied) const = 0;    // 33
  // Sets the value from `oid`'s sub-identifiers, starting with the first.
  // `count` is the number of sub-identifiers an implied variable-length
  // index takes (-1: all remaining); it is ignored otherwise. On -401 the
  // value may be partly written.
  virtual int32_t read_index(const ITqsOid *oid, bool implied, int32_t count) = 0;  // 34

 protected:
  virtual ~ITqsSnmpValue() = default;
};

// A new value of `type` holding the type's empty value, or null with -2 for
// a code that is not one of ETqsValueType, -3 when out of memory.
ITqsSnmpValue *tqs_create_value(uint32_t type, int32_t *result = nullptr);

// An INTEGER (number must fit 32 signed bits), Counter32, Gauge32, TimeTicks
// (0..0xFFFFFFFF) or Counter64 (number >= 0) value; -2 for other types or a
// number out of range.
ITqsSnmpValue *tqs_create_number_value(uint32_t type, int64_t number, int32_t *result = nullptr);

// A value of `type` parsed from `text`; -2 for null text, text that does not
// parse, or a value that is not valid afterwards.
ITqsSnmpValue *tqs_create_value_from_text(const char *text, uint32_t type, int32_t *result = nullptr);

// True when `type` is one of the codes the factory accepts.
bool tqs_is_value_type(uint32_t type);

#endif  // QMR_SNMP_SNMP_VALUE_H
