#include "snmp/pdu.h"

#include <new>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/value_base.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

bool both_absent_or_equal(const ITqsSnmpValue *a, const ITqsSnmpValue *b) {
  return (!a && !b) || (a && b && a->equals(b));
}

// A clone of `value`, or null for an absent one; false when cloning failed.
template <class T, class Clone>
bool clone_member(const T *value, TqcOwned<T> *out, Clone clone, int32_t *rc) {
  out->reset();
  if (!value) return true;
  out->reset(clone(value, rc));
  return *out != nullptr;
}

class CTqsPdu final : public ITqsPdu {
 public:
  CTqsPdu() = default;
  CTqsPdu(const CTqsPdu &) = delete;
  CTqsPdu &operator=(const CTqsPdu &) = delete;

  void release() override { delete this; }

  int32_t clear() override {
    m_list.reset();
    m_timeStamp.reset();
    m_trapOid.reset();
    m_type = kTqsPduNone;
    m_errorStatus = -1;
    m_errorIndex = 0;
    return QMR_OK;
  }

  ITqsPdu *clone(int32_t *result) const override {
    TqcOwned<CTqsPdu> copy(new (std::nothrow) CTqsPdu());
    const int32_t rc = copy ? copy->assign(this) : QMR_E_NO_MEMORY;
    tqs_put_result(result, rc);
    return rc == QMR_OK ? copy.release() : nullptr;
  }

  int32_t assign(const ITqsPdu *other) override {
    if (!other) return QMR_E_INVALID_ARG;
    if (other == this) return QMR_OK;
    int32_t rc = copy_header(other);
    if (rc != QMR_OK) return rc;
    TqcOwned<ITqsVarBindList> list;
    if (!clone_member<ITqsVarBindList>(other->get_var_bind_list(), &list,
                                       [](const ITqsVarBindList *l, int32_t *r) { return l->clone(r); }, &rc)) {
      return rc;
    }
    m_list = std::move(list);
    return QMR_OK;
  }

  int32_t copy_header(const ITqsPdu *other) override {
    if (!other) return QMR_E_INVALID_ARG;
    if (other == this) return QMR_OK;
    // Clones first, so that a failure leaves this PDU as it was.
    int32_t rc = QMR_OK;
    TqcOwned<ITqsSnmpValue> stamp;
    TqcOwned<ITqsOid> trap;
    if (!clone_member<ITqsSnmpValue>(other->get_time_stamp(), &stamp,
                                     [](const ITqsSnmpValue *v, int32_t *r) { return v->clone(r); }, &rc) ||
        !clone_member<ITqsOid>(other->get_trap_oid(), &trap,
                               [](const ITqsOid *v, int32_t *r) { return v->clone_oid(r); }, &rc)) {
      return rc;
    }
    m_type = other->get_type();
    m_requestId = other->get_request_id();
    m_errorStatus = other->get_error_status();
    m_errorIndex = other->get_error_index();
    m_timeStamp = std::move(stamp);
    m_trapOid = std::move(trap);
    return QMR_OK;
  }

  bool equals(const ITqsPdu *other) const override {
    if (!other || m_type == kTqsPduNone || other->get_type() != m_type) return false;
    if (m_type == kTqsTrap) {
      if (!both_absent_or_equal(m_timeStamp.get(), other->get_time_stamp()) ||
          !both_absent_or_equal(m_trapOid.get(), other->get_trap_oid())) {
        return false;
      }
    } else if (m_requestId != other->get_request_id() || m_errorStatus != other->get_error_status() ||
               m_errorIndex != other->get_error_index()) {
      return false;
    }
    const ITqsVarBindList *list = other->get_var_bind_list();
    return (!m_list && !list) || (m_list && list && m_list->equals(list));
  }

  int32_t get_type() const override { return m_type; }
  int32_t set_type(int32_t type) override {
    m_type = type;
    return QMR_OK;
  }
  ITqsVarBindList *get_var_bind_list() const override { return m_list.get(); }
  int32_t set_var_bind_list(ITqsVarBindList *list) override {
    tqc_replace(m_list, list);
    return QMR_OK;
  }
  ITqsVarBindList *take_var_bind_list() override { return m_list.release(); }

  int32_t append_new_var_bind(ITqsOid *name, ITqsSnmpValue *value) override {
    const int32_t rc = ensure_list();
    return rc == QMR_OK ? m_list->append_new(name, value) : rc;
  }
  int32_t append_var_bind(ITqsVarBind *var_bind) override {
    const int32_t rc = ensure_list();
    return rc == QMR_OK ? m_list->append(var_bind) : rc;
  }
  int32_t insert_new_var_bind_front(ITqsOid *name, ITqsSnmpValue *value) override {
    const int32_t rc = ensure_list();
    return rc == QMR_OK ? m_list->insert_new_front(name, value) : rc;
  }
  int32_t insert_var_bind_front(ITqsVarBind *var_bind) override {
    const int32_t rc = ensure_list();
    return rc == QMR_OK ? m_list->insert_front(var_bind) : rc;
  }
  int32_t take_first_name_value(ITqsOid **name, ITqsSnmpValue **value) override {
    return m_list ? m_list->take_first_name_value(name, value) : QMR_E_INVALID_ARG;
  }
  ITqsVarBind *take_first_var_bind() override { return m_list ? m_list->take_first() : nullptr; }

  int32_t get_request_id() const override { return m_requestId; }
  int32_t get_error_status() const override { return m_errorStatus; }
  int64_t get_error_index() const override { return m_errorIndex; }
  int32_t set_request_id(int32_t request_id) override {
    m_requestId = request_id;
    return QMR_OK;
  }
  int32_t set_error_status(int32_t error_status) override {
    m_errorStatus = error_status;
    return QMR_OK;
  }
  int32_t set_error_index(int64_t error_index) override {
    m_errorIndex = error_index;
    return QMR_OK;
  }

  ITqsSnmpValue *get_time_stamp() const override { return m_timeStamp.get(); }
  ITqsOid *get_trap_oid() const override { return m_trapOid.get(); }
  ITqsSnmpValue *take_time_stamp() override { return m_timeStamp.release(); }
  ITqsOid *take_trap_oid() override { return m_trapOid.release(); }

  int32_t set_time_stamp(ITqsSnmpValue *time_stamp) override {
    if (time_stamp && time_stamp->type() != kTqsTimeTicks) return QMR_E_INVALID_ARG;
    tqc_replace(m_timeStamp, time_stamp);
    return QMR_OK;
  }
  int32_t set_trap_oid(ITqsSnmpValue *trap_oid) override {
    ITqsOid *oid = trap_oid ? trap_oid->as_oid() : nullptr;
    if (trap_oid && (trap_oid->type() != kTqsObjectId || !oid)) return QMR_E_INVALID_ARG;
    tqc_replace(m_trapOid, oid);
    return QMR_OK;
  }

 private:
  ~CTqsPdu() = default;

  int32_t ensure_list() {
    if (m_list) return QMR_OK;
    int32_t rc = QMR_OK;
    m_list.reset(tqs_create_var_bind_list(&rc));
    return m_list ? QMR_OK : QMR_E_NO_MEMORY;
  }

  int32_t m_type = kTqsPduNone;
  TqcOwned<ITqsVarBindList> m_list;
  int32_t m_requestId = 0;
  int32_t m_errorStatus = 0;
  int64_t m_errorIndex = 0;
  TqcOwned<ITqsSnmpValue> m_timeStamp;
  TqcOwned<ITqsOid> m_trapOid;
};

}  // namespace

ITqsPdu *tqs_create_pdu(int32_t *result) {
  ITqsPdu *pdu = new (std::nothrow) CTqsPdu();
  tqs_put_result(result, pdu ? QMR_OK : QMR_E_NO_MEMORY);
  return pdu;
}
