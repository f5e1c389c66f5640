#include "session/facade_state.h"

#include <cstring>

#include "net/address_service.h"
#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/oid.h"
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

}  // namespace

CTqcFacadeState::CTqcFacadeState() : m_community{}, m_version(kTqsSnmpV1) {
  std::memcpy(m_community, kDefaultCommunity, sizeof(kDefaultCommunity));
}

CTqcFacadeState::~CTqcFacadeState() = default;

int32_t CTqcFacadeState::set_community(const char *community) {
  if (community == nullptr) return QMR_E_INVALID_ARG;
  const size_t length = strnlen(community, kMaxCommunityLength);
  std::memcpy(m_community, community, length);
  m_community[length] = '\0';
  return QMR_OK;
}

int32_t CTqcFacadeState::make_user_target(const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries) {
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

int32_t CTqcFacadeState::make_community_target(int32_t timeout_ms, int32_t retries) {
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

int32_t CTqcFacadeState::init(const char *address, EProtocol protocol, uint16_t port, int32_t version,
                              const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries,
                              uint32_t max_message_size) {
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

int32_t CTqcFacadeState::add_oid_string(const char *oid, bool append_zero) {
  if (oid == nullptr || !m_pPdu) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> name(tqs_create_oid_from_text(oid, &rc));
  if (!name) return rc;
  if (append_zero && (rc = name->append_sub_identifier(0)) != QMR_OK) return rc;
  if ((rc = m_pPdu->append_new_var_bind(name.get(), nullptr)) != QMR_OK) return rc;
  name.release();
  return QMR_OK;
}

int32_t CTqcFacadeState::protocol_of(const char *address, EProtocol *protocol) {
  if (address == nullptr || protocol == nullptr) return QMR_E_INVALID_ARG;
  return tqc_protocol_of_address(address, protocol);
}
