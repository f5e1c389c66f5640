// An ordered list of owned variable bindings.
#ifndef QMR_SNMP_VAR_BIND_LIST_H
#define QMR_SNMP_VAR_BIND_LIST_H

#include <cstdint>

class ITqsOid;
class ITqsSnmpValue;
class ITqsVarBind;

// Owns its varbinds. Adding operations take ownership on success (the
// caller keeps what it passed on failure); get_at lends. Results: 0, -2
// null argument or index out of range, -3 out of memory.
class ITqsVarBindList {
 public:
  virtual void release() = 0;                                                          // 0
  virtual ITqsVarBindList *clone(int32_t *result = nullptr) const = 0;                // 1
  virtual bool equals(const ITqsVarBindList *other) const = 0;                        // 2
  virtual uint32_t count() const = 0;                                                 // 3
  // A new varbind of `name` (required) and `value` (absent: NULL) at the end.
  virtual int32_t append_new(ITqsOid *name, ITqsSnmpValue *value) = 0;                // 4
  virtual int32_t append(ITqsVarBind *var_bind) = 0;                                  // 5
  virtual int32_t insert_new_front(ITqsOid *name, ITqsSnmpValue *value) = 0;          // 6
  virtual int32_t insert_front(ITqsVarBind *var_bind) = 0;                            // 7
  // Removes the varbind at `index`, handing it out (released when `out` is null).
  virtual int32_t remove_at(uint32_t index, ITqsVarBind **out = nullptr) = 0;         // 8
  // Removes the first varbind and hands out its name and value (each
  // released when its out pointer is null); -2 when the list is empty.
  virtual int32_t take_first_name_value(ITqsOid **name, ITqsSnmpValue **value) = 0;   // 9
  // The first varbind, removed from the list; null when empty.
  virtual ITqsVarBind *take_first() = 0;                                              // 10
  virtual ITqsVarBind *get_at(uint32_t index) const = 0;                              // 11
  // Clones of up to `count` varbinds from `start`; -2 when start >= count().
  virtual ITqsVarBindList *copy_range(uint32_t start, uint32_t count, int32_t *result = nullptr) const = 0;  // 12
  // The first `count` varbinds (all when fewer) moved to a new list.
  virtual ITqsVarBindList *take_front(uint32_t count, int32_t *result = nullptr) = 0;  // 13
  // The varbind at 1-based `error_index` gets `error_status`, every other
  // one kTqsStatusNotProcessed (100).
  virtual int32_t mark_error(int32_t error_status, int64_t error_index) = 0;          // 14
  virtual int32_t set_all_status(int32_t status) = 0;                                 // 15

  // Releases the varbinds from position `count` on (the decoder's trimming).
  virtual int32_t truncate(uint32_t count) = 0;
  // Makes room for `count` varbinds so that appends do not reallocate.
  virtual int32_t reserve(uint32_t count) = 0;
  // The count() varbinds in order, lent until the list changes, so that the
  // codec walks them without a call per varbind.
  virtual ITqsVarBind *const *items() const = 0;

 protected:
  virtual ~ITqsVarBindList() = default;
};

// A new empty list, or null with -3.
ITqsVarBindList *tqs_create_var_bind_list(int32_t *result = nullptr);

#endif  // QMR_SNMP_VAR_BIND_LIST_H
