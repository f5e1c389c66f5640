// A variable binding: an OID name paired with a value.
#ifndef QMR_SNMP_VAR_BIND_H
#define QMR_SNMP_VAR_BIND_H

#include <cstdint>

class ITqsOid;
class ITqsSnmpValue;

// Owns its name and value (either may be absent). Set operations take
// ownership of what they are given on success and release what they
// replace; on failure the caller keeps what it passed. Getters lend.
class ITqsVarBind {
 public:
  virtual void release() = 0;                                                   // 0
  // Deep copy of name and value; the status is not copied (it is 0).
  virtual ITqsVarBind *clone(int32_t *result = nullptr) const = 0;             // 1
  // Names equal or both absent, values equal or both absent, same status.
  virtual bool equals(const ITqsVarBind *other) const = 0;                     // 2
  // Replaces name and value; an absent value becomes a new NULL value.
  virtual int32_t set(ITqsOid *name, ITqsSnmpValue *value) = 0;                // 3
  virtual int32_t set_name_value(ITqsOid *name, ITqsSnmpValue *value) = 0;     // 4 (as 3)
  // Hands out name and value (a member whose out pointer is null is
  // released instead) and leaves the varbind empty.
  virtual int32_t take(ITqsOid **name, ITqsSnmpValue **value) = 0;             // 5
  virtual int32_t set_name(ITqsOid *name) = 0;                                 // 6
  virtual int32_t set_value(ITqsSnmpValue *value) = 0;                         // 7
  virtual ITqsOid *get_name() const = 0;                                       // 8
  virtual ITqsSnmpValue *get_value() const = 0;                                // 9
  virtual int32_t get_status() const = 0;                                      // 10
  virtual int32_t set_status(int32_t status) = 0;                              // 11

 protected:
  virtual ~ITqsVarBind() = default;
};

// A new empty varbind (status 0), or null with -3.
ITqsVarBind *tqs_create_var_bind(int32_t *result = nullptr);

#endif  // QMR_SNMP_VAR_BIND_H
