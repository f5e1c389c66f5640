#include "session/get_data.h"

#include <cstring>
#include <new>

#include "net/octet_buffer.h"
#include "net/owned.h"
#include "qmr.h"
#include "session/bulk_walk.h"
#include "session/facade_state.h"
#include "session/session_dispatcher.h"
#include "session/table_walk.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/snmp_value.h"

namespace {

// Configuration and state are the ones shared with the find-device façade.
class CTqcGetData final : public ITqcGetData, private CTqcFacadeState {
 public:
  CTqcGetData() = default;
  CTqcGetData(const CTqcGetData &) = delete;
  CTqcGetData &operator=(const CTqcGetData &) = delete;

  void destroy() override { delete this; }
  int32_t set_community(const char *community) override { return CTqcFacadeState::set_community(community); }
  int32_t init(const char *address, EProtocol protocol, uint16_t port, int32_t version, const STqcUsmRecord *usm,
               int32_t timeout_ms, int32_t retries, uint32_t max_message_size) override {
    return CTqcFacadeState::init(address, protocol, port, version, usm, timeout_ms, retries, max_message_size);
  }
  int32_t add_oid_string(const char *oid, int32_t append_zero) override {
    return CTqcFacadeState::add_oid_string(oid, (append_zero & 0xFF) != 0);
  }
  int32_t add_oid_string(const char *oid, const char *instance, int32_t value) override;
  int32_t set_data() override;
  int32_t get_data(ITqsPduList *rows, const char *root_oid) override;
  int32_t get_data(char *text) override { return get_data(text, kDefaultTextSize); }
  int32_t get_data(int32_t *values, uint32_t count) override;
  int32_t get_data(int32_t *value) override;
  int32_t protocol_of(const char *address, EProtocol *protocol) override {
    return CTqcFacadeState::protocol_of(address, protocol);
  }
  int32_t get_data(char *text, size_t size) override;
  void set_bulk_walk(bool on) override { m_bulkWalk = on; }
  void set_bulk_share(ITqcBulkShare *share) override { m_pShare = share; }

 private:
  ~CTqcGetData() override = default;

  // One exchange of the PDU as `type` through a fresh dispatcher.
  int32_t run(int32_t type);
  // Takes the next response value; -7 when none is left.
  int32_t take_value(TqcOwned<ITqsSnmpValue> *value);

  // Sends `pdu` through a bulk-walk session in front of `inner`, when bulk
  // mode is on for this device; else through `inner`.
  template <class Send>
  int32_t through_bulk(ITqsSnmpSession *inner, Send &&send);

  bool m_bulkWalk = false;
  ITqcBulkShare *m_pShare = nullptr;
};

template <class Send>
int32_t CTqcGetData::through_bulk(ITqsSnmpSession *inner, Send &&send) {
  if (!m_bulkWalk || (m_version != kTqsSnmpV2c && m_version != kTqsSnmpV3)) return send(inner);
  // GetBulkRequest exists from SNMPv2c on; a v2c device's community target
  // speaks v1 for every other request, so the bulk requests get their own.
  int32_t rc = QMR_OK;
  TqcOwned<ITqsSnmpTarget> v2c;
  ITqsSnmpTarget *bulk_target = target();
  if (m_version == kTqsSnmpV2c) {
    v2c.reset(bulk_target->clone(&rc));
    if (!v2c) return rc;
    if ((rc = v2c->set_version(kTqsSnmpV2c)) != QMR_OK) return rc;
    bulk_target = v2c.get();
  }
  TqcOwned<ITqsSnmpSession> bulk(tqc_create_bulk_walk_session(inner, bulk_target, &rc, m_pShare));
  if (!bulk) return rc;
  return send(bulk.get());
}

int32_t CTqcGetData::add_oid_string(const char *oid, const char *instance, int32_t value) {
  if (oid == nullptr || !m_pPdu) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> name(tqs_create_oid_from_text(oid, &rc));
  if (!name) return rc;
  TqcOwned<ITqsSnmpValue> number(tqs_create_number_value(kTqsInteger, value, &rc));
  if (!number) return rc;
  if ((rc = name->append_text(instance)) != QMR_OK) return rc;
  if (!name->is_valid()) return QMR_E_INVALID_ARG;
  if ((rc = m_pPdu->append_new_var_bind(name.get(), number.get())) != QMR_OK) return rc;
  name.release();
  number.release();
  return QMR_OK;
}

int32_t CTqcGetData::run(int32_t type) {
  ITqsSnmpTarget *destination = target();
  if (!m_pPdu || destination == nullptr) return QMR_E_INVALID_ARG;
  m_pPdu->set_type(type);
  int32_t rc = QMR_OK;
  TqcOwned<SessionDispatcher> dispatcher(tqc_create_session_dispatcher(&rc));
  if (!dispatcher) return rc;
  // Only a call's planned GETs are answered from bulk exchanges.
  if (type != kTqsGetRequest || m_pShare == nullptr) return dispatcher->send_sync(m_pPdu.get(), destination);
  return through_bulk(dispatcher.get(),
                      [&](ITqsSnmpSession *session) { return session->send_sync(m_pPdu.get(), destination); });
}

int32_t CTqcGetData::take_value(TqcOwned<ITqsSnmpValue> *value) {
  ITqsSnmpValue *taken = nullptr;
  if (m_pPdu->take_first_name_value(nullptr, &taken) != QMR_OK || taken == nullptr) return QMR_E_OUT_OF_RANGE;
  value->reset(taken);
  return QMR_OK;
}

int32_t CTqcGetData::set_data() {
  int32_t rc = run(kTqsSetRequest);
  if (rc != QMR_OK) return rc;
  // Any error-status means the device did not take the value.
  return m_pPdu->get_error_status() != 0 ? QMR_E_OUT_OF_RANGE : QMR_OK;
}

int32_t CTqcGetData::get_data(int32_t *value) {
  if (value == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = run(kTqsGetRequest);
  if (rc != QMR_OK) return rc;
  TqcOwned<ITqsSnmpValue> taken;
  if ((rc = take_value(&taken)) != QMR_OK) return rc;
  *value = taken->get_int32();
  return QMR_OK;
}

int32_t CTqcGetData::get_data(int32_t *values, uint32_t count) {
  if (values == nullptr && count != 0) return QMR_E_INVALID_ARG;
  int32_t rc = run(kTqsGetRequest);
  if (rc != QMR_OK) return rc;
  for (uint32_t i = 0; i < count; ++i) {
    TqcOwned<ITqsSnmpValue> taken;
    if ((rc = take_value(&taken)) != QMR_OK) return rc;
    values[i] = taken->get_int32();
  }
  return QMR_OK;
}

int32_t CTqcGetData::get_data(char *text, size_t size) {
  if (text == nullptr || size == 0) return QMR_E_INVALID_ARG;
  int32_t rc = run(kTqsGetRequest);
  if (rc != QMR_OK) return rc;
  TqcOwned<ITqsSnmpValue> taken;
  if ((rc = take_value(&taken)) != QMR_OK) return rc;
  // Types without a text form (NULL, the exceptions) read as empty text.
  TqcOwned<ITqsOctetBuffer> form(taken->to_text());
  const uint32_t length = form ? form->size() : 0;
  if (length == 0) return QMR_OK;
  const size_t copied = length < size - 1 ? length : size - 1;
  std::memcpy(text, form->data(), copied);
  text[copied] = '\0';
  return QMR_OK;
}

int32_t CTqcGetData::get_data(ITqsPduList *rows, const char *root_oid) {
  ITqsSnmpTarget *destination = target();
  if (rows == nullptr || root_oid == nullptr || !m_pPdu || destination == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> root(tqs_create_oid_from_text(root_oid, &rc));
  if (!root) return rc;
  TqcOwned<SessionDispatcher> dispatcher(tqc_create_session_dispatcher(&rc));
  if (!dispatcher) return rc;
  return through_bulk(dispatcher.get(), [&](ITqsSnmpSession *session) {
    return tqc_walk_table(session, m_pPdu.get(), destination, root.get(), rows);
  });
}

}  // namespace

ITqcGetData *tqc_create_get_data(int32_t *result) {
  ITqcGetData *get_data = new (std::nothrow) CTqcGetData();
  if (result != nullptr) *result = get_data ? QMR_OK : QMR_E_NO_MEMORY;
  return get_data;
}
