// Opening a net-snmp session for a user-based target: security settings,
// keys, peer name and engine ID.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "log/log.h"
#include "net/network_address.h"
#include "net/numeric_address.h"
#include "net/socket_api.h"
#include "qmr.h"
#include "session/v3/v3_platform.h"
#include "session/v3/v3_translation.h"
#include "snmp/snmp_target.h"
#include "snmp/user_target.h"

namespace {

constexpr int kSecurityLevels[] = {SNMP_SEC_LEVEL_NOAUTH, SNMP_SEC_LEVEL_AUTHNOPRIV, SNMP_SEC_LEVEL_AUTHPRIV};

// The engine ID a probe answer carries, recorded before the plain
// callback, so that the session learns it whatever the library does.
int probe_input(int operation, netsnmp_session *session, int reqid, netsnmp_pdu *pdu, void *magic) {
  if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr && pdu->securityEngineIDLen != 0 &&
      session->securityEngineIDLen == 0) {
    auto *copy = static_cast<u_char *>(std::malloc(pdu->securityEngineIDLen));
    if (copy != nullptr) {
      std::memcpy(copy, pdu->securityEngineID, pdu->securityEngineIDLen);
      std::free(session->securityEngineID);
      session->securityEngineID = copy;
      session->securityEngineIDLen = pdu->securityEngineIDLen;
    }
  }
  return tqc_snmp_synch_input(operation, session, reqid, pdu, magic);
}

// Ku for `pass` with the authentication protocol's hash into the session's
// key buffer (the library asks for room for its longest digest, not just
// the 16 or 20 bytes used); an empty pass phrase gives no key.
int32_t make_key(const oid *hash, size_t hash_len, const std::string &pass, u_char *key, size_t capacity,
                 size_t *key_len) {
  if (pass.empty()) {
    *key_len = 0;
    return QMR_OK;
  }
  *key_len = capacity;
  const int rc = generate_Ku(hash, static_cast<u_int>(hash_len), reinterpret_cast<const u_char *>(pass.data()),
                             pass.size(), key, key_len);
  if (rc == SNMPERR_SUCCESS) return QMR_OK;
  tqc_log_snmp_call_failure("generate_Ku", errno, rc, snmp_api_errstring(rc));
  return tqc_map_snmp_error(rc);
}

}  // namespace

int32_t tqc_v3_peer_name(const char *text, int32_t protocol, uint16_t port, std::string *peer) {
  if (text == nullptr || peer == nullptr) return QMR_E_INVALID_ARG;
  char suffix[16] = "";
  switch (protocol) {
    case ITqcNetworkAddress::IPv4:
      *peer = text;
      if (port != 0) std::snprintf(suffix, sizeof(suffix), ":%u", port);
      break;
    case ITqcNetworkAddress::IPv6: {
      std::string host = text;
      // A numeric scope in the form the library takes on this platform.
      const size_t percent = host.find('%');
      if (percent != std::string::npos && percent + 1 < host.size() &&
          std::isdigit(static_cast<unsigned char>(host[percent + 1]))) {
        const unsigned long index = std::strtoul(host.c_str() + percent + 1, nullptr, 10);
        host = host.substr(0, percent + 1) + tqc_v3_interface_name(static_cast<unsigned>(index));
      }
      *peer = "udp6:[" + host + "]";
      if (port != 0) std::snprintf(suffix, sizeof(suffix), ":%u", port);
      break;
    }
    case ITqcNetworkAddress::IPX:
      *peer = std::string("ipx:") + text;
      if (port != 0) std::snprintf(suffix, sizeof(suffix), "/%u", port);
      break;
    default:
      return QMR_E_INVALID_ARG;
  }
  *peer += suffix;
  return QMR_OK;
}

bool tqc_v3_sender_text(const void *address, size_t length, std::string *text, uint16_t *port) {
  if (address == nullptr || length < sizeof(sockaddr)) return false;
  sockaddr_storage storage{};
  std::memcpy(&storage, address, length < sizeof(storage) ? length : sizeof(storage));
  const int family = tqc_library_family(storage.ss_family);
  const uint8_t *port_bytes = nullptr;
  uint32_t scope = 0;
  TqcSockLen size = 0;
  if (family == kTqcFamilyInet && length >= sizeof(sockaddr_in)) {
    port_bytes = reinterpret_cast<const uint8_t *>(&reinterpret_cast<sockaddr_in *>(&storage)->sin_port);
    size = sizeof(sockaddr_in);
  } else if (family == kTqcFamilyInet6 && length >= sizeof(sockaddr_in6)) {
    auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
    port_bytes = reinterpret_cast<const uint8_t *>(&in6->sin6_port);
    // A link-local sender is only reachable again through its interface,
    // written as a number after the address.
    scope = in6->sin6_scope_id;
    in6->sin6_scope_id = 0;
    size = sizeof(sockaddr_in6);
  } else {
    return false;
  }
  const auto *platform = reinterpret_cast<const sockaddr *>(&storage);
  char buffer[INET6_ADDRSTRLEN + 16] = {};
  if (!tqc_format_numeric_address(platform, buffer, sizeof(buffer))) {
    // What the numeric formatter declines, the bound resolver writes; the
    // socket library is started while the SNMP library is in use.
    const TqcSocketFunctions &api = NTqcSocketAPI::api();
    if (api.p_getnameinfo == nullptr ||
        api.p_getnameinfo(platform, size, buffer, sizeof(buffer), nullptr, 0, NI_NUMERICHOST) != 0)
      return false;
  }
  *text = buffer;
  if (scope != 0) *text += "%" + std::to_string(scope);
  *port = static_cast<uint16_t>(port_bytes[0] << 8 | port_bytes[1]);
  return true;
}

CTqcV3LibrarySession::~CTqcV3LibrarySession() { close(); }

netsnmp_session *CTqcV3LibrarySession::session() const {
  return m_sessp != nullptr ? snmp_sess_session(m_sessp) : nullptr;
}

void CTqcV3LibrarySession::close() {
  if (m_sessp == nullptr) return;
  if (m_user) tqc_snmp_detach_user(session());
  m_user = false;
  tqc_snmp_sess_close(m_sessp);
  m_sessp = nullptr;
}

int32_t CTqcV3LibrarySession::open(ITqsSnmpTarget *target, bool probe) {
  close();
  ITqsUserSecurity *security = tqs_user_security_of(target);
  if (target == nullptr || security == nullptr || target->get_version() != kTqsSnmpV3) return QMR_E_INVALID_ARG;

  netsnmp_session request;
  {
    std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
    snmp_sess_init(&request);
  }
  request.version = SNMP_VERSION_3;
  request.retries = target->get_retries() >= 0 ? target->get_retries() : SNMP_DEFAULT_RETRIES;
  request.timeout = target->get_timeout() >= 0 ? static_cast<long>(target->get_timeout()) * 1000L
                                               : static_cast<long>(SNMP_DEFAULT_TIMEOUT);
  request.securityModel = SNMP_SEC_MODEL_USM;
  // The engine ID is learnt below (or given); the library's own probe would
  // hold its process-wide state for a whole round trip.
  request.flags |= SNMP_FLAGS_DONT_PROBE;

  std::string name = security->get_user_name();
  if (name.size() > kTqsMaxUserNameLength) name.resize(kTqsMaxUserNameLength);
  if (!name.empty()) {
    request.securityName = &name[0];
    request.securityNameLen = name.size();
  }

  const int32_t level = security->get_security_level();
  if (level < kTqsNoAuthNoPriv || level > kTqsAuthPriv) return QMR_E_INVALID_ARG;
  request.securityLevel = kSecurityLevels[level];
  if (level != kTqsNoAuthNoPriv) {
    switch (security->get_auth_protocol()) {
      case kTqsAuthHmacMd5:
        request.securityAuthProto = usmHMACMD5AuthProtocol;
        request.securityAuthProtoLen = USM_AUTH_PROTO_MD5_LEN;
        break;
      case kTqsAuthHmacSha:
        request.securityAuthProto = usmHMACSHA1AuthProtocol;
        request.securityAuthProtoLen = USM_AUTH_PROTO_SHA_LEN;
        break;
      default:
        return QMR_E_INVALID_ARG;
    }
    int32_t rc = make_key(request.securityAuthProto, request.securityAuthProtoLen,
                          security->get_auth_pass_phrase(), request.securityAuthKey, sizeof(request.securityAuthKey),
                          &request.securityAuthKeyLen);
    if (rc != QMR_OK) return rc;
    if (level == kTqsAuthPriv) {
      switch (security->get_priv_protocol()) {
        case kTqsPrivDes:
          request.securityPrivProto = usmDESPrivProtocol;
          request.securityPrivProtoLen = USM_PRIV_PROTO_DES_LEN;
          break;
        case kTqsPrivAes:
          request.securityPrivProto = usmAESPrivProtocol;
          request.securityPrivProtoLen = USM_PRIV_PROTO_AES_LEN;
          break;
        default:
          return QMR_E_INVALID_ARG;
      }
      rc = make_key(request.securityAuthProto, request.securityAuthProtoLen, security->get_priv_pass_phrase(),
                    request.securityPrivKey, sizeof(request.securityPrivKey), &request.securityPrivKeyLen);
      if (rc != QMR_OK) return rc;
    }
  }

  std::string context = security->get_context_name();
  if (!context.empty()) {
    request.contextName = &context[0];
    request.contextNameLen = context.size();
  }

  const ITqcNetworkAddress *address = target->get_address();
  if (address == nullptr) return QMR_E_INVALID_ARG;
  const uint16_t port = address->get_port() != 0 ? address->get_port() : target->get_port();
  std::string peer;
  int32_t rc = tqc_v3_peer_name(address->get_address(), address->get_protocol(), port, &peer);
  if (rc != QMR_OK) return rc;
  request.peername = &peer[0];

  uint32_t engine_length = 0;
  const uint8_t *engine = security->get_engine_id(&engine_length);
  std::string engine_copy;
  if (engine != nullptr && engine_length != 0) {
    engine_copy.assign(reinterpret_cast<const char *>(engine), engine_length);
    request.securityEngineID = reinterpret_cast<u_char *>(&engine_copy[0]);
    request.securityEngineIDLen = engine_length;
  }

  m_sessp = tqc_snmp_sess_open(&request);
  if (m_sessp == nullptr) {
    int sys_errno = 0;
    int snmp_errno = 0;
    char *text = nullptr;
    snmp_error(&request, &sys_errno, &snmp_errno, &text);
    tqc_log_snmp_call_failure("snmp_open", sys_errno, snmp_errno, text);
    std::free(text);
    rc = tqc_map_snmp_error(snmp_errno);
    return rc == QMR_E_SNMP_LIBRARY ? QMR_E_INVALID_ARG : rc;
  }
  netsnmp_transport *transport = snmp_sess_transport(m_sessp);
  if (transport != nullptr && NTqcSocketAPI::api().p_setsockopt != nullptr) {
    // Lets the engine-ID probe go to a broadcast address (through the
    // bound socket library, started while the SNMP library is in use).
    const int on = 1;
    NTqcSocketAPI::api().p_setsockopt(static_cast<TqcSocket>(transport->sock), SOL_SOCKET, SO_BROADCAST,
                                      reinterpret_cast<const char *>(&on), sizeof(on));
  }
  if (session()->securityEngineIDLen == 0 && probe) {
    rc = discover_engine_id();
    if (rc != QMR_OK) {
      close();
      return rc;
    }
  }
  rc = tqc_snmp_attach_user(session());
  if (rc != QMR_OK) {
    close();
    return rc;
  }
  m_user = true;
  return QMR_OK;
}

int32_t CTqcV3LibrarySession::discover_engine_id() {
  netsnmp_pdu *probe = nullptr;
  int32_t rc = tqc_v3_build_probe_pdu(&probe);
  if (rc != QMR_OK) return rc;
  STqcSynchState state;
  tqc_snmp_sess_synch_response_cb(m_sessp, probe, probe_input, &state);
  snmp_free_pdu(state.pdu);
  if (session()->securityEngineIDLen != 0) return QMR_OK;
  // No engine answered: the time-out, a send failure or what the answer said.
  const int error = session()->s_snmp_errno != SNMPERR_SUCCESS ? session()->s_snmp_errno : SNMPERR_UNKNOWN_ENG_ID;
  session()->s_snmp_errno = error;
  rc = tqc_log_session_failure("snmp_open", m_sessp);
  return rc == QMR_E_SNMP_LIBRARY ? QMR_E_INVALID_ARG : rc;
}
