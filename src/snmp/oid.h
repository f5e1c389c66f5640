// Object identifiers: the OID value's own operations and its factories.
#ifndef QMR_SNMP_OID_H
#define QMR_SNMP_OID_H

#include <cstdint>

#include "snmp/snmp_value.h"

// An OID is an ITqsSnmpValue of type 6 (kTqsObjectId) with these further
// operations. It is held as sub-identifiers (unsigned 32 bits each); its
// text form is the dotted decimal text without a leading dot, "" being the
// empty OID. The text is valid when empty or decimal numbers below 2^32
// separated by single dots, with no leading zeros and no dot at either end.
// An invalid text given to set_text is kept as text only: is_valid() is
// false, to_text() gives it back, and editing operations answer -2.
//
// Compare operations answer an ETqsOidRelation of this OID against the
// other, in the character order of the dotted texts ("1.3.6.1.10" sorts
// before "1.3.6.1.9"). Counts are sub-identifiers. Results as for
// ITqsSnmpValue; take operations hand new objects to the caller.
class ITqsOid : public ITqsSnmpValue {
 public:
  virtual ITqsOid *clone_oid(int32_t *result = nullptr) const = 0;                         // 0
  virtual int32_t compare_text(const char *text, int32_t *result = nullptr) const = 0;    // 1
  virtual int32_t compare(const ITqsOid *other, int32_t *result = nullptr) const = 0;     // 2
  // Removes a prefix: relation to it must be equal or this-below, else -2.
  virtual int32_t strip_prefix_text(const char *prefix) = 0;                               // 3
  virtual int32_t strip_prefix(const ITqsOid *prefix) = 0;                                 // 4
  // Appends "." and the text (no dot when empty); null or "" does nothing.
  virtual int32_t append_text(const char *text) = 0;                                       // 5
  virtual int32_t append_sub_identifier(uint32_t sub_identifier) = 0;                      // 6
  virtual int32_t append_oid(const ITqsOid *other) = 0;                                    // 7
  // Builds a value of `type` from `text` and appends its index form.
  virtual int32_t append_index_text(const char *text, uint32_t type, bool implied) = 0;    // 8
  virtual int32_t append_index(const ITqsSnmpValue *value, bool implied) = 0;              // 9
  // The first `count` sub-identifiers (all when fewer) move to a new OID.
  virtual ITqsOid *take_front(uint32_t count, int32_t *result = nullptr) = 0;              // 10
  // Sets `value` from the dotted text of the first `count` sub-identifiers
  // (all when fewer) and removes them.
  virtual int32_t take_front_into(ITqsSnmpValue *value, uint32_t count) = 0;               // 11
  // Removes and returns the first sub-identifier; -1 with -8 when empty.
  virtual uint32_t take_first_sub_identifier(int32_t *result = nullptr) = 0;               // 12
  virtual ITqsOctetBuffer *take_front_text(uint32_t count, int32_t *result = nullptr) = 0; // 13
  virtual int32_t take_front_text_into(ITqsOctetBuffer *buffer, uint32_t count) = 0;       // 14
  // Reads a new value of `type` from the front (see read_index) and removes
  // the sub-identifiers it took.
  virtual ITqsSnmpValue *take_index(uint32_t type, int32_t *result, bool implied, int32_t count) = 0;  // 15
  virtual int32_t take_index_into(ITqsSnmpValue *value, bool implied, int32_t count) = 0;  // 16
  // Removes `count` sub-identifiers from `start` (fewer at the end); -2 when
  // start is beyond the end.
  virtual int32_t remove(uint32_t start, uint32_t count) = 0;                              // 17
  // A new value of `type` read from all sub-identifiers; the OID is unchanged.
  virtual ITqsSnmpValue *read_index_as(uint32_t type, int32_t *result, bool implied) const = 0;  // 18
  virtual int32_t read_index_into(ITqsSnmpValue *value, bool implied) const = 0;           // 19
  // Replaces this OID by the value's index form.
  virtual int32_t set_from_value(const ITqsSnmpValue *value, bool implied) = 0;            // 20

  // Direct access for the codec, without text. The array is lent until the
  // next change; null when the OID is empty or its text is invalid.
  virtual const uint32_t *sub_identifiers() const = 0;
  // Replaces the content by `count` sub-identifiers (null with count 0 empties).
  virtual int32_t set_sub_identifiers(const uint32_t *sub_identifiers, uint32_t count) = 0;
  // Makes room for `count` sub-identifiers so that later appends do not allocate.
  virtual int32_t reserve(uint32_t count) = 0;
  // Appends `count` sub-identifiers.
  virtual int32_t append_sub_identifiers(const uint32_t *sub_identifiers, uint32_t count) = 0;
};

// A new empty OID, or null with -3.
ITqsOid *tqs_create_oid(int32_t *result = nullptr);
// A new OID from text that passes the syntax rule; else null with -2.
ITqsOid *tqs_create_oid_from_text(const char *text, int32_t *result = nullptr);
// True when `text` passes the OID syntax rule (null is not valid).
bool tqs_is_valid_oid_text(const char *text);

#endif  // QMR_SNMP_OID_H
