// Whole-message encoding and decoding through the codec front.
#include <gtest/gtest.h>

#include <algorithm>

#include "codec_support.h"
#include "snmp/snmp_packet.h"
#include "snmp/trans_stream.h"

namespace {

using namespace codec_test;

const Bytes kGetNextSysObjectId = {0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',
                                   0xA1, 0x19, 0x02, 0x01, 0x4D, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0E,
                                   0x30, 0x0C, 0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x02, 0x00, 0x05, 0x00};

bool contains(const Bytes &hay, const Bytes &needle) {
  return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

TEST(CodecMessage, EncodesRequestByteForByte) {
  auto p = pdu(kTqsGetNextRequest, 77);
  add(p.get(), "1.3.6.1.2.1.1.2.0");
  auto t = target(kTqsSnmpV1, "public");
  int32_t rc = -1;
  uint32_t count = 0;
  EXPECT_EQ(encode(p.get(), t.get(), &rc, &count), kGetNextSysObjectId);
  EXPECT_EQ(rc, QMR_OK);
  EXPECT_EQ(count, 1u);

  // An unset version goes out as INTEGER -1; an absent community as "".
  auto bare = target(kTqsVersionUnset, nullptr);
  Bytes msg = encode(p.get(), bare.get(), &rc);
  ASSERT_EQ(rc, QMR_OK);
  EXPECT_EQ(Bytes(msg.begin() + 2, msg.begin() + 7), (Bytes{0x02, 0x01, 0xFF, 0x04, 0x00}));
}

TEST(CodecMessage, EncodeRefusals) {
  auto t = target(kTqsSnmpV1, "public");
  int32_t rc = 0;
  auto one = pdu(kTqsGetRequest, 1);
  add(one.get(), "1");
  encode(one.get(), t.get(), &rc);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);

  auto udp = pdu(kTqsSetRequest, 1);
  add(udp.get(), "1.3.6.1", tqs_create_value(kTqsUdpAddress));
  encode(udp.get(), t.get(), &rc);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);

  auto untyped = pdu(kTqsPduNone, 1);
  encode(untyped.get(), t.get(), &rc);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);

  auto v2trap = pdu(kTqsTrap, 1);
  v2trap->set_trap_oid(make_oid("1.3.6.1.4.1.99.0.7"));
  v2trap->set_time_stamp(number(kTqsTimeTicks, 5));
  auto v2 = target(kTqsSnmpV2c, "public");
  encode(v2trap.get(), v2.get(), &rc);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);

  auto no_stamp = pdu(kTqsTrap, 1);
  no_stamp->set_trap_oid(make_oid("1.3.6.1.4.1.99.0.7"));
  encode(no_stamp.get(), t.get(), &rc);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  no_stamp->set_time_stamp(number(kTqsTimeTicks, 5));
  no_stamp->set_trap_oid(make_oid("1.3.6.1.4.1.99.1.7"));  // next-to-last must be 0
  encode(no_stamp.get(), t.get(), &rc);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
}

TEST(CodecMessage, VersionOneTrapsRoundTrip) {
  struct Case {
    const char *trap;
    Bytes header;  // enterprise .. specific-trap as on the wire
  } cases[] = {
      {"1.3.6.1.4.1.99.0.7",
       {0x06, 0x06, 0x2B, 0x06, 0x01, 0x04, 0x01, 0x63, 0x40, 0x04, 0, 0, 0, 0, 0x02, 0x01, 0x06, 0x02, 0x01, 0x07}},
      {"1.3.6.1.6.3.1.1.5.0.3",
       {0x06, 0x08, 0x2B, 0x06, 0x01, 0x06, 0x03, 0x01, 0x01, 0x05, 0x40, 0x04, 0, 0, 0, 0, 0x02, 0x01, 0x02, 0x02,
        0x01, 0x00}},
  };
  auto t = target(kTqsSnmpV1, "public");
  for (const Case &c : cases) {
    auto p = pdu(kTqsTrap, 0);
    p->set_trap_oid(make_oid(c.trap));
    p->set_time_stamp(number(kTqsTimeTicks, 100));
    add(p.get(), "1.3.6.1.2.1.1.3.0", number(kTqsTimeTicks, 100));
    int32_t rc = -1;
    Bytes msg = encode(p.get(), t.get(), &rc);
    ASSERT_EQ(rc, QMR_OK) << c.trap;
    EXPECT_TRUE(contains(msg, c.header)) << c.trap;
    EXPECT_EQ(msg[13], 0xA4);

    auto back = pdu(kTqsGetRequest, 0);
    auto bt = target(kTqsVersionUnset, nullptr);
    ASSERT_EQ(decode(msg, back.get(), bt.get()), QMR_OK) << c.trap;
    EXPECT_EQ(back->get_type(), kTqsTrap);
    EXPECT_EQ(text_of(back->get_trap_oid()), c.trap);
    EXPECT_EQ(back->get_time_stamp()->get_uint32(), 100u);
    EXPECT_TRUE(back->equals(p.get()));

    // The same message tagged 0xA7 is still a version-1 trap; in 2c it is refused.
    msg[13] = 0xA7;
    EXPECT_EQ(decode(msg, back.get(), bt.get()), QMR_OK);
    EXPECT_EQ(text_of(back->get_trap_oid()), c.trap);
    msg[4] = kTqsSnmpV2c;
    EXPECT_EQ(decode(msg, back.get(), bt.get()), QMR_E_NOT_SUPPORTED);
    msg[13] = 0xA4;
    EXPECT_EQ(decode(msg, back.get(), bt.get()), QMR_E_NOT_SUPPORTED);
  }
}

TEST(CodecMessage, DecodeRefusesBadEnvelopes) {
  auto p = pdu(kTqsGetRequest, 0);
  auto t = target(kTqsVersionUnset, nullptr);
  Bytes v3 = kGetNextSysObjectId;
  v3[4] = 3;
  EXPECT_EQ(decode(v3, p.get(), t.get()), QMR_E_DECODE);
  EXPECT_EQ(t->get_version(), kTqsVersionUnset);

  Bytes garbage = kGetNextSysObjectId;
  garbage.insert(garbage.end(), {0xDE, 0xAD, 0xBE});
  ASSERT_EQ(decode(garbage, p.get(), t.get()), QMR_OK);
  EXPECT_EQ(p->get_request_id(), 77);
  EXPECT_EQ(text_of(var_bind_at(p.get(), 0)->get_name()), "1.3.6.1.2.1.1.2.0");
  EXPECT_STREQ(tqs_community_of(t.get())->get_community(), "public");

  for (size_t n = 0; n < kGetNextSysObjectId.size(); ++n) {
    Bytes prefix(kGetNextSysObjectId.begin(), kGetNextSysObjectId.begin() + n);
    EXPECT_EQ(decode(prefix, p.get(), t.get()), QMR_E_DECODE) << n;
  }

  Bytes indefinite = kGetNextSysObjectId;
  indefinite[1] = 0x80;
  EXPECT_EQ(decode(indefinite, p.get(), t.get()), QMR_E_DECODE);

  Bytes bad_status = kGetNextSysObjectId;
  bad_status[20] = 19;  // error-status beyond inconsistentName
  EXPECT_EQ(decode(bad_status, p.get(), t.get()), QMR_E_DECODE);

  Bytes ipv6_tag = kGetNextSysObjectId;
  ipv6_tag[38] = 0x48;
  EXPECT_EQ(decode(ipv6_tag, p.get(), t.get()), QMR_E_DECODE);

  Bytes vb_length = kGetNextSysObjectId;
  vb_length[27] = 0x0B;  // varbind shorter than its content; list length still matches
  EXPECT_EQ(decode(vb_length, p.get(), t.get()), QMR_E_DECODE);

  Bytes pdu_tag = kGetNextSysObjectId;
  pdu_tag[13] = 0xA9;
  EXPECT_EQ(decode(pdu_tag, p.get(), t.get()), QMR_E_DECODE);
}

// A response decoded into its request's PDU reuses what matches.
TEST(CodecMessage, DecodeReusesAndResizesTheVarbindList) {
  auto t = target(kTqsSnmpV2c, "public");
  auto response = pdu(kTqsResponse, 9);
  add(response.get(), "1.3.6.1.2.1.1.1.0", bytes_value(kTqsOctetString, "printer"));
  add(response.get(), "1.3.6.1.2.1.1.3.0", number(kTqsTimeTicks, 4242));
  add(response.get(), "1.3.6.1.2.1.1.7.0", number(kTqsInteger, 72));
  int32_t rc = -1;
  Bytes three = encode(response.get(), t.get(), &rc);
  ASSERT_EQ(rc, QMR_OK);

  auto request = pdu(kTqsGetRequest, 9);
  add(request.get(), "1.3.6.1.2.1.1.1.0", bytes_value(kTqsOctetString, "old"));
  add(request.get(), "1.3.6.1.2.1.1.3.0");
  ITqsSnmpValue *kept = var_bind_at(request.get(), 0)->get_value();
  ITqsOid *kept_name = var_bind_at(request.get(), 1)->get_name();
  auto rt = target(kTqsVersionUnset, nullptr);
  ASSERT_EQ(decode(three, request.get(), rt.get()), QMR_OK);
  ASSERT_EQ(request->get_var_bind_list()->count(), 3u);
  EXPECT_EQ(var_bind_at(request.get(), 0)->get_value(), kept);
  EXPECT_EQ(var_bind_at(request.get(), 1)->get_name(), kept_name);
  EXPECT_EQ(var_bind_at(request.get(), 1)->get_value()->type(), kTqsTimeTicks);
  EXPECT_EQ(text_of(kept), "printer");
  EXPECT_TRUE(request->equals(response.get()));
  EXPECT_EQ(rt->get_version(), kTqsSnmpV2c);

  auto one = pdu(kTqsResponse, 10);
  add(one.get(), "1.3.6.1.2.1.1.5.0", bytes_value(kTqsOctetString, "name"));
  Bytes single = encode(one.get(), t.get(), &rc);
  ASSERT_EQ(decode(single, request.get(), rt.get()), QMR_OK);
  EXPECT_EQ(request->get_var_bind_list()->count(), 1u);
  EXPECT_EQ(request->get_request_id(), 10);
  EXPECT_EQ(var_bind_at(request.get(), 0)->get_value(), kept);
  EXPECT_EQ(text_of(var_bind_at(request.get(), 0)->get_name()), "1.3.6.1.2.1.1.5.0");
}

TEST(CodecMessage, ErrorStatusMarksTheVarbinds) {
  auto t = target(kTqsSnmpV1, "public");
  auto response = pdu(kTqsResponse, 3);
  response->set_error_status(2);
  response->set_error_index(2);
  for (const char *n : {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.1.3.0"}) add(response.get(), n);
  int32_t rc = -1;
  Bytes msg = encode(response.get(), t.get(), &rc);
  ASSERT_EQ(rc, QMR_OK);
  auto p = pdu(kTqsGetRequest, 0);
  ASSERT_EQ(decode(msg, p.get(), t.get()), QMR_OK);
  EXPECT_EQ(var_bind_at(p.get(), 0)->get_status(), kTqsStatusNotProcessed);
  EXPECT_EQ(var_bind_at(p.get(), 1)->get_status(), 2);
  EXPECT_EQ(var_bind_at(p.get(), 2)->get_status(), kTqsStatusNotProcessed);

  int32_t status = -1, request_id = -1;
  CTqsRawPacket raw;
  raw.attach(msg.data(), msg.size(), false);
  EXPECT_EQ(tqs_translator()->peek(&raw, &status, &request_id, kTqsCommunityKind), QMR_OK);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(request_id, 3);
  EXPECT_EQ(tqs_translator()->peek(&raw, &status, nullptr, kTqsCommunityKind), QMR_E_INVALID_ARG);

  response->set_error_status(0);
  msg = encode(response.get(), t.get(), &rc);
  ASSERT_EQ(decode(msg, p.get(), t.get()), QMR_OK);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(var_bind_at(p.get(), i)->get_status(), 0);
}

TEST(CodecMessage, OverflowReportsHowManyVarbindsFitted) {
  // Each varbind below is 14 bytes; 50 bytes hold three of them but not four.
  auto t = target(kTqsSnmpV1, "public", 50);
  auto p = pdu(kTqsGetRequest, 1);
  for (int i = 0; i < 10; ++i) add(p.get(), ("1.3.6.1.2.1.1." + std::to_string(i) + ".0").c_str());
  int32_t rc = 0;
  uint32_t count = 99;
  EXPECT_TRUE(encode(p.get(), t.get(), &rc, &count).empty());
  EXPECT_EQ(rc, QMR_E_MESSAGE_SIZE);
  EXPECT_EQ(count, 3u);

  // A size that fits exactly works; one byte less does not.
  auto big = target(kTqsSnmpV1, "public", 1400);
  size_t exact = encode(p.get(), big.get(), &rc).size();
  auto fit = target(kTqsSnmpV1, "public", static_cast<int64_t>(exact));
  EXPECT_EQ(encode(p.get(), fit.get(), &rc).size(), exact);
  auto tight = target(kTqsSnmpV1, "public", static_cast<int64_t>(exact - 1));
  encode(p.get(), tight.get(), &rc, &count);
  EXPECT_EQ(rc, QMR_E_MESSAGE_SIZE);
  EXPECT_EQ(count, 10u);  // every varbind fitted; the header did not
}

TEST(CodecFront, SelectionAndArguments) {
  ITqsTranslator *front = tqs_translator();
  ASSERT_NE(front, nullptr);
  EXPECT_STREQ(front->name(), "TransStream");  // registered and selected at start-up
  EXPECT_EQ(front->select("TransStreamX"), QMR_E_INVALID_ARG);
  EXPECT_STREQ(front->name(), "TransStream");

  auto p = pdu(kTqsGetRequest, 1);
  auto t = target(kTqsSnmpV1, "public");
  CTqsRawPacket raw;
  int32_t status = 0, request_id = 0;
  EXPECT_EQ(front->encode(nullptr, t.get(), &raw), QMR_E_INVALID_ARG);
  EXPECT_EQ(front->encode(p.get(), nullptr, &raw), QMR_E_INVALID_ARG);
  EXPECT_EQ(front->decode(nullptr, p.get(), t.get(), 0), QMR_E_INVALID_ARG);
  EXPECT_EQ(front->decode_packet(&raw, nullptr, 0), QMR_E_INVALID_ARG);

  ASSERT_EQ(front->select(nullptr), QMR_OK);
  EXPECT_STREQ(front->name(), "");
  EXPECT_EQ(front->encode(p.get(), t.get(), &raw), QMR_E_NO_DEVICE);
  EXPECT_EQ(front->encode_packet(nullptr, &raw), QMR_E_NO_DEVICE);
  EXPECT_EQ(front->decode(&raw, p.get(), t.get(), 0), QMR_E_NO_DEVICE);
  EXPECT_EQ(front->decode_packet(&raw, nullptr, 0), QMR_E_NO_DEVICE);
  EXPECT_EQ(front->peek(&raw, &status, &request_id, 0), QMR_E_NO_DEVICE);
  ASSERT_EQ(front->select("TransStream"), QMR_OK);
  EXPECT_EQ(front->register_codec(tqs_trans_stream_codec()), QMR_E_INVALID_ARG);  // name taken
}

TEST(CodecFront, PacketDecodeCreatesWhatIsMissing) {
  CTqsRawPacket raw;
  raw.attach(const_cast<uint8_t *>(kGetNextSysObjectId.data()), kGetNextSysObjectId.size(), false);
  Owned<ITqsSnmpPacket> packet(tqs_create_packet());
  EXPECT_EQ(tqs_translator()->decode_packet(&raw, packet.get(), kTqsTranslateNone), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqs_translator()->decode_packet(&raw, packet.get(), kTqsUserKind), QMR_E_INVALID_ARG);
  ASSERT_EQ(tqs_translator()->decode_packet(&raw, packet.get(), kTqsCommunityKind), QMR_OK);
  ASSERT_NE(packet->get_pdu(), nullptr);
  EXPECT_EQ(packet->get_pdu()->get_type(), kTqsGetNextRequest);
  EXPECT_STREQ(tqs_community_of(packet->get_target())->get_community(), "public");

  packet->get_target()->set_max_message_size(1400);
  CTqsRawPacket out;
  ASSERT_EQ(tqs_translator()->encode_packet(packet.get(), &out), QMR_OK);
  EXPECT_EQ(Bytes(out.start(), out.start() + out.message_length()), kGetNextSysObjectId);
}

}  // namespace
