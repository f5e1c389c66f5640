// Request PDUs built for net-snmp through the value visitor, and responses
// copied back into the system's PDU and target.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "log/log.h"
#include "net/network_address.h"
#include "net/octet_buffer.h"
#include "net/owned.h"
#include "qmr.h"
#include "session/v3/v3_translation.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/snmp_target.h"
#include "snmp/snmp_value.h"
#include "snmp/user_target.h"
#include "snmp/value_visitor.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr size_t kMaxSubIdentifiers = 128;
constexpr int32_t kMaxErrorStatus = 18;  // inconsistentName, the last status SNMPv2 defines

// Adds one varbind per visit: the value's type picks the letter of
// snmp_add_var, or another way where the text form would lose bytes.
class CTqcV3RequestBuilder final : public ITqsValueVisitor {
 public:
  CTqcV3RequestBuilder(netsnmp_pdu *pdu, const oid *name, size_t name_len)
      : m_pdu(pdu), m_name(name), m_nameLen(name_len) {}

  int32_t visit_oid(ITqsOid *value) override { return add_text('o', value); }
  // Octet strings go in as bytes: the "s" text form would stop at a zero byte.
  int32_t visit_octet_string(ITqsSnmpValue *value) override {
    uint32_t length = 0;
    const uint8_t *bytes = value->get_bytes(&length);
    if (snmp_pdu_add_variable(m_pdu, m_name, m_nameLen, ASN_OCTET_STR, bytes, length) == nullptr)
      return fail(SNMPERR_MALLOC);
    return QMR_OK;
  }
  int32_t visit_integer(ITqsSnmpValue *value) override {
    return add('i', std::to_string(value->get_int32()));
  }
  int32_t visit_null(ITqsSnmpValue *) override {
    if (snmp_add_null_var(m_pdu, m_name, m_nameLen) == nullptr) return fail(SNMPERR_MALLOC);
    return QMR_OK;
  }
  int32_t visit_counter32(ITqsSnmpValue *value) override { return add('c', std::to_string(value->get_uint32())); }
  int32_t visit_gauge32(ITqsSnmpValue *value) override { return add('u', std::to_string(value->get_uint32())); }
  int32_t visit_time_ticks(ITqsSnmpValue *value) override { return add('t', std::to_string(value->get_uint32())); }
  int32_t visit_counter64(ITqsSnmpValue *value) override {
    const uint64_t number = (static_cast<uint64_t>(value->get_high()) << 32) | value->get_low();
    return add('C', std::to_string(number));
  }
  int32_t visit_ip_address(ITqsSnmpValue *value) override {
    uint32_t length = 0;
    const uint8_t *b = value->get_bytes(&length);
    char text[16];
    if (b == nullptr || length != 4) return QMR_E_INVALID_ARG;
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return add('a', text);
  }
  int32_t visit_ipv6_address(ITqsSnmpValue *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t visit_udp_address(ITqsSnmpValue *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t visit_ipx_address(ITqsSnmpValue *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t visit_exception(ITqsSnmpValue *) override { return QMR_E_NOT_SUPPORTED; }

 private:
  int32_t add_text(char type, ITqsSnmpValue *value) {
    TqcOwned<ITqsOctetBuffer> text(value->to_text());
    if (!text) return QMR_E_NO_MEMORY;
    return add(type, text->c_str());
  }
  int32_t add(char type, const std::string &text) {
    const int rc = snmp_add_var(m_pdu, m_name, m_nameLen, type, text.c_str());
    return rc == SNMPERR_SUCCESS ? QMR_OK : fail(rc);
  }
  static int32_t fail(int rc) {
    tqc_log_snmp_call_failure("snmp_add_var", errno, rc, snmp_api_errstring(rc));
    return tqc_map_snmp_error(rc);
  }

  netsnmp_pdu *m_pdu;
  const oid *m_name;
  size_t m_nameLen;
};

int command_of(int32_t type) {
  switch (type) {
    case kTqsGetRequest: return SNMP_MSG_GET;
    case kTqsGetNextRequest: return SNMP_MSG_GETNEXT;
    case kTqsSetRequest: return SNMP_MSG_SET;
    case kTqsTrap: return SNMP_MSG_TRAP2;
    case kTqsGetBulkRequest: return SNMP_MSG_GETBULK;
    default: return 0;
  }
}

int32_t type_of(int command) {
  switch (command) {
    case SNMP_MSG_GET: return kTqsGetRequest;
    case SNMP_MSG_GETNEXT: return kTqsGetNextRequest;
    case SNMP_MSG_RESPONSE: return kTqsResponse;
    case SNMP_MSG_SET: return kTqsSetRequest;
    case SNMP_MSG_GETBULK: return kTqsGetBulkRequest;
    case SNMP_MSG_INFORM: return kTqsInformRequest;
    case SNMP_MSG_TRAP2: return kTqsTrap;
    case SNMP_MSG_REPORT: return kTqsReport;
    default: return kTqsPduNone;
  }
}

// The system's value for a library variable; null with -10 for an unknown
// type, -3 when out of memory.
ITqsSnmpValue *value_of(const netsnmp_variable_list *var, int32_t *result) {
  uint32_t type = 0;
  switch (var->type) {
    case ASN_INTEGER: type = kTqsInteger; break;
    case ASN_OCTET_STR: case ASN_PRIV_IMPLIED_OCTET_STR: type = kTqsOctetString; break;
    case ASN_NULL: type = kTqsNull; break;
    case ASN_OBJECT_ID: type = kTqsObjectId; break;
    case ASN_IPADDRESS: type = kTqsIpAddress; break;
    case ASN_COUNTER: type = kTqsCounter32; break;
    case ASN_GAUGE: case ASN_UINTEGER: type = kTqsGauge32; break;
    case ASN_TIMETICKS: type = kTqsTimeTicks; break;
    case ASN_OPAQUE: type = kTqsOpaque; break;
    case ASN_COUNTER64: type = kTqsCounter64; break;
    case SNMP_NOSUCHOBJECT: type = kTqsNoSuchObject; break;
    case SNMP_NOSUCHINSTANCE: type = kTqsNoSuchInstance; break;
    case SNMP_ENDOFMIBVIEW: type = kTqsEndOfMibView; break;
    default:
      *result = QMR_E_SYSTEM_LIBRARY;
      return nullptr;
  }
  TqcOwned<ITqsSnmpValue> value(tqs_create_value(type, result));
  if (!value) return nullptr;
  int32_t rc = QMR_OK;
  switch (type) {
    case kTqsInteger:
      rc = value->set_int32(var->val.integer ? static_cast<int32_t>(*var->val.integer) : 0);
      break;
    case kTqsOctetString: case kTqsOpaque: case kTqsIpAddress:
      rc = value->set_bytes(var->val.string, static_cast<uint32_t>(var->val_len));
      break;
    case kTqsCounter32: case kTqsGauge32: case kTqsTimeTicks:
      rc = value->set_uint32(var->val.integer ? static_cast<uint32_t>(*var->val.integer) : 0);
      break;
    case kTqsCounter64:
      if (var->val.counter64 != nullptr &&
          ((rc = value->set_high(static_cast<uint32_t>(var->val.counter64->high))) == QMR_OK))
        rc = value->set_low(static_cast<uint32_t>(var->val.counter64->low));
      break;
    case kTqsObjectId: {
      const size_t count = var->val_len / sizeof(oid);
      uint32_t ids[MAX_OID_LEN];
      for (size_t i = 0; i < count && i < MAX_OID_LEN; ++i) ids[i] = static_cast<uint32_t>(var->val.objid[i]);
      rc = value->as_oid()->set_sub_identifiers(ids, static_cast<uint32_t>(count < MAX_OID_LEN ? count : MAX_OID_LEN));
      break;
    }
    default:
      break;
  }
  *result = rc;
  return rc == QMR_OK ? value.release() : nullptr;
}

ITqsOid *name_of(const netsnmp_variable_list *var, int32_t *result) {
  TqcOwned<ITqsOid> name(tqs_create_oid(result));
  if (!name) return nullptr;
  uint32_t ids[MAX_OID_LEN];
  const size_t count = var->name_length < MAX_OID_LEN ? var->name_length : MAX_OID_LEN;
  for (size_t i = 0; i < count; ++i) ids[i] = static_cast<uint32_t>(var->name[i]);
  *result = name->set_sub_identifiers(ids, static_cast<uint32_t>(count));
  return *result == QMR_OK ? name.release() : nullptr;
}

int32_t copy_var_binds(const netsnmp_pdu *response, ITqsPdu *pdu) {
  ITqsVarBindList *list = pdu->get_var_bind_list();
  int32_t rc = QMR_OK;
  if (list == nullptr) {
    list = tqs_create_var_bind_list(&rc);
    if (list == nullptr) return rc;
    if ((rc = pdu->set_var_bind_list(list)) != QMR_OK) {
      list->release();
      return rc;
    }
  }
  uint32_t index = 0;
  for (const netsnmp_variable_list *var = response->variables; var != nullptr; var = var->next_variable, ++index) {
    TqcOwned<ITqsOid> name(name_of(var, &rc));
    if (!name) return rc;
    TqcOwned<ITqsSnmpValue> value(value_of(var, &rc));
    if (!value) return rc;
    if (ITqsVarBind *existing = list->get_at(index)) {
      rc = existing->set(name.get(), value.get());
    } else {
      rc = list->append_new(name.get(), value.get());
    }
    if (rc != QMR_OK) return rc;
    name.release();
    value.release();
  }
  return list->count() > index ? list->truncate(index) : QMR_OK;
}

int32_t copy_security(const netsnmp_pdu *response, ITqsSnmpTarget *target) {
  ITqsUserSecurity *security = tqs_user_security_of(target);
  if (security == nullptr) return QMR_OK;
  int32_t rc = target->set_version(kTqsSnmpV3);
  const std::string name(response->securityName != nullptr ? response->securityName : "",
                         response->securityNameLen);
  const std::string context(response->contextName != nullptr ? response->contextName : "",
                            response->contextNameLen);
  if (rc == QMR_OK) rc = security->set_user_name(name.c_str());
  if (rc == QMR_OK) rc = security->set_security_level(response->securityLevel - 1);
  if (rc == QMR_OK) rc = security->set_context_name(context.c_str());
  if (rc == QMR_OK)
    rc = security->set_engine_id(response->securityEngineID, static_cast<uint32_t>(response->securityEngineIDLen));
  if (rc != QMR_OK) return rc;

  std::string sender;
  uint16_t port = 0;
  if (!tqc_v3_sender_text(response->transport_data, response->transport_data_length, &sender, &port)) return QMR_OK;
  const ITqcNetworkAddress *current = target->get_address();
  if (current != nullptr && sender == current->get_address()) return QMR_OK;
  TqcOwned<ITqcNetworkAddress> address(tqc_create_network_address(sender.c_str(), port, &rc));
  if (!address) return rc;
  return target->set_address(address.get());
}

}  // namespace

int32_t tqc_v3_build_request(ITqsPdu *pdu, netsnmp_pdu **out) {
  *out = nullptr;
  netsnmp_pdu *request = snmp_pdu_create(command_of(pdu->get_type()));
  if (request == nullptr) {
    tqc_log_snmp_call_failure("snmp_pdu_create", errno, SNMPERR_MALLOC, snmp_api_errstring(SNMPERR_MALLOC));
    return QMR_E_NO_MEMORY;
  }
  request->reqid = tqc_v3_request_id(pdu->get_request_id());
  if (pdu->get_type() == kTqsGetBulkRequest) {
    // The error fields of a GetBulkRequest carry its two counts.
    request->non_repeaters = pdu->get_error_status();
    request->max_repetitions = static_cast<long>(pdu->get_error_index());
  }
  const ITqsVarBindList *list = pdu->get_var_bind_list();
  const uint32_t count = list != nullptr ? list->count() : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const ITqsVarBind *var_bind = list->get_at(i);
    ITqsOid *name = var_bind->get_name();
    TqcOwned<ITqsOctetBuffer> text(name != nullptr ? name->to_text() : nullptr);
    oid parsed[kMaxSubIdentifiers];
    size_t parsed_len = kMaxSubIdentifiers;
    // A leading dot makes the numeric text absolute whatever MIB is loaded.
    const std::string absolute = std::string(".") + (text ? text->c_str() : "");
    std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
    if (!text || snmp_parse_oid(absolute.c_str(), parsed, &parsed_len) == nullptr) {
      tqc_log_snmp_call_failure("snmp_parse_oid", errno, snmp_errno, snmp_api_errstring(snmp_errno));
      snmp_free_pdu(request);
      return QMR_E_INVALID_ARG;
    }
    CTqcV3RequestBuilder builder(request, parsed, parsed_len);
    ITqsSnmpValue *value = var_bind->get_value();
    const int32_t rc = value != nullptr ? value->accept(&builder) : builder.visit_null(nullptr);
    if (rc != QMR_OK) {
      snmp_free_pdu(request);
      return rc;
    }
  }
  *out = request;
  return QMR_OK;
}

long tqc_v3_request_id(int32_t id) {
  // The library's send answers its request id, 0 meaning failure: an id of
  // 0 is left to the library to choose.
  return id != 0 ? static_cast<long>(id) : SNMP_DEFAULT_REQID;
}

int32_t tqc_v3_build_probe_pdu(netsnmp_pdu **out) {
  *out = nullptr;
  netsnmp_pdu *probe = snmp_pdu_create(SNMP_MSG_GET);
  char *empty = probe != nullptr ? strdup("") : nullptr;
  if (empty == nullptr) {
    snmp_free_pdu(probe);
    tqc_log_snmp_call_failure("snmpv3_build_probe_pdu", errno, SNMPERR_MALLOC, snmp_api_errstring(SNMPERR_MALLOC));
    return QMR_E_NO_MEMORY;
  }
  {
    // The library answers reports for the empty user only when it knows it.
    std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
    if (usm_get_user(nullptr, 0, empty) == nullptr) {
      auto *user = static_cast<struct usmUser *>(calloc(1, sizeof(struct usmUser)));
      if (user != nullptr) {
        user->name = strdup("");
        user->secName = strdup("");
        user->authProtocolLen = OID_LENGTH(usmNoAuthProtocol);
        user->authProtocol = snmp_duplicate_objid(usmNoAuthProtocol, user->authProtocolLen);
        user->privProtocolLen = OID_LENGTH(usmNoPrivProtocol);
        user->privProtocol = snmp_duplicate_objid(usmNoPrivProtocol, user->privProtocolLen);
        usm_add_user(user);
      }
    }
  }
  probe->version = SNMP_VERSION_3;
  probe->securityName = empty;
  probe->securityNameLen = 0;
  probe->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
  probe->securityModel = SNMP_SEC_MODEL_USM;
  *out = probe;
  return QMR_OK;
}

int32_t tqc_v3_translate_response(const netsnmp_pdu *response, ITqsPdu *pdu, ITqsSnmpTarget *target) {
  pdu->set_type(type_of(response->command));
  pdu->set_request_id(static_cast<int32_t>(response->reqid));
  const long status = response->errstat;
  pdu->set_error_status(status >= 0 && status <= kMaxErrorStatus ? static_cast<int32_t>(status)
                                                                  : kTqsStatusNotProcessed);
  pdu->set_error_index(response->errindex);
  int32_t rc = copy_var_binds(response, pdu);
  if (rc == QMR_OK && response->version == SNMP_VERSION_3) rc = copy_security(response, target);
  return rc;
}
