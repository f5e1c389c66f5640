// Backward encoding of SNMP v1/v2c messages. Every writer leaves the full
// size of the element it wrote in m_lastSize for its enclosing element; only
// the BerWriter checks room, and the element writers look at its overflow
// flag where a partial message could otherwise be reported as complete.
#include <cstring>
#include <new>

#include "log/log.h"
#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/number_values.h"
#include "snmp/octet_values.h"
#include "snmp/oid.h"
#include "snmp/oid_value.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "snmp/snmp_value.h"
#include "snmp/trans_stream.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_impl.h"
#include "snmp/var_bind_list.h"

namespace {

// Version-1 generic traps travel as this enterprise; their trap OID is the
// prefix, 0, and generic-trap + 1 (coldStart 1 ... egpNeighborLoss 6).
const uint32_t kGenericTrapPrefix[] = {1, 3, 6, 1, 6, 3, 1, 1, 5};
constexpr size_t kGenericTrapPrefixLength = sizeof(kGenericTrapPrefix) / sizeof(kGenericTrapPrefix[0]);
constexpr uint32_t kGenericTrapLast = 6;
constexpr int32_t kEnterpriseSpecificTrap = 6;
const uint8_t kAgentAddressAny[kTqsIpAddressSize] = {0, 0, 0, 0};

bool valid_pdu_type(int32_t type) {
  switch (type) {
    case kTqsGetRequest:
    case kTqsGetNextRequest:
    case kTqsResponse:
    case kTqsSetRequest:
    case kTqsTrap:
    case kTqsGetBulkRequest:
    case kTqsInformRequest:
    case kTqsReport:
      return true;
    default:
      return false;
  }
}

}  // namespace

int32_t TransStreamEncoder::write_oid(const ITqsOid *oid) {
  const CTqsSubIdArray *ids = tqs_concrete_oid(oid)->valid_ids();
  uint32_t n = ids ? ids->size() : oid->length();
  if (n == 1) {
    snmp_log().write(kLogError, "encode error:oid size is 1.");
    return QMR_E_INVALID_ARG;
  }
  if (ids == nullptr) return QMR_E_INVALID_ARG;  // text that is no OID
  if (!m_writer.put_oid(ids->data(), n, &m_lastSize)) return QMR_E_INVALID_ARG;
  return QMR_OK;
}

// Every visit goes through write_value, the encoder's one type dispatch.
int32_t TransStreamEncoder::visit_oid(ITqsOid *value) { return write_oid(value); }
int32_t TransStreamEncoder::visit_octet_string(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_integer(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_null(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_counter32(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_gauge32(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_time_ticks(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_counter64(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_ip_address(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_ipv6_address(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_udp_address(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_ipx_address(ITqsSnmpValue *value) { return write_value(value); }
int32_t TransStreamEncoder::visit_exception(ITqsSnmpValue *value) { return write_value(value); }

// Community then version, so that the version reads first.
int32_t TransStreamEncoder::visit_header(ITqsSnmpTarget *target) {
  const char *community = nullptr;
  if (ITqsCommunityTarget *c = tqs_community_of(target)) community = c->get_community();
  size_t length = community ? strlen(community) : 0;
  size_t size = m_writer.put_octets(kBerTagOctetString, reinterpret_cast<const uint8_t *>(community), length);
  size += m_writer.put_int32(kBerTagInteger, m_version);
  m_lastSize = size;
  return m_writer.overflow() ? QMR_E_MESSAGE_SIZE : QMR_OK;
}

int32_t TransStreamEncoder::unsupported() { return QMR_E_NOT_SUPPORTED; }

void TransStreamEncoder::destroy() {
  m_pOut = nullptr;
  m_writer.reset(nullptr, nullptr);
  m_lastSize = 0;
}

void TransStreamEncoder::release() { delete this; }

int32_t TransStreamEncoder::code_packet(ITqsSnmpPacket *packet) {
  if (packet == nullptr) return QMR_E_INVALID_ARG;
  return code_message(packet->get_pdu(), packet->get_target());
}

int32_t TransStreamEncoder::code_message(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  if (pdu == nullptr || target == nullptr || m_pOut == nullptr) return QMR_E_INVALID_ARG;
  m_version = target->get_version();
  m_varBindCount = 0;
  int64_t max_size = target->get_max_message_size();
  int32_t rc = m_pOut->allocate(max_size > 0 ? static_cast<size_t>(max_size) : 0);
  if (rc != QMR_OK) return rc;
  m_writer.reset(m_pOut->data(), m_pOut->data() + m_pOut->size());

  rc = code_pdu(pdu);
  if (rc != QMR_OK) return rc;
  rc = target->accept(this);
  if (rc != QMR_OK) return rc;
  m_writer.put_header(kBerTagSequence, m_writer.written());
  if (m_writer.overflow()) return QMR_E_MESSAGE_SIZE;
  m_pOut->set_start(m_writer.position());
  return QMR_OK;
}

int32_t TransStreamEncoder::code_pdu(ITqsPdu *pdu) {
  int32_t type = pdu->get_type();
  // Anything else would go out under a tag no agent knows.
  if (!valid_pdu_type(type)) return QMR_E_INVALID_ARG;
  ITqsVarBindList *list = pdu->get_var_bind_list();
  if (list == nullptr) {
    int32_t rc = QMR_OK;
    list = tqs_create_var_bind_list(&rc);
    if (list == nullptr) return rc;
    if ((rc = pdu->set_var_bind_list(list)) != QMR_OK) {
      list->release();
      return rc;
    }
  }
  size_t before = m_writer.written();
  int32_t rc = code_var_bind_list(list);
  if (rc != QMR_OK) return rc;
  if (type != kTqsTrap) {
    rc = code_request_fields(pdu);
  } else if (m_version == kTqsSnmpV1) {
    rc = code_v1_trap_header(pdu);
  } else {
    rc = code_v2_trap_header(pdu);
  }
  if (rc != QMR_OK) return rc;
  m_lastSize = m_writer.put_header(static_cast<uint8_t>(kBerTagPduBase + type), m_writer.written() - before);
  return m_writer.overflow() ? QMR_E_MESSAGE_SIZE : QMR_OK;
}

int32_t TransStreamEncoder::code_var_bind_list(ITqsVarBindList *list) {
  size_t content = 0;
  ITqsVarBind *const *items = list->items();
  for (uint32_t i = list->count(); i-- > 0;) {
    int32_t rc = code_var_bind(items[i]);
    if (rc != QMR_OK) return rc;
    content += m_lastSize;
    ++m_varBindCount;
  }
  m_lastSize = m_writer.put_header(kBerTagSequence, content);
  return m_writer.overflow() ? QMR_E_MESSAGE_SIZE : QMR_OK;
}

// tqs_create_var_bind makes every varbind, so each one is a CTqsVarBind.
int32_t TransStreamEncoder::code_var_bind(ITqsVarBind *var_bind) {
  if (var_bind == nullptr) return QMR_E_INVALID_ARG;
  const CTqsVarBind *concrete = static_cast<const CTqsVarBind *>(var_bind);
  ITqsOid *name = concrete->get_name();
  if (name == nullptr) return QMR_E_INVALID_ARG;
  ITqsSnmpValue *value = concrete->get_value();
  int32_t rc = QMR_OK;
  if (value != nullptr) {
    rc = write_value(value);
  } else {
    m_lastSize = m_writer.put_empty(kBerTagNull);  // an absent value goes out as NULL
  }
  if (rc != QMR_OK) return rc;
  size_t content = m_lastSize;
  if ((rc = write_oid(name)) != QMR_OK) return rc;
  content += m_lastSize;
  m_lastSize = m_writer.put_header(kBerTagSequence, content);
  return m_writer.overflow() ? QMR_E_MESSAGE_SIZE : QMR_OK;
}

// The encoder's one type dispatch. The factory makes one class per type
// code, so the common types are written from their class directly, without
// a virtual call per field.
int32_t TransStreamEncoder::write_value(ITqsSnmpValue *value) {
  const uint32_t type = value->type();
  switch (type) {
    case kTqsInteger:
      m_lastSize = m_writer.put_int32(kBerTagInteger, static_cast<const CTqsInteger *>(value)->number());
      return QMR_OK;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      m_lastSize =
          m_writer.put_uint32(static_cast<uint8_t>(type), static_cast<const CTqsUnsigned32 *>(value)->number());
      return QMR_OK;
    case kTqsOctetString: {
      const CTqsOctetString *octets = static_cast<const CTqsOctetString *>(value);
      m_lastSize = m_writer.put_octets(kBerTagOctetString, octets->bytes(), octets->byte_count());
      return QMR_OK;
    }
    case kTqsObjectId:
      return write_oid(static_cast<const CTqsOid *>(value));
    case kTqsOpaque:
    case kTqsIpAddress:
    case kTqsIpv6Address: {
      uint32_t length = 0;
      const uint8_t *bytes = value->get_bytes(&length);
      m_lastSize = m_writer.put_octets(static_cast<uint8_t>(type), bytes, bytes ? length : 0);
      return QMR_OK;
    }
    case kTqsCounter64:
      m_lastSize = m_writer.put_counter64(kBerTagCounter64, value->get_high(), value->get_low());
      return QMR_OK;
    case kTqsNull:
    case kTqsNoSuchObject:
    case kTqsNoSuchInstance:
    case kTqsEndOfMibView:
      m_lastSize = m_writer.put_empty(static_cast<uint8_t>(type));
      return QMR_OK;
    default:
      return QMR_E_NOT_SUPPORTED;  // UDP and IPX addresses have no BER form
  }
}

// Error-index first, so that the wire order is request-id, error-status, error-index.
int32_t TransStreamEncoder::code_request_fields(ITqsPdu *pdu) {
  size_t size = m_writer.put_int32(kBerTagInteger, static_cast<int32_t>(pdu->get_error_index()));
  size += m_writer.put_int32(kBerTagInteger, pdu->get_error_status());
  size += m_writer.put_int32(kBerTagInteger, pdu->get_request_id());
  m_lastSize = size;
  return QMR_OK;
}

int32_t TransStreamEncoder::code_v1_trap_header(ITqsPdu *pdu) {
  ITqsOid *trap = pdu->get_trap_oid();
  ITqsSnmpValue *time_stamp = pdu->get_time_stamp();
  if (trap == nullptr || time_stamp == nullptr) return QMR_E_INVALID_ARG;
  uint32_t n = trap->length();
  const uint32_t *sub = trap->sub_identifiers();
  if (n < 2 || sub == nullptr || sub[n - 2] != 0) return QMR_E_INVALID_ARG;
  uint32_t last = sub[n - 1];
  uint32_t enterprise_length = n - 2;
  int32_t generic = kEnterpriseSpecificTrap;
  int32_t specific = static_cast<int32_t>(last);
  if (enterprise_length == kGenericTrapPrefixLength &&
      memcmp(sub, kGenericTrapPrefix, sizeof(kGenericTrapPrefix)) == 0) {
    // Only coldStart..egpNeighborLoss exist; any other number cannot be
    // expressed as a generic trap and would come back as another trap.
    if (last < 1 || last > kGenericTrapLast) return QMR_E_INVALID_ARG;
    generic = static_cast<int32_t>(last) - 1;
    specific = 0;
  }
  if (enterprise_length == 1) {
    snmp_log().write(kLogError, "encode error:oid size is 1.");
    return QMR_E_INVALID_ARG;
  }
  size_t size = m_writer.put_uint32(kBerTagTimeTicks, time_stamp->get_uint32());
  size += m_writer.put_int32(kBerTagInteger, specific);
  size += m_writer.put_int32(kBerTagInteger, generic);
  size += m_writer.put_octets(kBerTagIpAddress, kAgentAddressAny, sizeof(kAgentAddressAny));
  size_t enterprise_size = 0;
  m_writer.put_oid(sub, enterprise_length, &enterprise_size);
  m_lastSize = size + enterprise_size;
  return QMR_OK;
}

int32_t TransStreamEncoder::code_v2_trap_header(ITqsPdu *) { return QMR_E_NOT_SUPPORTED; }
