#include "session/get_data.h"

#include <cstring>
#include <new>

#include "net/address_service.h"
#include "qmr.h"
#include "session/releaser.h"
#include "session/session_dispatcher.h"
#include "session/table_walk.h"
#include "snmp/community_target.h"
#include "snmp/octet_buffer.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/snmp_value.h"
#include "snmp/user_target.h"

namespace {

// Largest message per transport: what fits an Ethernet frame for UDP, the
// classic IPX datagram otherwise.
constexpr uint32_t kMaxMessageSizeIp = 1400;
constexpr uint32_t kMaxMessageSizeOther = 546;

constexpr char kDefaultCommunity[] = "public";

uint32_t clamp_message_size(EProtocol protocol, uint32_t requested) {
  const uint32_t limit =
      (protocol == ITqcNetworkAddress::IPv4 || protocol == ITqcNetworkAddress::IPv6) ? kMaxMessageSizeIp
                                                                                     : kMaxMessageSizeOther;
  return (requested >= 1 && requested <= limit) ? requested : limit;
}

class CTqcGetData final : public ITqcGetData {
 public:
  CTqcGetData() { std::memcpy(m_community, kDefaultCommunity, sizeof(kDefaultCommunity)); }
  CTqcGetData(const CTqcGetData &) = delete;
  CTqcGetData &operator=(const CTqcGetData &) = delete;

  void destroy() override { delete this; }
  int32_t set_community(const char *community) override;
  int32_t init(const char *address, EProtocol protocol, uint16_t port, int32_t version, const STqcUsmRecord *usm,
               int32_t timeout_ms, int32_t retries, uint32_t max_message_size) override;
  int32_t add_oid_string(const char *oid, int32_t append_zero) override;
  int32_t add_oid_string(const char *oid, const char *instance, int32_t value) override;
  int32_t set_data() override;
  int32_t get_data(ITqsPduList *rows, const char *root_oid) override;
  int32_t get_data(char *text) override { return get_data(text, kDefaultTextSize); }
  int32_t get_data(int32_t *values, uint32_t count) override;
  int32_t get_data(int32_t *value) override;
  int32_t protocol_of(const char *address, EProtocol *protocol) override;
  int32_t get_data(char *text, size_t size) override;

 private:
  ~CTqcGetData() override = default;

  // The target of the stored version: user-based for SNMPv3, else community.
  ITqsSnmpTarget *target() const {
    return m_version == kTqsSnmpV3 ? m_pUserTarget.get() : m_pCommunityTarget.get();
  }
  int32_t make_user_target(const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries);
  int32_t make_community_target(int32_t timeout_ms, int32_t retries);
  // One exchange of the PDU as `type` through a fresh dispatcher.
  int32_t run(int32_t type);
  // Takes the next response value; -7 when none is left.
  int32_t take_value(TqcOwned<ITqsSnmpValue> *value);

  TqcOwned<ITqsPdu> m_pPdu;
  TqcOwned<ITqsSnmpTarget> m_pCommunityTarget;
  TqcOwned<ITqsSnmpTarget> m_pUserTarget;
  TqcOwned<ITqcNetworkAddress> m_pAddress;
  char m_community[kMaxCommunityLength + 1];
  int32_t m_version = kTqsSnmpV1;
};

int32_t CTqcGetData::set_community(const char *community) {
  if (community == nullptr) return QMR_E_INVALID_ARG;
  const size_t length = strnlen(community, kMaxCommunityLength);
  std::memcpy(m_community, community, length);
  m_community[length] = '\0';
  return QMR_OK;
}

int32_t CTqcGetData::make_user_target(const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries) {
  if (usm == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  CTqsUserTarget *user = tqs_create_user_target(&rc);
  m_pUserTarget.reset(user);
  if (user == nullptr) return rc;
  if ((rc = user->set_timeout(timeout_ms)) != QMR_OK || (rc = user->set_retries(retries)) != QMR_OK ||
      (rc = user->set_version(kTqsSnmpV3)) != QMR_OK || (rc = user->set_address(m_pAddress.get())) != QMR_OK)
    return rc;
  if ((rc = user->set_user_name(usm->user_name)) != QMR_OK ||
      (rc = user->set_security_level(usm->security_level)) != QMR_OK ||
      (rc = user->set_auth_protocol(usm->auth_protocol)) != QMR_OK ||
      (rc = user->set_priv_protocol(usm->priv_protocol)) != QMR_OK ||
      (rc = user->set_auth_pass_phrase(usm->auth_pass_phrase)) != QMR_OK ||
      (rc = user->set_priv_pass_phrase(usm->priv_pass_phrase)) != QMR_OK ||
      (rc = user->set_context_name(usm->context_name)) != QMR_OK)
    return rc;
  return QMR_OK;
}

int32_t CTqcGetData::make_community_target(int32_t timeout_ms, int32_t retries) {
  int32_t rc = QMR_OK;
  CTqsCommunityTarget *community = tqs_create_community_target(&rc);
  m_pCommunityTarget.reset(community);
  if (community == nullptr) return rc;
  // Requests go out as SNMPv1 whichever community-based version was asked for.
  if ((rc = community->set_timeout(timeout_ms)) != QMR_OK || (rc = community->set_retries(retries)) != QMR_OK ||
      (rc = community->set_version(kTqsSnmpV1)) != QMR_OK ||
      (rc = community->set_community(m_community)) != QMR_OK ||
      (rc = community->set_address(m_pAddress.get())) != QMR_OK)
    return rc;
  return QMR_OK;
}

int32_t CTqcGetData::init(const char *address, EProtocol protocol, uint16_t port, int32_t version,
                          const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries, uint32_t max_message_size) {
  if (address == nullptr) return QMR_E_INVALID_ARG;
  // A second init starts over.
  m_pPdu.reset();
  m_pCommunityTarget.reset();
  m_pUserTarget.reset();
  int32_t rc = QMR_OK;
  m_pAddress.reset(tqc_create_network_address(&rc));
  if (!m_pAddress) return rc;
  if ((rc = m_pAddress->set(address, protocol, port)) != QMR_OK) return rc;
  const uint32_t size = clamp_message_size(m_pAddress->get_protocol(), max_message_size);
  m_version = version;
  rc = version == kTqsSnmpV3 ? make_user_target(usm, timeout_ms, retries) : make_community_target(timeout_ms, retries);
  if (rc != QMR_OK) return rc;
  if ((rc = target()->set_max_message_size(size)) != QMR_OK) return rc;
  m_pPdu.reset(tqs_create_pdu(&rc));
  return m_pPdu ? QMR_OK : rc;
}

int32_t CTqcGetData::add_oid_string(const char *oid, int32_t append_zero) {
  if (oid == nullptr || !m_pPdu) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> name(tqs_create_oid_from_text(oid, &rc));
  if (!name) return rc;
  if ((append_zero & 0xFF) != 0 && (rc = name->append_sub_identifier(0)) != QMR_OK) return rc;
  if ((rc = m_pPdu->append_new_var_bind(name.get(), nullptr)) != QMR_OK) return rc;
  name.release();
  return QMR_OK;
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
  return dispatcher->send_sync(m_pPdu.get(), destination);
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
  return tqc_walk_table(dispatcher.get(), m_pPdu.get(), destination, root.get(), rows);
}

int32_t CTqcGetData::protocol_of(const char *address, EProtocol *protocol) {
  if (address == nullptr || protocol == nullptr) return QMR_E_INVALID_ARG;
  return tqc_protocol_of_address(address, protocol);
}

}  // namespace

ITqcGetData *tqc_create_get_data(int32_t *result) {
  ITqcGetData *get_data = new (std::nothrow) CTqcGetData();
  if (result != nullptr) *result = get_data ? QMR_OK : QMR_E_NO_MEMORY;
  return get_data;
}
