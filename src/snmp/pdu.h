// A PDU: type, request id, error fields, varbinds and the trap fields.
#ifndef QMR_SNMP_PDU_H
#define QMR_SNMP_PDU_H

#include <cstdint>

#include "snmp/snmp_types.h"

class ITqsOid;
class ITqsSnmpValue;
class ITqsVarBind;
class ITqsVarBindList;

// Owns its varbind list, time stamp (TimeTicks) and trap OID, each of which
// may be absent. For GetBulkRequest the error-status carries non-repeaters
// and the error-index max-repetitions. Set operations take ownership on
// success (the caller keeps what it passed on failure); getters lend.
class ITqsPdu {
 public:
  virtual void release() = 0;                                                    // 0
  // Releases varbinds, time stamp and trap OID; type -1, error-status -1,
  // error-index 0; the request id is kept.
  virtual int32_t clear() = 0;                                                   // 1
  virtual ITqsPdu *clone(int32_t *result = nullptr) const = 0;                  // 2
  // Copies the header, then replaces the varbinds by a clone of the other's.
  virtual int32_t assign(const ITqsPdu *other) = 0;                             // 3
  // Type, request id, error fields and clones of time stamp and trap OID.
  virtual int32_t copy_header(const ITqsPdu *other) = 0;                        // 4
  // Never equal while the type is -1.
  virtual bool equals(const ITqsPdu *other) const = 0;                          // 5
  virtual int32_t get_type() const = 0;                                         // 6
  virtual int32_t set_type(int32_t type) = 0;                                   // 7
  virtual ITqsVarBindList *get_var_bind_list() const = 0;                       // 8
  virtual int32_t set_var_bind_list(ITqsVarBindList *list) = 0;                 // 9 (null: none)
  virtual ITqsVarBindList *take_var_bind_list() = 0;                            // 10
  // Forwarded to the list, which is created first when absent.
  virtual int32_t append_new_var_bind(ITqsOid *name, ITqsSnmpValue *value) = 0;      // 11
  virtual int32_t append_var_bind(ITqsVarBind *var_bind) = 0;                        // 12
  virtual int32_t insert_new_var_bind_front(ITqsOid *name, ITqsSnmpValue *value) = 0;  // 13
  virtual int32_t insert_var_bind_front(ITqsVarBind *var_bind) = 0;                  // 14
  // -2 (or null) when there is nothing to take.
  virtual int32_t take_first_name_value(ITqsOid **name, ITqsSnmpValue **value) = 0;  // 15
  virtual ITqsVarBind *take_first_var_bind() = 0;                                    // 16
  virtual int32_t get_request_id() const = 0;                                   // 17
  virtual int32_t get_error_status() const = 0;                                 // 18
  virtual int64_t get_error_index() const = 0;                                  // 19
  virtual int32_t set_request_id(int32_t request_id) = 0;                       // 20
  virtual int32_t set_error_status(int32_t error_status) = 0;                   // 21
  virtual int32_t set_error_index(int64_t error_index) = 0;                     // 22
  virtual ITqsSnmpValue *get_time_stamp() const = 0;                            // 23
  virtual ITqsOid *get_trap_oid() const = 0;                                    // 24
  virtual ITqsSnmpValue *take_time_stamp() = 0;                                 // 25
  virtual ITqsOid *take_trap_oid() = 0;                                         // 26
  // -2 unless the value is TimeTicks; null removes it.
  virtual int32_t set_time_stamp(ITqsSnmpValue *time_stamp) = 0;                // 27
  // -2 unless the value is an OID; null removes it.
  virtual int32_t set_trap_oid(ITqsSnmpValue *trap_oid) = 0;                    // 28

 protected:
  virtual ~ITqsPdu() = default;
};

// A new PDU: type -1, no varbind list, request id and error fields 0, no
// time stamp or trap OID. Null with -3 when out of memory.
ITqsPdu *tqs_create_pdu(int32_t *result = nullptr);

#endif  // QMR_SNMP_PDU_H
