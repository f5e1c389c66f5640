// Small builders for the codec tests: owned model objects and one-call
// encode/decode through the codec front.
#ifndef QMR_TESTS_SNMP_CODEC_SUPPORT_H
#define QMR_TESTS_SNMP_CODEC_SUPPORT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/octet_buffer.h"
#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_value.h"
#include "snmp/translator.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace codec_test {

using Bytes = std::vector<uint8_t>;

struct Releaser {
  template <typename T>
  void operator()(T *p) const {
    p->release();
  }
};
template <typename T>
using Owned = std::unique_ptr<T, Releaser>;

inline ITqsOid *make_oid(const char *text) { return tqs_create_oid_from_text(text); }

inline ITqsSnmpValue *number(uint32_t type, int64_t n) { return tqs_create_number_value(type, n); }

inline ITqsSnmpValue *bytes_value(uint32_t type, const std::string &b) {
  ITqsSnmpValue *v = tqs_create_value(type);
  v->set_bytes(reinterpret_cast<const uint8_t *>(b.data()), static_cast<uint32_t>(b.size()));
  return v;
}

inline ITqsSnmpValue *make_counter64(uint32_t high, uint32_t low) {
  ITqsSnmpValue *v = tqs_create_value(kTqsCounter64);
  v->set_high(high);
  v->set_low(low);
  return v;
}

inline Owned<ITqsSnmpTarget> target(int32_t version, const char *community, int64_t max_size = 1400) {
  CTqsCommunityTarget *t = tqs_create_community_target();
  t->set_version(version);
  t->set_community(community);
  t->set_max_message_size(max_size);
  return Owned<ITqsSnmpTarget>(t);
}

inline Owned<ITqsPdu> pdu(int32_t type, int32_t request_id) {
  ITqsPdu *p = tqs_create_pdu();
  p->set_type(type);
  p->set_request_id(request_id);
  p->set_error_status(0);
  p->set_error_index(0);
  return Owned<ITqsPdu>(p);
}

inline void add(ITqsPdu *p, const char *name, ITqsSnmpValue *value = nullptr) {
  p->append_new_var_bind(make_oid(name), value);
}

inline Bytes encode(ITqsPdu *p, ITqsSnmpTarget *t, int32_t *rc = nullptr, uint32_t *count = nullptr) {
  CTqsRawPacket raw;
  int32_t r = tqs_translator()->encode(p, t, &raw, count);
  if (rc) *rc = r;
  if (r != QMR_OK) return Bytes();
  return Bytes(raw.start(), raw.start() + raw.message_length());
}

inline int32_t decode(const Bytes &msg, ITqsPdu *p, ITqsSnmpTarget *t) {
  CTqsRawPacket raw;
  raw.attach(const_cast<uint8_t *>(msg.data()), msg.size(), false);
  return tqs_translator()->decode(&raw, p, t, kTqsCommunityKind);
}

inline std::string text_of(const ITqsSnmpValue *v) {
  if (v == nullptr) return "<none>";
  ITqsOctetBuffer *b = v->to_text();
  if (b == nullptr) return "<no text>";
  std::string s(b->c_str(), b->size());
  b->release();
  return s;
}

inline ITqsVarBind *var_bind_at(ITqsPdu *p, uint32_t i) { return p->get_var_bind_list()->get_at(i); }

}  // namespace codec_test

#endif  // QMR_TESTS_SNMP_CODEC_SUPPORT_H
