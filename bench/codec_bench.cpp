// Our BER codec beside net-snmp's on a typical printer-table exchange:
// (a) a v1 GetNextRequest, community "public", 15 varbinds
//     1.3.6.1.2.1.43.8.2.1.N.1.1 (N = 2..16) with NULL values;
// (b) its GetResponse: 10 INTEGERs, 4 OCTET STRINGs of 20 to 60 bytes and
//     one OBJECT IDENTIFIER of 12 sub-identifiers.
// Pairs NAME/ours and NAME/netsnmp are compared by bench/ratios.py.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "support/codec_netsnmp_peer.h"
#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_value.h"
#include "snmp/translator.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr int kFirstColumn = 2;
constexpr int kLastColumn = 16;
constexpr int kIntegerColumns = 10;
constexpr int32_t kRequestId = 0x1234;
const uint32_t kOidValue[] = {1, 3, 6, 1, 4, 1, 58114, 8, 1, 2, 3, 4};  // 12 sub-identifiers

std::string column_name(int n) { return "1.3.6.1.2.1.43.8.2.1." + std::to_string(n) + ".1.1"; }

// The response's value for column n; lengths 20, 33, 46, 60 for the strings.
ITqsSnmpValue *response_value(int n) {
  int k = n - kFirstColumn;
  if (k < kIntegerColumns) return tqs_create_number_value(kTqsInteger, 1000 * k + 7);
  if (n < kLastColumn) {
    ITqsSnmpValue *v = tqs_create_value(kTqsOctetString);
    std::string s(static_cast<size_t>(20 + (k - kIntegerColumns) * 40 / 3), 'a' + static_cast<char>(k));
    v->set_bytes(reinterpret_cast<const uint8_t *>(s.data()), static_cast<uint32_t>(s.size()));
    return v;
  }
  ITqsOid *o = tqs_create_oid();
  o->set_sub_identifiers(kOidValue, sizeof(kOidValue) / sizeof(kOidValue[0]));
  return o;
}

ITqsPdu *make_pdu(bool response) {
  ITqsPdu *p = tqs_create_pdu();
  p->set_type(response ? kTqsResponse : kTqsGetNextRequest);
  p->set_request_id(kRequestId);
  p->set_error_status(0);
  p->set_error_index(0);
  for (int n = kFirstColumn; n <= kLastColumn; ++n) {
    p->append_new_var_bind(tqs_create_oid_from_text(column_name(n).c_str()), response ? response_value(n) : nullptr);
  }
  return p;
}

ITqsSnmpTarget *make_target() {
  CTqsCommunityTarget *t = tqs_create_community_target();
  t->set_version(kTqsSnmpV1);
  t->set_community("public");
  t->set_max_message_size(1400);
  return t;
}

netsnmp_pdu *make_their_pdu(bool response) {
  netsnmp_pdu *p = snmp_pdu_create(response ? SNMP_MSG_RESPONSE : SNMP_MSG_GETNEXT);
  p->reqid = kRequestId;
  for (int n = kFirstColumn; n <= kLastColumn; ++n) {
    oid name[] = {1, 3, 6, 1, 2, 1, 43, 8, 2, 1, static_cast<oid>(n), 1, 1};
    size_t name_length = sizeof(name) / sizeof(name[0]);
    int k = n - kFirstColumn;
    if (!response) {
      snmp_add_null_var(p, name, name_length);
    } else if (k < kIntegerColumns) {
      long v = 1000 * k + 7;
      snmp_pdu_add_variable(p, name, name_length, ASN_INTEGER, &v, sizeof(v));
    } else if (n < kLastColumn) {
      std::string s(static_cast<size_t>(20 + (k - kIntegerColumns) * 40 / 3), 'a' + static_cast<char>(k));
      snmp_pdu_add_variable(p, name, name_length, ASN_OCTET_STR, s.data(), s.size());
    } else {
      oid v[12];
      for (size_t i = 0; i < 12; ++i) v[i] = kOidValue[i];
      snmp_pdu_add_variable(p, name, name_length, ASN_OBJECT_ID, v, sizeof(v));
    }
  }
  return p;
}

std::vector<uint8_t> our_message(bool response) {
  ITqsPdu *p = make_pdu(response);
  ITqsSnmpTarget *t = make_target();
  CTqsRawPacket raw;
  std::vector<uint8_t> out;
  if (tqs_translator()->encode(p, t, &raw) == QMR_OK) out.assign(raw.start(), raw.start() + raw.message_length());
  p->release();
  t->release();
  return out;
}

void encode_ours(benchmark::State &state) {
  ITqsPdu *p = make_pdu(false);
  ITqsSnmpTarget *t = make_target();
  CTqsRawPacket raw;
  ITqsTranslator *front = tqs_translator();
  for (auto _ : state) {
    if (front->encode(p, t, &raw) != QMR_OK) state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(raw.start());
  }
  p->release();
  t->release();
}

void encode_netsnmp(benchmark::State &state) {
  netsnmp_peer::Session session(SNMP_VERSION_1, "public");
  netsnmp_peer::Builder builder;
  netsnmp_pdu *p = make_their_pdu(false);
  size_t length = 0;
  for (auto _ : state) {
    if (builder.build(session, p, &length) == nullptr) state.SkipWithError("snmp_build failed");
    benchmark::DoNotOptimize(length);
  }
  snmp_free_pdu(p);
}

// The session's path: the response lands in the request's own PDU, whose
// varbinds, names and values are reused once their types match.
void decode_ours(benchmark::State &state) {
  std::vector<uint8_t> msg = our_message(true);
  ITqsPdu *p = make_pdu(false);
  ITqsSnmpTarget *t = make_target();
  CTqsRawPacket raw;
  raw.attach(msg.data(), msg.size(), false);
  ITqsTranslator *front = tqs_translator();
  for (auto _ : state) {
    if (front->decode(&raw, p, t, kTqsCommunityKind) != QMR_OK) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(p);
  }
  p->release();
  t->release();
}

// Every object made anew, as net-snmp does.
void decode_fresh_ours(benchmark::State &state) {
  std::vector<uint8_t> msg = our_message(true);
  CTqsRawPacket raw;
  raw.attach(msg.data(), msg.size(), false);
  ITqsTranslator *front = tqs_translator();
  for (auto _ : state) {
    ITqsPdu *p = tqs_create_pdu();
    ITqsSnmpTarget *t = tqs_create_community_target();
    if (front->decode(&raw, p, t, kTqsCommunityKind) != QMR_OK) state.SkipWithError("decode failed");
    p->release();
    t->release();
  }
}

void decode_netsnmp(benchmark::State &state) {
  netsnmp_peer::Session session(SNMP_VERSION_1, "public");
  std::vector<uint8_t> msg = our_message(true);
  std::vector<uint8_t> work = msg;
  for (auto _ : state) {
    netsnmp_pdu *p = static_cast<netsnmp_pdu *>(calloc(1, sizeof(netsnmp_pdu)));
    if (netsnmp_peer::parse_in_place(session, p, work.data(), work.size()) != 0) state.SkipWithError("snmp_parse failed");
    snmp_free_pdu(p);
  }
  // A v1 message is parsed without writing into it, so no fresh copy per
  // iteration is timed; the check keeps that assumption honest.
  if (work != msg) state.SkipWithError("snmp_parse changed its input");
}

}  // namespace

BENCHMARK(encode_ours)->Name("Encode/ours");
BENCHMARK(encode_netsnmp)->Name("Encode/netsnmp");
BENCHMARK(decode_ours)->Name("Decode/ours");
BENCHMARK(decode_netsnmp)->Name("Decode/netsnmp");
BENCHMARK(decode_fresh_ours)->Name("DecodeFresh/ours");
BENCHMARK(decode_netsnmp)->Name("DecodeFresh/netsnmp");

BENCHMARK_MAIN();
