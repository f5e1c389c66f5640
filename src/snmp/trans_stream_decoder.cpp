// Forward decoding of SNMP v1/v2c messages into the caller's objects. The
// reader bounds every read by the datagram (trimmed to the outer length);
// the element readers here check that the declared lengths agree.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

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

// Highest error-status SNMPv2 defines (inconsistentName, RFC 3416 3).
constexpr int32_t kMaxErrorStatus = 18;
constexpr uint32_t kGenericTrapPrefix[] = {1, 3, 6, 1, 6, 3, 1, 1, 5, 0};
constexpr uint32_t kEnterpriseSpecificTrap = 6;
// Communities up to this length are terminated on the stack.
constexpr size_t kStackCommunity = 256;

int32_t pdu_type_of_tag(uint8_t tag) {
  switch (tag) {
    case 0xA0: return kTqsGetRequest;
    case 0xA1: return kTqsGetNextRequest;
    case 0xA2: return kTqsResponse;
    case 0xA3: return kTqsSetRequest;
    case kBerTagV1Trap:
    case kBerTagV2Trap: return kTqsTrap;
    case 0xA5: return kTqsGetBulkRequest;
    case 0xA6: return kTqsInformRequest;
    case 0xA8: return kTqsReport;
    default: return kTqsPduNone;
  }
}

// The value tags a received varbind may carry. 0x48 is this library's own
// code for IPv6 addresses and never arrives from an agent.
bool accepted_value_tag(uint8_t tag) {
  switch (tag) {
    case kBerTagInteger:
    case kBerTagOctetString:
    case kBerTagNull:
    case kBerTagOid:
    case kBerTagIpAddress:
    case kBerTagCounter32:
    case kBerTagGauge32:
    case kBerTagTimeTicks:
    case kBerTagOpaque:
    case kBerTagCounter64:
    case kBerTagNoSuchObject:
    case kBerTagNoSuchInstance:
    case kBerTagEndOfMibView:
      return true;
    default:
      return false;
  }
}

// The model's set operations answer -2 for content they refuse; for the
// decoder that is a message it cannot accept. Memory failures stay -3.
int32_t as_decode_result(int32_t rc) {
  return rc == QMR_OK || rc == QMR_E_NO_MEMORY ? rc : QMR_E_DECODE;
}

int32_t set_community(ITqsSnmpTarget *target, const uint8_t *bytes, uint32_t length) {
  ITqsCommunityTarget *c = tqs_community_of(target);
  if (c == nullptr) return QMR_OK;  // a user-based target carries no community
  const void *nul = memchr(bytes, 0, length);
  size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t *>(nul) - bytes) : length;
  // The request's community usually comes back: keep it without copying.
  const char *old = c->get_community();
  if (old != nullptr && strlen(old) == n && memcmp(old, bytes, n) == 0) return QMR_OK;
  char small[kStackCommunity];
  std::unique_ptr<char[]> large;
  char *text = small;
  if (n >= sizeof(small)) {
    large.reset(new (std::nothrow) char[n + 1]);
    if (!large) return QMR_E_NO_MEMORY;
    text = large.get();
  }
  if (n != 0) memcpy(text, bytes, n);
  text[n] = '\0';
  return c->set_community(text);
}

}  // namespace

int32_t TransStreamDecoder::unsupported() { return QMR_E_NOT_SUPPORTED; }

void TransStreamDecoder::destroy() {
  m_pIn = nullptr;
  m_reader.reset(nullptr, nullptr);
  m_version = -1;
}

void TransStreamDecoder::release() { delete this; }

int32_t TransStreamDecoder::open_message() {
  if (m_pIn == nullptr) return QMR_E_INVALID_ARG;
  // An empty datagram (no area at all) reads as zero bytes.
  const uint8_t *start = m_pIn->data() ? m_pIn->start() : nullptr;
  size_t available = m_pIn->data() ? m_pIn->message_length() : 0;
  m_reader.reset(start, start + available);
  m_version = -1;
  uint32_t length = 0;
  if (m_reader.read_header(kBerTagSequence, &length) != QMR_OK) return QMR_E_DECODE;
  uint64_t total = static_cast<uint64_t>(m_reader.consumed()) + length;
  if (total < available) {
    snmp_log().write(kLogInfo, "received packet is redundancy. be cut down.");
    m_reader.set_end(start + total);
  } else if (total > available) {
    snmp_log().write(kLogError, "decode error: lack of received packet. can't go on decoding any more.");
    return QMR_E_DECODE;
  }
  return QMR_OK;
}

int32_t TransStreamDecoder::code_packet(ITqsSnmpPacket *packet) {
  if (packet == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = open_message();
  if (rc != QMR_OK) return rc;
  ITqsSnmpTarget *target = packet->get_target();
  if (target == nullptr) {
    if (m_translateType == kTqsTranslateNone) {
      snmp_log().write(kLogError, "decode error: unknown translate type.");
      return QMR_E_INVALID_ARG;
    }
    target = tqs_create_target_of_kind(m_translateType, &rc);
    if (target == nullptr) return rc;
    if ((rc = packet->set_target(target)) != QMR_OK) {
      target->release();
      return rc;
    }
  }
  ITqsPdu *pdu = packet->get_pdu();
  if (pdu == nullptr) {
    pdu = tqs_create_pdu(&rc);
    if (pdu == nullptr) return rc;
    if ((rc = packet->set_pdu(pdu)) != QMR_OK) {
      pdu->release();
      return rc;
    }
  }
  if ((rc = target->accept(this)) != QMR_OK) return rc;
  return code_pdu(pdu);
}

int32_t TransStreamDecoder::code_message(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  if (pdu == nullptr || target == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = open_message();
  if (rc != QMR_OK) return rc;
  if ((rc = target->accept(this)) != QMR_OK) return rc;
  return code_pdu(pdu);
}

int32_t TransStreamDecoder::visit_header(ITqsSnmpTarget *target) {
  uint32_t version = 0;
  if (m_reader.read_integer(kBerTagInteger, &version) != QMR_OK) return QMR_E_DECODE;
  if (version != static_cast<uint32_t>(kTqsSnmpV1) && version != static_cast<uint32_t>(kTqsSnmpV2c)) {
    snmp_log().write(kLogError, "decode error: unsupported snmp version.");
    return QMR_E_DECODE;
  }
  m_version = static_cast<int32_t>(version);
  target->set_version(m_version);
  uint32_t length = 0;
  const uint8_t *bytes = nullptr;
  if (m_reader.read_header(kBerTagOctetString, &length) != QMR_OK ||
      m_reader.read_octets(length, &bytes) != QMR_OK) {
    return QMR_E_DECODE;
  }
  return set_community(target, bytes, length);
}

int32_t TransStreamDecoder::code_pdu(ITqsPdu *pdu) {
  uint8_t tag = 0;
  if (m_reader.read_byte(&tag) != QMR_OK) return QMR_E_DECODE;
  int32_t type = pdu_type_of_tag(tag);
  pdu->set_type(type);
  if (type == kTqsPduNone) {
    snmp_log().write(kLogError, "decode error: unknown pdu type.");
    return QMR_E_DECODE;
  }
  uint32_t length = 0;
  if (m_reader.read_length(&length) != QMR_OK || length != m_reader.remaining()) {
    snmp_log().write(kLogError, "decode error: pdu length is wrong.");
    return QMR_E_DECODE;
  }
  int32_t rc;
  if (type != kTqsTrap) {
    rc = code_request_fields(pdu);
  } else if (m_version == kTqsSnmpV1) {
    rc = code_v1_trap_header(pdu);
  } else {
    rc = code_v2_trap_header(pdu);
  }
  if (rc != QMR_OK || m_headerOnly) return rc;

  ITqsVarBindList *list = pdu->get_var_bind_list();
  if (list == nullptr) {
    list = tqs_create_var_bind_list(&rc);
    if (list == nullptr) return rc;
    if ((rc = pdu->set_var_bind_list(list)) != QMR_OK) {
      list->release();
      return rc;
    }
  }
  if ((rc = code_var_bind_list(list)) != QMR_OK) return rc;
  int32_t error_status = type == kTqsTrap ? 0 : pdu->get_error_status();
  if (error_status != 0 && type != kTqsGetBulkRequest) return list->mark_error(error_status, pdu->get_error_index());
  return QMR_OK;  // every varbind read got status 0
}

int32_t TransStreamDecoder::code_request_fields(ITqsPdu *pdu) {
  uint32_t request_id = 0;
  uint32_t error_status = 0;
  uint32_t error_index = 0;
  if (m_reader.read_integer(kBerTagInteger, &request_id) != QMR_OK) return QMR_E_DECODE;
  pdu->set_request_id(static_cast<int32_t>(request_id));
  if (m_reader.read_integer(kBerTagInteger, &error_status) != QMR_OK) return QMR_E_DECODE;
  // GetBulkRequest carries non-repeaters here, which has no such bound.
  if (pdu->get_type() != kTqsGetBulkRequest && error_status > static_cast<uint32_t>(kMaxErrorStatus)) {
    snmp_log().write(kLogError, "decode error: error_status's value is wrong.");
    return QMR_E_DECODE;
  }
  pdu->set_error_status(static_cast<int32_t>(error_status));
  if (m_reader.read_integer(kBerTagInteger, &error_index) != QMR_OK) return QMR_E_DECODE;
  pdu->set_error_index(static_cast<int32_t>(error_index));
  return QMR_OK;
}

int32_t TransStreamDecoder::code_v1_trap_header(ITqsPdu *pdu) {
  int32_t rc = QMR_OK;
  ITqsOid *trap = pdu->get_trap_oid();
  if (trap == nullptr) {
    trap = tqs_create_oid(&rc);
    if (trap == nullptr) return rc;
    if ((rc = pdu->set_trap_oid(trap)) != QMR_OK) {
      trap->release();
      return rc;
    }
  }
  if ((rc = read_oid(tqs_concrete_oid(trap))) != QMR_OK) return rc;
  uint32_t length = 0;
  const uint8_t *agent_address = nullptr;
  if (m_reader.read_header(kBerTagIpAddress, &length) != QMR_OK ||
      m_reader.read_octets(length, &agent_address) != QMR_OK) {
    return QMR_E_DECODE;
  }
  uint32_t generic = 0;
  uint32_t specific = 0;
  if (m_reader.read_integer(kBerTagInteger, &generic) != QMR_OK ||
      m_reader.read_integer(kBerTagInteger, &specific) != QMR_OK) {
    return QMR_E_DECODE;
  }
  if (generic == kEnterpriseSpecificTrap) {
    if ((rc = trap->append_sub_identifier(0)) != QMR_OK || (rc = trap->append_sub_identifier(specific)) != QMR_OK) {
      return rc;
    }
  } else if (generic > kEnterpriseSpecificTrap) {
    snmp_log().write(kLogError, "decode error: generic trap No. > 6. ");
    return QMR_E_DECODE;
  } else {
    uint32_t sub[sizeof(kGenericTrapPrefix) / sizeof(kGenericTrapPrefix[0]) + 1];
    memcpy(sub, kGenericTrapPrefix, sizeof(kGenericTrapPrefix));
    sub[sizeof(sub) / sizeof(sub[0]) - 1] = generic + 1;
    if ((rc = trap->set_sub_identifiers(sub, sizeof(sub) / sizeof(sub[0]))) != QMR_OK) return rc;
  }
  ITqsSnmpValue *time_stamp = pdu->get_time_stamp();
  if (time_stamp == nullptr) {
    time_stamp = tqs_create_value(kTqsTimeTicks, &rc);
    if (time_stamp == nullptr) return rc;
    if ((rc = pdu->set_time_stamp(time_stamp)) != QMR_OK) {
      time_stamp->release();
      return rc;
    }
  }
  return read_value(time_stamp, time_stamp->type());
}

int32_t TransStreamDecoder::code_v2_trap_header(ITqsPdu *) { return QMR_E_NOT_SUPPORTED; }

int32_t TransStreamDecoder::code_var_bind_list(ITqsVarBindList *list) {
  uint32_t length = 0;
  if (m_reader.read_header(kBerTagSequence, &length) != QMR_OK || length != m_reader.remaining()) {
    snmp_log().write(kLogError, "decode error: length of var bind list is wrong.");
    return QMR_E_DECODE;
  }
  const uint32_t existing = list->count();
  ITqsVarBind *const *items = list->items();  // valid until the first append below
  uint32_t i = 0;
  int32_t rc = QMR_OK;
  for (; m_reader.remaining() != 0; ++i) {
    CTqsVarBind *var_bind;
    if (i < existing) {
      var_bind = static_cast<CTqsVarBind *>(items[i]);
    } else {
      var_bind = static_cast<CTqsVarBind *>(tqs_create_var_bind(&rc));
      if (var_bind == nullptr) return rc;
      if ((rc = list->append(var_bind)) != QMR_OK) {
        var_bind->release();
        return rc;
      }
    }
    if ((rc = read_var_bind(var_bind)) != QMR_OK) return rc;
  }
  if (i < existing) return list->truncate(i);
  return QMR_OK;
}

// tqs_create_var_bind makes every varbind, so each one is a CTqsVarBind.
int32_t TransStreamDecoder::code_var_bind(ITqsVarBind *var_bind) {
  if (var_bind == nullptr) return QMR_E_INVALID_ARG;
  return read_var_bind(static_cast<CTqsVarBind *>(var_bind));
}

int32_t TransStreamDecoder::read_var_bind(CTqsVarBind *var_bind) {
  uint32_t length = 0;
  if (m_reader.read_header(kBerTagSequence, &length) != QMR_OK) return QMR_E_DECODE;
  size_t before = m_reader.consumed();
  int32_t rc = QMR_OK;
  ITqsOid *name = var_bind->get_name();
  if (name == nullptr) {
    name = tqs_create_oid(&rc);
    if (name == nullptr) return rc;
    var_bind->set_name(name);
  }
  if ((rc = read_oid(tqs_concrete_oid(name))) != QMR_OK) return rc;
  uint8_t tag = 0;
  if (m_reader.peek_tag(&tag) != QMR_OK) return QMR_E_DECODE;
  if (!accepted_value_tag(tag)) {
    snmp_log().write(kLogError, "decode error: unknown asn type.");
    return QMR_E_DECODE;
  }
  ITqsSnmpValue *value = var_bind->get_value();
  if (value == nullptr || value->type() != tag) {
    value = tqs_create_value(tag, &rc);
    if (value == nullptr) return rc;
    var_bind->set_value(value);
  }
  if ((rc = read_value(value, tag)) != QMR_OK) return rc;
  if (m_reader.consumed() - before != length) {
    snmp_log().write(kLogError, "decode error: length of var bind is wrong.");
    return QMR_E_DECODE;
  }
  var_bind->set_status(0);
  return QMR_OK;
}

// The decoder's one type dispatch. The factory makes one class per type
// code, so once the value's type equals the tag its class is known and the
// common types are filled directly, without a virtual call per field. The
// rarer types are read out of line (read_rare_value), which keeps this hot
// part small and free of a jump table.
int32_t TransStreamDecoder::read_value(ITqsSnmpValue *value, uint32_t type) {
  uint32_t bits = 0;
  switch (type) {
    case kTqsInteger:
      if (m_reader.read_integer(kBerTagInteger, &bits) != QMR_OK) return QMR_E_DECODE;
      static_cast<CTqsInteger *>(value)->set_number(static_cast<int32_t>(bits));
      return QMR_OK;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      if (m_reader.read_integer(static_cast<uint8_t>(type), &bits) != QMR_OK) return QMR_E_DECODE;
      static_cast<CTqsUnsigned32 *>(value)->set_number(bits);
      return QMR_OK;
    case kTqsOctetString: {
      uint32_t length = 0;
      const uint8_t *bytes = nullptr;
      if (m_reader.read_header(kBerTagOctetString, &length) != QMR_OK ||
          m_reader.read_octets(length, &bytes) != QMR_OK) {
        return QMR_E_DECODE;
      }
      return as_decode_result(static_cast<CTqsOctetString *>(value)->CTqsOctetString::set_bytes(bytes, length));
    }
    case kTqsObjectId:
      return read_oid(static_cast<CTqsOid *>(value));
    case kTqsNull:
      return read_empty(kBerTagNull);
    default:
      return read_rare_value(value, type);
  }
}

// An element without content (NULL, the exceptions).
int32_t TransStreamDecoder::read_empty(uint8_t tag) {
  uint32_t length = 0;
  if (m_reader.read_header(tag, &length) != QMR_OK || length != 0) return QMR_E_DECODE;
  return QMR_OK;
}

int32_t TransStreamDecoder::read_rare_value(ITqsSnmpValue *value, uint32_t type) {
  uint32_t length = 0;
  switch (type) {
    case kTqsOpaque:
    case kTqsIpAddress:
    case kTqsIpv6Address: {
      // Through the value's own set_bytes, which checks an address's length.
      const uint8_t *bytes = nullptr;
      if (m_reader.read_header(static_cast<uint8_t>(type), &length) != QMR_OK ||
          m_reader.read_octets(length, &bytes) != QMR_OK) {
        return QMR_E_DECODE;
      }
      return as_decode_result(value->set_bytes(bytes, length));
    }
    case kTqsCounter64: {
      uint32_t high = 0;
      uint32_t low = 0;
      if (m_reader.read_header(kBerTagCounter64, &length) != QMR_OK) return QMR_E_DECODE;
      if (m_reader.read_counter64_content(length, &high, &low) != QMR_OK) {
        snmp_log().write(kLogError, "decode error: counter64 format is wrong.");
        return QMR_E_DECODE;
      }
      value->set_high(high);
      return value->set_low(low);
    }
    case kTqsNoSuchObject:
    case kTqsNoSuchInstance:
    case kTqsEndOfMibView:
      return read_empty(static_cast<uint8_t>(type));
    default:
      return QMR_E_NOT_SUPPORTED;  // UDP and IPX addresses have no BER form
  }
}

int32_t TransStreamDecoder::read_oid(CTqsOid *oid) {
  uint32_t length = 0;
  if (m_reader.read_header(kBerTagOid, &length) != QMR_OK) {
    oid->decode_storage(0);  // left empty
    return QMR_E_DECODE;
  }
  // Never look past the datagram, even when the length claims more.
  size_t available = m_reader.remaining();
  size_t content = length < available ? length : available;
  const uint8_t *limit = m_reader.position() + content;
  // Straight into the OID: each sub-identifier takes an octet at least and
  // the first holds two. A datagram is far below 2^32 octets.
  uint32_t *sub = oid->decode_storage(static_cast<uint32_t>(content + 1));
  if (sub == nullptr) return QMR_E_NO_MEMORY;
  size_t count = 0;
  size_t before = m_reader.consumed();
  if (content != 0) {
    if (m_reader.read_sub_identifiers(limit, sub, &count) != QMR_OK) {
      snmp_log().write(kLogError, "decode error. oid format is wrong.");
      return QMR_E_DECODE;
    }
    // The first encoded sub-identifier holds the first two (X * 40 + Y).
    uint32_t v = sub[1];
    uint32_t x = v < 40 ? 0 : (v < 80 ? 1 : 2);
    sub[0] = x;
    sub[1] = v - 40 * x;
    ++count;
  }
  if (m_reader.consumed() - before != length) return QMR_E_DECODE;
  oid->set_decoded_count(static_cast<uint32_t>(count));
  return QMR_OK;
}

// Every visit goes through read_value, the decoder's one type dispatch.
int32_t TransStreamDecoder::visit_oid(ITqsOid *value) { return read_oid(tqs_concrete_oid(value)); }
int32_t TransStreamDecoder::visit_octet_string(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_integer(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_null(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_counter32(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_gauge32(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_time_ticks(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_counter64(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_ip_address(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_ipv6_address(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_udp_address(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_ipx_address(ITqsSnmpValue *value) { return read_value(value, value->type()); }
int32_t TransStreamDecoder::visit_exception(ITqsSnmpValue *value) { return read_value(value, value->type()); }
