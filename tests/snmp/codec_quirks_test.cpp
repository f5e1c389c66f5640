// Habits of real agents that X.690's minimal form forbids but that still
// encode a true value: each answer is decoded by us and by net-snmp's
// snmp_parse, and both must agree on accepting it and on its value. Where
// they may not, the row says why. tests/fuzz/corpus/decode/quirk_*.ber hold
// these answers, in table order, as fuzzing seeds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/codec_netsnmp_peer.h"
#include "codec_support.h"

namespace {

using namespace codec_test;

enum class Peer {
  kSame,        // net-snmp accepts or refuses it as we do, with the same value
  kCuts,        // net-snmp silently cuts the value to the type's width (or drops a
                // NULL's content octets); we refuse
  kCapsLength,  // net-snmp refuses contents longer than its own fixed limit (9 octets
                // unsigned and Counter64, 8 INTEGER); we accept any sign padding
};

struct Quirk {
  const char *what;
  Bytes value;         // the varbind's value element, tag and length included
  bool accepted;
  uint64_t number;     // numbers (INTEGER as its 64-bit two's complement)
  std::string text;    // byte types; the dotted text of an OID
  Peer peer;
};

const std::string kHello = "hello";

// clang-format off
const Quirk kQuirks[] = {
  {"INTEGER -2^31 padded (snmpsimd)", {0x02, 0x05, 0xFF, 0x80, 0x00, 0x00, 0x00}, true, static_cast<uint64_t>(-2147483648LL), "", Peer::kSame},
  {"INTEGER -5 padded", {0x02, 0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB}, true, static_cast<uint64_t>(-5), "", Peer::kSame},
  {"INTEGER -1 in 8 octets", {0x02, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, true, ~uint64_t{0}, "", Peer::kSame},
  {"INTEGER 5 padded", {0x02, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}, true, 5, "", Peer::kSame},
  {"INTEGER 2^31-1 padded", {0x02, 0x05, 0x00, 0x7F, 0xFF, 0xFF, 0xFF}, true, 2147483647, "", Peer::kSame},
  {"INTEGER 5 in 9 octets", {0x02, 0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0x05}, true, 5, "", Peer::kCapsLength},
  {"INTEGER 2^31", {0x02, 0x05, 0x00, 0x80, 0x00, 0x00, 0x00}, false, 0, "", Peer::kCuts},
  {"INTEGER -2^31-1", {0x02, 0x05, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF}, false, 0, "", Peer::kCuts},
  {"INTEGER 2^32", {0x02, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00}, false, 0, "", Peer::kCuts},
  {"Counter32 2^32-1 padded", {0x41, 0x07, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, true, 4294967295u, "", Peer::kSame},
  {"Counter32 7 padded", {0x41, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07}, true, 7, "", Peer::kSame},
  {"Counter32 2^32", {0x41, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00}, false, 0, "", Peer::kCuts},
  {"Counter32 negative", {0x41, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}, false, 0, "", Peer::kCuts},
  {"Gauge32 (Unsigned32) 2^32-1", {0x42, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, true, 4294967295u, "", Peer::kSame},
  {"Gauge32 (Unsigned32) 1 padded", {0x42, 0x04, 0x00, 0x00, 0x00, 0x01}, true, 1, "", Peer::kSame},
  {"Gauge32 negative", {0x42, 0x01, 0x80}, false, 0, "", Peer::kCuts},
  {"TimeTicks 100 in 9 octets", {0x43, 0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0x64}, true, 100, "", Peer::kSame},
  {"TimeTicks 100 in 10 octets", {0x43, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x64}, true, 100, "", Peer::kCapsLength},
  {"Counter64 2^64-1", {0x46, 0x09, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, true, ~uint64_t{0}, "", Peer::kSame},
  {"Counter64 5 padded", {0x46, 0x08, 0, 0, 0, 0, 0, 0, 0, 0x05}, true, 5, "", Peer::kSame},
  {"Counter64 5 in 10 octets", {0x46, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05}, true, 5, "", Peer::kCapsLength},
  {"Counter64 2^64", {0x46, 0x09, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}, false, 0, "", Peer::kSame},
  {"Counter64 negative", {0x46, 0x08, 0x80, 0, 0, 0, 0, 0, 0, 0}, false, 0, "", Peer::kCuts},
  {"length 81 05", {0x04, 0x81, 0x05, 'h', 'e', 'l', 'l', 'o'}, true, 0, kHello, Peer::kSame},
  {"length 82 00 05", {0x04, 0x82, 0x00, 0x05, 'h', 'e', 'l', 'l', 'o'}, true, 0, kHello, Peer::kSame},
  {"length 84 00 00 00 05", {0x04, 0x84, 0x00, 0x00, 0x00, 0x05, 'h', 'e', 'l', 'l', 'o'}, true, 0, kHello, Peer::kSame},
  {"INTEGER with length 81 01", {0x02, 0x81, 0x01, 0x05}, true, 5, "", Peer::kSame},
  {"length beyond 32 bits", {0x04, 0x85, 0x01, 0x00, 0x00, 0x00, 0x03, 'a', 'b', 'c'}, false, 0, "", Peer::kSame},
  {"sub-identifiers led by 80", {0x06, 0x0B, 0x2B, 0x06, 0x01, 0x80, 0x02, 0x01, 0x01, 0x80, 0x80, 0x05, 0x00}, true, 0, "1.3.6.1.2.1.1.5.0", Peer::kSame},
  {"widest sub-identifier led by 80s", {0x06, 0x09, 0x2B, 0x80, 0x80, 0x80, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, true, 0, "1.3.4294967295", Peer::kSame},
  {"first sub-identifier led by 80", {0x06, 0x03, 0x80, 0x2B, 0x06}, true, 0, "1.3.6", Peer::kSame},
  {"0x00 inside a text", {0x04, 0x05, 'a', 0x00, 'b', 'c', 'd'}, true, 0, std::string("a\0bcd", 5), Peer::kSame},
  {"NULL", {0x05, 0x00}, true, 0, "", Peer::kSame},
  {"NULL with content", {0x05, 0x01, 0x00}, false, 0, "", Peer::kCuts},
  {"noSuchObject", {0x80, 0x00}, true, 0, "", Peer::kSame},
  {"noSuchInstance", {0x81, 0x00}, true, 0, "", Peer::kSame},
  {"endOfMibView", {0x82, 0x00}, true, 0, "", Peer::kSame},
};
// clang-format on

constexpr char kColumn[] = "1.3.6.1.2.1.43.18.1.1.8.1.1";  // a column value is expected here

Bytes tlv(uint8_t tag, const Bytes &content) {
  Bytes out = {tag};
  size_t n = content.size();
  if (n < 0x80) {
    out.push_back(static_cast<uint8_t>(n));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(n));
  }
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

Bytes cat(Bytes a, const Bytes &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A v2c GetResponse, request id 7, carrying `value` for kColumn.
Bytes response(const Bytes &value) {
  const Bytes name = {0x06, 0x0C, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B, 0x12, 0x01, 0x01, 0x08, 0x01, 0x01};
  const Bytes fields = {0x02, 0x01, 0x07, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00};
  Bytes list = tlv(0x30, tlv(0x30, cat(name, value)));
  Bytes header = {0x02, 0x01, 0x01, 0x04, 0x06, 'p', 'u', 'b', 'l', 'i', 'c'};
  return tlv(0x30, cat(header, tlv(0xA2, cat(fields, list))));
}

void expect_ours(const Quirk &q, const Bytes &msg) {
  auto p = pdu(kTqsGetRequest, 0);
  auto t = target(kTqsVersionUnset, nullptr);
  int32_t rc = decode(msg, p.get(), t.get());
  if (!q.accepted) {
    EXPECT_EQ(rc, QMR_E_DECODE);
    return;
  }
  ASSERT_EQ(rc, QMR_OK);
  EXPECT_EQ(p->get_request_id(), 7);
  ASSERT_EQ(p->get_var_bind_list()->count(), 1u);
  EXPECT_EQ(text_of(var_bind_at(p.get(), 0)->get_name()), kColumn);
  const ITqsSnmpValue *v = var_bind_at(p.get(), 0)->get_value();
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->type(), q.value[0]);
  switch (v->type()) {
    case kTqsInteger:
      EXPECT_EQ(v->get_int32(), static_cast<int64_t>(q.number));
      break;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      EXPECT_EQ(v->get_uint32(), q.number);
      break;
    case kTqsCounter64:
      EXPECT_EQ((uint64_t{v->get_high()} << 32) | v->get_low(), q.number);
      break;
    case kTqsObjectId:
      EXPECT_EQ(text_of(v), q.text);
      break;
    case kTqsOctetString: {
      uint32_t n = 0;
      const uint8_t *b = v->get_bytes(&n);
      EXPECT_EQ(std::string(reinterpret_cast<const char *>(b), n), q.text);
      break;
    }
    default:
      break;  // NULL and the exceptions carry nothing but their type
  }
}

void expect_theirs(const Quirk &q, const Bytes &msg) {
  netsnmp_peer::Session session(SNMP_VERSION_2c, "public");
  netsnmp_pdu *theirs = netsnmp_peer::parse(session, msg.data(), msg.size());
  if (q.peer != Peer::kSame) {
    // kCuts: net-snmp takes a value that is not the one sent; kCapsLength:
    // it refuses a true value only for its length.
    EXPECT_EQ(theirs != nullptr, q.peer == Peer::kCuts) << "net-snmp no longer behaves as the row says";
    if (theirs) snmp_free_pdu(theirs);
    return;
  }
  ASSERT_EQ(theirs != nullptr, q.accepted);
  if (theirs == nullptr) return;
  EXPECT_EQ(theirs->reqid, 7);
  const netsnmp_variable_list *var = theirs->variables;
  ASSERT_NE(var, nullptr);
  EXPECT_EQ(var->next_variable, nullptr);
  EXPECT_EQ(var->type, q.value[0]);
  switch (var->type) {
    case ASN_INTEGER:
      EXPECT_EQ(*var->val.integer, static_cast<int64_t>(q.number));
      break;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
      EXPECT_EQ(static_cast<uint64_t>(*var->val.integer), q.number);
      break;
    case ASN_COUNTER64:
      EXPECT_EQ((static_cast<uint64_t>(var->val.counter64->high) << 32) | var->val.counter64->low, q.number);
      break;
    case ASN_OBJECT_ID: {
      std::string dotted;
      for (size_t i = 0; i < var->val_len / sizeof(oid); ++i)
        dotted += (i ? "." : "") + std::to_string(var->val.objid[i]);
      EXPECT_EQ(dotted, q.text);
      break;
    }
    case ASN_OCTET_STR:
      EXPECT_EQ(std::string(reinterpret_cast<const char *>(var->val.string), var->val_len), q.text);
      break;
    default:
      break;
  }
  snmp_free_pdu(theirs);
}

TEST(CodecQuirks, RealAgentHabitsDecodeAsNetSnmpReadsThem) {
  for (const Quirk &q : kQuirks) {
    SCOPED_TRACE(q.what);
    const Bytes msg = response(q.value);
    expect_ours(q, msg);
    expect_theirs(q, msg);
  }
}

}  // namespace
