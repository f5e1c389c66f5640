// Differential checks against net-snmp's BER implementation: what we encode
// net-snmp parses to the same content, and what net-snmp builds we decode to
// the same content, for every PDU type and every value type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/codec_netsnmp_peer.h"
#include "codec_support.h"

namespace {

using namespace codec_test;

// One varbind described independently of both libraries.
struct VarSpec {
  std::string name;
  uint32_t type;
  int64_t number = 0;   // INTEGER and the unsigned types; Counter64 high << 32 | low
  std::string bytes;    // byte types; the dotted text of an OID value
};

std::vector<uint32_t> sub_ids(const std::string &text) {
  std::vector<uint32_t> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t dot = text.find('.', pos);
    if (dot == std::string::npos) dot = text.size();
    out.push_back(static_cast<uint32_t>(std::stoul(text.substr(pos, dot - pos))));
    pos = dot + 1;
  }
  return out;
}

std::vector<VarSpec> every_value(bool v2c) {
  std::string binary("\x00\x01\xFF printer\x80", 12);
  std::vector<VarSpec> v = {
      {"1.3.6.1.2.1.1.7.0", kTqsInteger, -5, ""},
      {"1.3.6.1.2.1.1.7.1", kTqsInteger, 2147483647, ""},
      {"1.3.6.1.2.1.1.7.2", kTqsInteger, -2147483647 - 1, ""},
      {"1.3.6.1.2.1.1.1.0", kTqsOctetString, 0, binary},
      {"1.3.6.1.2.1.1.4.0", kTqsOctetString, 0, std::string(200, 'x')},
      {"1.3.6.1.2.1.1.5.0", kTqsOctetString, 0, ""},
      {"1.3.6.1.2.1.1.6.0", kTqsNull, 0, ""},
      {"1.3.6.1.2.1.1.2.0", kTqsObjectId, 0, "1.3.6.1.4.1.58114.8.4294967295.200"},
      {"1.3.6.1.2.1.4.20.1.1.10.0.0.1", kTqsIpAddress, 0, std::string("\x0A\x00\x00\x01", 4)},
      {"1.3.6.1.2.1.2.2.1.10.1", kTqsCounter32, 4294967295LL, ""},
      {"1.3.6.1.2.1.2.2.1.5.1", kTqsGauge32, 128, ""},
      {"1.3.6.1.2.1.1.3.0", kTqsTimeTicks, 8388608, ""},
      {"1.3.6.1.4.1.47305.1.1", kTqsOpaque, 0, std::string("opaque\x01\x02", 8)},
      {"1.3.6.1.2.1.31.1.1.1.6.1", kTqsCounter64, (1LL << 32) + 5, ""},
      {"1.3.6.1.2.1.31.1.1.1.6.2", kTqsCounter64, 0, ""},
      {"1.3.6.1.2.1.31.1.1.1.6.3", kTqsCounter64, -1, ""},
  };
  if (v2c) {
    v.push_back({"1.3.6.1.2.1.99.1.0", kTqsNoSuchObject, 0, ""});
    v.push_back({"1.3.6.1.2.1.99.2.0", kTqsNoSuchInstance, 0, ""});
    v.push_back({"1.3.6.1.2.1.99.3.0", kTqsEndOfMibView, 0, ""});
  }
  return v;
}

ITqsSnmpValue *our_value(const VarSpec &s) {
  switch (s.type) {
    case kTqsInteger:
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      return number(s.type, s.number);
    case kTqsCounter64:
      return make_counter64(static_cast<uint32_t>(static_cast<uint64_t>(s.number) >> 32), static_cast<uint32_t>(s.number));
    case kTqsObjectId:
      return make_oid(s.bytes.c_str());
    case kTqsOctetString:
    case kTqsOpaque:
    case kTqsIpAddress:
      return bytes_value(s.type, s.bytes);
    default:
      return tqs_create_value(s.type);
  }
}

// Our varbind against its description.
void expect_ours(ITqsVarBind *vb, const VarSpec &s) {
  ASSERT_NE(vb, nullptr) << s.name;
  EXPECT_EQ(text_of(vb->get_name()), s.name);
  ITqsSnmpValue *v = vb->get_value();
  ASSERT_NE(v, nullptr) << s.name;
  ASSERT_EQ(v->type(), s.type) << s.name;
  switch (s.type) {
    case kTqsInteger:
      EXPECT_EQ(v->get_int32(), s.number) << s.name;
      break;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      EXPECT_EQ(v->get_uint32(), static_cast<uint32_t>(s.number)) << s.name;
      break;
    case kTqsCounter64:
      EXPECT_EQ(v->get_high(), static_cast<uint32_t>(static_cast<uint64_t>(s.number) >> 32)) << s.name;
      EXPECT_EQ(v->get_low(), static_cast<uint32_t>(s.number)) << s.name;
      break;
    case kTqsObjectId:
      EXPECT_EQ(text_of(v), s.bytes);
      break;
    case kTqsOctetString:
    case kTqsOpaque:
    case kTqsIpAddress: {
      uint32_t n = 0;
      const uint8_t *b = v->get_bytes(&n);
      EXPECT_EQ(std::string(reinterpret_cast<const char *>(b ? b : reinterpret_cast<const uint8_t *>("")), n), s.bytes)
          << s.name;
      break;
    }
    default:
      break;
  }
}

// net-snmp's variable against its description.
void expect_theirs(const netsnmp_variable_list *var, const VarSpec &s) {
  ASSERT_NE(var, nullptr) << s.name;
  std::vector<uint32_t> want = sub_ids(s.name);
  ASSERT_EQ(var->name_length, want.size()) << s.name;
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(var->name[i], want[i]) << s.name;
  ASSERT_EQ(var->type, s.type) << s.name;
  switch (s.type) {
    case kTqsInteger:
      EXPECT_EQ(*var->val.integer, s.number) << s.name;
      break;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      EXPECT_EQ(static_cast<uint32_t>(*var->val.integer), static_cast<uint32_t>(s.number)) << s.name;
      break;
    case kTqsCounter64:
      EXPECT_EQ(var->val.counter64->high, static_cast<uint64_t>(s.number) >> 32) << s.name;
      EXPECT_EQ(var->val.counter64->low, static_cast<uint32_t>(s.number)) << s.name;
      break;
    case kTqsObjectId: {
      std::vector<uint32_t> value = sub_ids(s.bytes);
      ASSERT_EQ(var->val_len, value.size() * sizeof(oid)) << s.name;
      for (size_t i = 0; i < value.size(); ++i) EXPECT_EQ(var->val.objid[i], value[i]) << s.name;
      break;
    }
    case kTqsOctetString:
    case kTqsOpaque:
    case kTqsIpAddress:
      EXPECT_EQ(std::string(reinterpret_cast<const char *>(var->val.string), var->val_len), s.bytes) << s.name;
      break;
    default:
      break;
  }
}

struct MessageCase {
  int32_t version;
  int32_t type;
  int netsnmp_command;
};

const MessageCase kCases[] = {
    {kTqsSnmpV1, kTqsGetRequest, SNMP_MSG_GET},       {kTqsSnmpV1, kTqsGetNextRequest, SNMP_MSG_GETNEXT},
    {kTqsSnmpV1, kTqsResponse, SNMP_MSG_RESPONSE},    {kTqsSnmpV1, kTqsSetRequest, SNMP_MSG_SET},
    {kTqsSnmpV1, kTqsTrap, SNMP_MSG_TRAP},            {kTqsSnmpV2c, kTqsGetRequest, SNMP_MSG_GET},
    {kTqsSnmpV2c, kTqsGetNextRequest, SNMP_MSG_GETNEXT}, {kTqsSnmpV2c, kTqsResponse, SNMP_MSG_RESPONSE},
    {kTqsSnmpV2c, kTqsSetRequest, SNMP_MSG_SET},      {kTqsSnmpV2c, kTqsGetBulkRequest, SNMP_MSG_GETBULK},
    {kTqsSnmpV2c, kTqsInformRequest, SNMP_MSG_INFORM}, {kTqsSnmpV2c, kTqsReport, SNMP_MSG_REPORT},
};

long netsnmp_version(int32_t v) { return v == kTqsSnmpV1 ? SNMP_VERSION_1 : SNMP_VERSION_2c; }

TEST(CodecNetSnmp, OurMessagesParseToTheSameContent) {
  for (const MessageCase &c : kCases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " type " << c.type);
    std::vector<VarSpec> vars = every_value(c.version == kTqsSnmpV2c);
    auto p = pdu(c.type, 0x12345678);
    p->set_error_status(c.type == kTqsResponse ? 5 : (c.type == kTqsGetBulkRequest ? 2 : 0));
    p->set_error_index(c.type == kTqsResponse ? 3 : (c.type == kTqsGetBulkRequest ? 25 : 0));
    if (c.type == kTqsTrap) {
      p->set_trap_oid(make_oid("1.3.6.1.4.1.58114.8.0.77"));
      p->set_time_stamp(number(kTqsTimeTicks, 123456));
    }
    for (const VarSpec &s : vars) add(p.get(), s.name.c_str(), our_value(s));
    auto t = target(c.version, "pr1nt-community", 4096);
    int32_t rc = -1;
    Bytes msg = encode(p.get(), t.get(), &rc);
    ASSERT_EQ(rc, QMR_OK);

    netsnmp_peer::Session session(netsnmp_version(c.version), "ignored");
    netsnmp_pdu *theirs = netsnmp_peer::parse(session, msg.data(), msg.size());
    ASSERT_NE(theirs, nullptr);
    EXPECT_EQ(theirs->version, netsnmp_version(c.version));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(theirs->community), theirs->community_len), "pr1nt-community");
    EXPECT_EQ(theirs->command, c.netsnmp_command);
    if (c.type == kTqsTrap) {
      std::vector<uint32_t> enterprise = sub_ids("1.3.6.1.4.1.58114.8");
      ASSERT_EQ(theirs->enterprise_length, enterprise.size());
      for (size_t i = 0; i < enterprise.size(); ++i) EXPECT_EQ(theirs->enterprise[i], enterprise[i]);
      EXPECT_EQ(theirs->trap_type, 6);
      EXPECT_EQ(theirs->specific_type, 77);
      EXPECT_EQ(theirs->time, 123456u);
    } else {
      EXPECT_EQ(theirs->reqid, 0x12345678);
      EXPECT_EQ(theirs->errstat, p->get_error_status());
      EXPECT_EQ(theirs->errindex, p->get_error_index());
    }
    const netsnmp_variable_list *var = theirs->variables;
    for (const VarSpec &s : vars) {
      expect_theirs(var, s);
      if (var == nullptr) break;
      var = var->next_variable;
    }
    EXPECT_EQ(var, nullptr);
    snmp_free_pdu(theirs);
  }
}

netsnmp_pdu *their_pdu(const MessageCase &c, const std::vector<VarSpec> &vars) {
  netsnmp_pdu *p = snmp_pdu_create(c.netsnmp_command);
  if (c.type == kTqsTrap) {
    static const oid enterprise[] = {1, 3, 6, 1, 4, 1, 58114, 8};
    p->enterprise = static_cast<oid *>(malloc(sizeof(enterprise)));
    memcpy(p->enterprise, enterprise, sizeof(enterprise));
    p->enterprise_length = sizeof(enterprise) / sizeof(enterprise[0]);
    p->trap_type = 6;
    p->specific_type = 77;
    p->time = 123456;
    memset(p->agent_addr, 0, sizeof(p->agent_addr));
  } else {
    p->reqid = 0x7654321;
    p->errstat = c.type == kTqsResponse ? 2 : (c.type == kTqsGetBulkRequest ? 1 : 0);
    p->errindex = c.type == kTqsResponse ? 1 : (c.type == kTqsGetBulkRequest ? 30 : 0);
  }
  for (const VarSpec &s : vars) {
    std::vector<uint32_t> n32 = sub_ids(s.name);
    std::vector<oid> name(n32.begin(), n32.end());
    long integer = static_cast<long>(s.number);
    u_long unsigned_number = static_cast<uint32_t>(s.number);
    struct counter64 c64 = {static_cast<u_long>(static_cast<uint64_t>(s.number) >> 32),
                            static_cast<u_long>(static_cast<uint32_t>(s.number))};
    std::vector<oid> value_oid;
    const void *value = nullptr;
    size_t length = 0;
    switch (s.type) {
      case kTqsInteger:
        value = &integer;
        length = sizeof(integer);
        break;
      case kTqsCounter32:
      case kTqsGauge32:
      case kTqsTimeTicks:
        value = &unsigned_number;
        length = sizeof(unsigned_number);
        break;
      case kTqsCounter64:
        value = &c64;
        length = sizeof(c64);
        break;
      case kTqsObjectId: {
        std::vector<uint32_t> v = sub_ids(s.bytes);
        value_oid.assign(v.begin(), v.end());
        value = value_oid.data();
        length = value_oid.size() * sizeof(oid);
        break;
      }
      case kTqsOctetString:
      case kTqsOpaque:
      case kTqsIpAddress:
        value = s.bytes.data();
        length = s.bytes.size();
        break;
      default:
        break;
    }
    snmp_pdu_add_variable(p, name.data(), name.size(), static_cast<u_char>(s.type),
                          static_cast<const u_char *>(value), length);
  }
  return p;
}

TEST(CodecNetSnmp, TheirMessagesDecodeToTheSameContent) {
  for (const MessageCase &c : kCases) {
    if (c.type == kTqsReport) continue;  // net-snmp builds Reports only for SNMPv3
    SCOPED_TRACE(testing::Message() << "version " << c.version << " type " << c.type);
    std::vector<VarSpec> vars = every_value(c.version == kTqsSnmpV2c);
    netsnmp_peer::Session session(netsnmp_version(c.version), "their community");
    netsnmp_peer::Builder builder;
    netsnmp_pdu *theirs = their_pdu(c, vars);
    size_t length = 0;
    const u_char *msg = builder.build(session, theirs, &length);
    snmp_free_pdu(theirs);
    ASSERT_NE(msg, nullptr);

    // Into a request that holds other types and fewer varbinds, as a session would.
    auto p = pdu(kTqsGetRequest, 0);
    add(p.get(), "1.3.6.1.2.1.1.7.0", number(kTqsInteger, 1));
    add(p.get(), "1.3.6.1.2.1.1.7.1");
    auto t = target(kTqsVersionUnset, nullptr);
    ASSERT_EQ(decode(Bytes(msg, msg + length), p.get(), t.get()), QMR_OK);
    EXPECT_EQ(t->get_version(), c.version);
    EXPECT_STREQ(tqs_community_of(t.get())->get_community(), "their community");
    EXPECT_EQ(p->get_type(), c.type);
    if (c.type == kTqsTrap) {
      EXPECT_EQ(text_of(p->get_trap_oid()), "1.3.6.1.4.1.58114.8.0.77");
      ASSERT_NE(p->get_time_stamp(), nullptr);
      EXPECT_EQ(p->get_time_stamp()->get_uint32(), 123456u);
    } else {
      EXPECT_EQ(p->get_request_id(), 0x7654321);
      EXPECT_EQ(p->get_error_status(), c.type == kTqsResponse ? 2 : (c.type == kTqsGetBulkRequest ? 1 : 0));
      EXPECT_EQ(p->get_error_index(), c.type == kTqsResponse ? 1 : (c.type == kTqsGetBulkRequest ? 30 : 0));
    }
    ASSERT_EQ(p->get_var_bind_list()->count(), vars.size());
    for (uint32_t i = 0; i < vars.size(); ++i) expect_ours(var_bind_at(p.get(), i), vars[i]);
  }
}

// A bulk walk's request, byte for byte as net-snmp's snmp_build writes it:
// SNMPv2c, non-repeaters 0, the column OIDs with NULL values, across the
// length and integer forms that max-repetitions, request ids and column
// counts reach.
TEST(CodecNetSnmp, GetBulkRequestIsByteForByteTheirs) {
  const std::vector<std::string> printer_columns = {
      "1.3.6.1.2.1.43.8.2.1.2", "1.3.6.1.2.1.43.8.2.1.9.1.4294967295", "1.3.6.1.4.1.58114.8.59.6.1.1.4.200.1"};
  const std::string long_community(150, 'c');
  std::vector<std::string> many_columns;
  for (int i = 0; i < 12; ++i) many_columns.push_back("1.3.6.1.2.1.43.11.1.1." + std::to_string(i + 1) + ".1.300");
  const struct {
    int32_t request_id;
    int32_t repetitions;
    const char *community;
    std::vector<std::string> columns;
  } cases[] = {
      {0, 1, "public", {"1.3.6.1.2.1.25.2.3.1.1"}},
      {127, 127, "public", printer_columns},
      {128, 128, "", printer_columns},
      {-1, 48, "status-trays", many_columns},
      {0x12345678, 65535, long_community.c_str(), many_columns},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "request id " << c.request_id << " repetitions " << c.repetitions);
    auto p = pdu(kTqsGetBulkRequest, c.request_id);
    p->set_error_status(0);
    p->set_error_index(c.repetitions);
    for (const std::string &column : c.columns) add(p.get(), column.c_str());
    auto t = target(kTqsSnmpV2c, c.community, 4096);
    int32_t rc = -1;
    Bytes ours = encode(p.get(), t.get(), &rc);
    ASSERT_EQ(rc, QMR_OK);

    netsnmp_peer::Session session(SNMP_VERSION_2c, c.community);
    netsnmp_pdu *theirs = snmp_pdu_create(SNMP_MSG_GETBULK);
    theirs->reqid = c.request_id;
    theirs->non_repeaters = 0;
    theirs->max_repetitions = c.repetitions;
    for (const std::string &column : c.columns) {
      std::vector<uint32_t> n32 = sub_ids(column);
      std::vector<oid> name(n32.begin(), n32.end());
      snmp_add_null_var(theirs, name.data(), name.size());
    }
    netsnmp_peer::Builder builder;
    size_t length = 0;
    const u_char *msg = builder.build(session, theirs, &length);
    snmp_free_pdu(theirs);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(ours, Bytes(msg, msg + length));
  }
}

}  // namespace
