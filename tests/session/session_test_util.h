// Helpers shared by the session tests: targets, PDUs and reading results.
#ifndef QMR_TESTS_SESSION_SESSION_TEST_UTIL_H
#define QMR_TESTS_SESSION_SESSION_TEST_UTIL_H

#include <string>
#include <vector>

#include "net/network_address.h"
#include "net/octet_buffer.h"
#include "net/owned.h"
#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/snmp_session.h"
#include "snmp/snmp_value.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace session_test {

inline TqcOwned<ITqsSnmpTarget> community_target(const std::string &ip, uint16_t port, int32_t timeout_ms,
                                                 int32_t retries, int64_t max_size = 1400,
                                                 int32_t version = kTqsSnmpV1, const char *community = "public") {
  CTqsCommunityTarget *target = tqs_create_community_target();
  TqcOwned<ITqsSnmpTarget> owned(target);
  TqcOwned<ITqcNetworkAddress> address(tqc_create_network_address());
  address->set(ip.c_str(), ip.find(':') != std::string::npos ? ITqcNetworkAddress::IPv6 : ITqcNetworkAddress::IPv4,
               port);
  target->set_address(address.get());
  target->set_timeout(timeout_ms);
  target->set_retries(retries);
  target->set_max_message_size(max_size);
  target->set_version(version);
  target->set_community(community);
  return owned;
}

// A PDU of `type` asking for `oids` (NULL values).
inline TqcOwned<ITqsPdu> request(int32_t type, const std::vector<std::string> &oids) {
  TqcOwned<ITqsPdu> pdu(tqs_create_pdu());
  pdu->set_type(type);
  for (const auto &oid : oids) pdu->append_new_var_bind(tqs_create_oid_from_text(oid.c_str()), nullptr);
  return pdu;
}

// A SET PDU whose varbinds carry `value_size`-byte octet strings.
inline TqcOwned<ITqsPdu> big_set_request(const std::vector<std::string> &oids, size_t value_size) {
  TqcOwned<ITqsPdu> pdu(tqs_create_pdu());
  pdu->set_type(kTqsSetRequest);
  const std::string text(value_size, 'x');
  for (const auto &oid : oids) {
    ITqsSnmpValue *value = tqs_create_value(kTqsOctetString);
    value->set_text(text.c_str());
    pdu->append_new_var_bind(tqs_create_oid_from_text(oid.c_str()), value);
  }
  return pdu;
}

inline uint32_t count_of(const ITqsPdu *pdu) {
  const ITqsVarBindList *list = pdu->get_var_bind_list();
  return list ? list->count() : 0;
}

inline std::string name_at(const ITqsPdu *pdu, uint32_t i) {
  const ITqsVarBind *vb = pdu->get_var_bind_list()->get_at(i);
  TqcOwned<ITqsOctetBuffer> text(vb->get_name()->to_text());
  return text ? std::string(text->c_str()) : std::string();
}

inline uint32_t type_at(const ITqsPdu *pdu, uint32_t i) {
  return pdu->get_var_bind_list()->get_at(i)->get_value()->type();
}

inline int32_t int_at(const ITqsPdu *pdu, uint32_t i) {
  return pdu->get_var_bind_list()->get_at(i)->get_value()->get_int32();
}

inline std::string text_at(const ITqsPdu *pdu, uint32_t i) {
  TqcOwned<ITqsOctetBuffer> text(pdu->get_var_bind_list()->get_at(i)->get_value()->to_text());
  return text && text->size() ? std::string(text->c_str()) : std::string();
}

// The sub-identifiers of a dotted OID text, and the text of sub-identifiers.
inline std::vector<uint32_t> dotted_ids(const std::string &text) {
  std::vector<uint32_t> out;
  for (size_t pos = 0; pos < text.size();) {
    size_t dot = text.find('.', pos);
    if (dot == std::string::npos) dot = text.size();
    out.push_back(static_cast<uint32_t>(std::stoul(text.substr(pos, dot - pos))));
    pos = dot + 1;
  }
  return out;
}

inline std::string dotted_text(const std::vector<uint32_t> &ids) {
  std::string out;
  for (uint32_t id : ids) out += (out.empty() ? "" : ".") + std::to_string(id);
  return out;
}

// An agent inside the test program: a session that answers unicast
// requests (send_sync) and nothing else.
class InProcessAgent : public ITqsSnmpSession {
 public:
  void release() override {}
  int32_t send_sync(ITqsSnmpPacket *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_broad_cast_sync(ITqsSnmpPacket *, ITqsSnmpPacketList **) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_broad_cast_sync(ITqsPdu *, ITqsSnmpTarget *, ITqsSnmpPacketList **) override {
    return QMR_E_NOT_SUPPORTED;
  }
  int32_t reserved() override { return QMR_E_NOT_SUPPORTED; }
};

}  // namespace session_test

#endif  // QMR_TESTS_SESSION_SESSION_TEST_UTIL_H
