// The value factory, text forms, copies and the octet buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/octet_buffer.h"
#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"
#include "snmp/value_visitor.h"
#include "snmp_test_util.h"

namespace {

const uint32_t kAllTypes[] = {kTqsInteger,     kTqsOctetString,  kTqsNull,          kTqsObjectId,
                              kTqsIpAddress,   kTqsCounter32,    kTqsGauge32,       kTqsTimeTicks,
                              kTqsOpaque,      kTqsCounter64,    kTqsIpv6Address,   kTqsNoSuchObject,
                              kTqsNoSuchInstance, kTqsEndOfMibView, kTqsUdpAddress, kTqsIpxAddress};

TEST(ValueFactory, AcceptsExactlyTheKnownCodes) {
  for (uint32_t type : kAllTypes) {
    int32_t rc = -1;
    ValuePtr value(tqs_create_value(type, &rc));
    ASSERT_TRUE(value) << type;
    EXPECT_EQ(rc, QMR_OK);
    EXPECT_EQ(value->type(), type);
  }
  for (uint32_t type : {0u, 1u, 3u, 0x45u, 0x47u, 0x83u, 0xFF01u, 0xFF04u}) {
    int32_t rc = 0;
    EXPECT_EQ(tqs_create_value(type, &rc), nullptr) << type;
    EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  }
}

TEST(ValueFactory, NewAddressesAreZeroed) {
  ValuePtr ipv6 = make_value(kTqsIpv6Address);
  uint32_t n = 0;
  const uint8_t *bytes = ipv6->get_bytes(&n);
  ASSERT_EQ(n, 16u);
  for (uint32_t i = 0; i < n; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(text_of(ipv6.get()), "0:0:0:0:0:0:0:0");
  EXPECT_EQ(text_of(make_value(kTqsIpAddress).get()), "0.0.0.0");
  EXPECT_EQ(text_of(make_value(kTqsUdpAddress).get()), "0.0.0.0/0");
  EXPECT_EQ(text_of(make_value(kTqsIpxAddress).get()), "00000000:000000000000/0");
}

TEST(ValueFactory, CreationHelpers) {
  int32_t rc = -1;
  ValuePtr integer(tqs_create_number_value(kTqsInteger, -5, &rc));
  ASSERT_TRUE(integer);
  EXPECT_EQ(integer->get_int32(), -5);
  ValuePtr gauge(tqs_create_number_value(kTqsGauge32, 4294967295LL, &rc));
  ASSERT_TRUE(gauge);
  EXPECT_EQ(gauge->get_uint32(), 4294967295u);
  EXPECT_EQ(tqs_create_number_value(kTqsInteger, 2147483648LL, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  EXPECT_EQ(tqs_create_number_value(kTqsCounter32, -1, &rc), nullptr);
  EXPECT_EQ(tqs_create_number_value(kTqsOctetString, 1, &rc), nullptr);

  ValuePtr text(tqs_create_value_from_text("10.0.0.1", kTqsIpAddress, &rc));
  ASSERT_TRUE(text);
  EXPECT_EQ(text_of(text.get()), "10.0.0.1");
  EXPECT_EQ(tqs_create_value_from_text(nullptr, kTqsOctetString, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  EXPECT_EQ(tqs_create_value_from_text("x", kTqsInteger, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  EXPECT_EQ(tqs_create_value_from_text("", kTqsNull, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  EXPECT_EQ(tqs_create_value_from_text("1", 0x45, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
}

TEST(ValueText, Numbers) {
  ValuePtr integer = make_value(kTqsInteger);
  EXPECT_EQ(integer->set_text("-2147483648"), QMR_OK);
  EXPECT_EQ(text_of(integer.get()), "-2147483648");
  EXPECT_EQ(integer->set_text("2147483648"), QMR_E_INVALID_ARG);
  EXPECT_EQ(integer->set_text("12abc"), QMR_E_INVALID_ARG);
  EXPECT_EQ(integer->set_text(""), QMR_E_INVALID_ARG);
  EXPECT_EQ(integer->get_int32(), INT32_MIN);

  for (uint32_t type : {kTqsCounter32, kTqsGauge32, kTqsTimeTicks}) {
    ValuePtr value = make_value(type);
    EXPECT_EQ(value->set_text("4294967295"), QMR_OK);
    EXPECT_EQ(text_of(value.get()), "4294967295");
    EXPECT_EQ(value->set_text("4294967296"), QMR_E_INVALID_ARG);
    EXPECT_EQ(value->set_text("-1"), QMR_E_INVALID_ARG);
    EXPECT_EQ(value->get_uint32(), 4294967295u);
  }
}

TEST(ValueText, Counter64IsTrueDecimalBothWays) {
  ValuePtr counter = make_value(kTqsCounter64);
  ASSERT_EQ(counter->set_text("18446744073709551615"), QMR_OK);
  EXPECT_EQ(counter->get_high(), 0xFFFFFFFFu);
  EXPECT_EQ(counter->get_low(), 0xFFFFFFFFu);
  ASSERT_EQ(counter->set_high(1), QMR_OK);
  ASSERT_EQ(counter->set_low(2), QMR_OK);
  EXPECT_EQ(text_of(counter.get()), "4294967298");
  EXPECT_EQ(counter->set_text("18446744073709551616"), QMR_E_INVALID_ARG);
  EXPECT_EQ(counter->set_text("12a"), QMR_E_INVALID_ARG);
  ASSERT_EQ(counter->set_uint32(7), QMR_OK);
  EXPECT_EQ(counter->get_high(), 0u);
  EXPECT_EQ(text_of(counter.get()), "7");
}

TEST(ValueText, Addresses) {
  ValuePtr ip = make_value(kTqsIpAddress);
  EXPECT_EQ(ip->set_text("192.168.1.256"), QMR_E_INVALID_ARG);
  for (const char *bad : {"1.2.3", "1.2.3.4.5", "1.2.3.4 ", "-1.2.3.4", "a.b.c.d", ""}) {
    EXPECT_EQ(ip->set_text(bad), QMR_E_INVALID_ARG) << bad;
  }
  ASSERT_EQ(ip->set_text("10.0.0.1"), QMR_OK);
  EXPECT_EQ(text_of(ip.get()), "10.0.0.1");

  ValuePtr ipv6 = make_value(kTqsIpv6Address);
  ASSERT_EQ(ipv6->set_text("fe80:0:0:0:1:2:abcd:FFFF"), QMR_OK);
  EXPECT_EQ(text_of(ipv6.get()), "fe80:0:0:0:1:2:abcd:ffff");
  uint32_t n = 0;
  const uint8_t *bytes = ipv6->get_bytes(&n);
  EXPECT_EQ(bytes[0], 0xfe);
  EXPECT_EQ(bytes[1], 0x80);
  for (const char *bad : {"fe80::1", "1:2:3:4:5:6:7", "1:2:3:4:5:6:7:8:9", "10000:0:0:0:0:0:0:0"}) {
    EXPECT_EQ(ipv6->set_text(bad), QMR_E_INVALID_ARG) << bad;
  }

  ValuePtr udp = make_value(kTqsUdpAddress);
  ASSERT_EQ(udp->set_text("10.1.2.3/161"), QMR_OK);
  EXPECT_EQ(text_of(udp.get()), "10.1.2.3/161");
  EXPECT_EQ(udp->get_port(), 161);
  EXPECT_EQ(udp->set_text("10.1.2.3/65536"), QMR_E_INVALID_ARG);
  EXPECT_EQ(udp->set_text("10.1.2.3"), QMR_E_INVALID_ARG);
  ASSERT_EQ(udp->set_port(65535), QMR_OK);
  EXPECT_EQ(text_of(udp.get()), "10.1.2.3/65535");

  ValuePtr ipx = make_value(kTqsIpxAddress);
  ASSERT_EQ(ipx->set_text("0000abcd:00a0b1c2d3e4/8f0f"), QMR_OK);
  EXPECT_EQ(text_of(ipx.get()), "0000abcd:00a0b1c2d3e4/8f0f");
  EXPECT_EQ(ipx->get_port(), 0x8f0f);
  EXPECT_EQ(ipx->set_text("0000abcd:00a0b1c2d3/8f0f"), QMR_E_INVALID_ARG);
  EXPECT_EQ(ipx->set_text("0000abcd:00a0b1c2d3e4/10000"), QMR_E_INVALID_ARG);
  EXPECT_EQ(ipx->set_text("0000abcd:00a0b1c2d3e4"), QMR_E_INVALID_ARG);
}

TEST(ValueText, OctetStringsTakeRawBytes) {
  for (uint32_t type : {kTqsOctetString, kTqsOpaque}) {
    ValuePtr value = make_value(type);
    ASSERT_EQ(value->set_text("hello"), QMR_OK);
    EXPECT_EQ(value->length(), 5u);
    EXPECT_EQ(text_of(value.get()), "hello");
    const uint8_t raw[] = {0x00, 0xff, 0x41};
    ASSERT_EQ(value->set_bytes(raw, 3), QMR_OK);
    TqcOwned<ITqsOctetBuffer> bytes(value->to_bytes());
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->equals(raw, 3));
    EXPECT_EQ(value->sub_identifier(1), 0xffu);
    int32_t rc = 0;
    EXPECT_EQ(value->sub_identifier(3, &rc), ~0u);
    EXPECT_EQ(rc, QMR_E_INVALID_ARG);
    ASSERT_EQ(value->set_text(nullptr), QMR_OK);
    EXPECT_EQ(value->length(), 0u);
    // Growing far past the first capacity step keeps every byte.
    std::string big(1000, 'x');
    big[999] = 'y';
    ASSERT_EQ(value->set_text(big.c_str()), QMR_OK);
    EXPECT_EQ(text_of(value.get()), big);
  }
}

TEST(ValueCopy, CloneAssignEquals) {
  ValuePtr a(tqs_create_value_from_text("abc", kTqsOctetString));
  ValuePtr b(a->clone());
  ASSERT_TRUE(b);
  EXPECT_TRUE(a->equals(b.get()));
  ASSERT_EQ(b->set_text("abd"), QMR_OK);
  EXPECT_FALSE(a->equals(b.get()));
  EXPECT_EQ(text_of(a.get()), "abc");

  ValuePtr opaque(tqs_create_value_from_text("abc", kTqsOpaque));
  EXPECT_FALSE(a->equals(opaque.get()));
  EXPECT_EQ(a->assign(opaque.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(a->assign(nullptr), QMR_E_INVALID_ARG);
  ValuePtr opaque_copy(opaque->clone());
  EXPECT_EQ(opaque_copy->type(), kTqsOpaque);

  for (uint32_t type : kAllTypes) {
    ValuePtr value = make_value(type);
    ValuePtr copy(value->clone());
    ASSERT_TRUE(copy) << type;
    EXPECT_TRUE(copy->equals(value.get())) << type;
    EXPECT_EQ(copy->assign(value.get()), QMR_OK) << type;
    EXPECT_EQ(value->clear(), QMR_OK) << type;
  }
  ValuePtr no_such = make_value(kTqsNoSuchObject);
  EXPECT_FALSE(no_such->equals(make_value(kTqsNoSuchInstance).get()));

  ValuePtr ticks(tqs_create_number_value(kTqsTimeTicks, 5));
  ValuePtr gauge(tqs_create_number_value(kTqsGauge32, 5));
  EXPECT_FALSE(ticks->equals(gauge.get()));
  EXPECT_EQ(ticks->assign(gauge.get()), QMR_E_INVALID_ARG);
}

TEST(ValueInterface, UnsupportedOperationsAnswerMinus5) {
  ValuePtr null_value = make_value(kTqsNull);
  int32_t rc = 0;
  EXPECT_EQ(null_value->get_int32(&rc), -1);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(null_value->get_uint32(&rc), ~0u);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(null_value->get_port(&rc), 0xFFFF);
  EXPECT_EQ(null_value->to_text(&rc), nullptr);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(null_value->set_int32(1), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(null_value->length(), 0u);
  EXPECT_EQ(null_value->as_oid(), nullptr);

  ValuePtr integer = make_value(kTqsInteger);
  EXPECT_EQ(integer->set_uint32(1), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(integer->get_high(&rc), ~0u);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);
  uint32_t n = 9;
  EXPECT_EQ(integer->get_bytes(&n, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);
  ValuePtr counter64 = make_value(kTqsCounter64);
  OidPtr oid = make_oid("");
  EXPECT_EQ(counter64->append_index_to(oid.get(), false), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(counter64->store_index_in(oid.get(), false), QMR_E_NOT_SUPPORTED);

  ValuePtr bytes = make_value(kTqsOctetString);
  EXPECT_EQ(bytes->get_bytes(nullptr, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  ValuePtr ip = make_value(kTqsIpAddress);
  const uint8_t three[] = {1, 2, 3};
  EXPECT_EQ(ip->set_bytes(three, 3), QMR_E_INVALID_ARG);
  EXPECT_EQ(ip->set_bytes(nullptr, 0), QMR_OK);
  // Only the transport types have a port.
  EXPECT_EQ(ip->get_port(&rc), 0xFFFF);
  EXPECT_EQ(rc, QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(ip->set_port(1), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(make_value(kTqsIpv6Address)->set_port(1), QMR_E_NOT_SUPPORTED);
}

TEST(ValueInterface, QueryIds) {
  ValuePtr ip = make_value(kTqsIpAddress);
  void *out = nullptr;
  EXPECT_EQ(ip->query(0xF0000040u, &out), QMR_OK);
  EXPECT_EQ(out, static_cast<void *>(ip.get()));
  EXPECT_EQ(ip->query(0xFF00u, &out), QMR_OK);
  EXPECT_EQ(out, static_cast<void *>(ip.get()));
  EXPECT_EQ(ip->query(0xF000FF00u, &out), QMR_OK);
  EXPECT_EQ(ip->query(0xF0000006u, &out), QMR_E_NO_INTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(ip->query(0xFF00u, nullptr), QMR_E_INVALID_ARG);

  OidPtr oid = make_oid("1.3");
  EXPECT_EQ(oid->query(6, &out), QMR_OK);
  EXPECT_EQ(out, static_cast<void *>(oid.get()));
  EXPECT_EQ(oid->query(0xF0000006u, &out), QMR_OK);
  EXPECT_EQ(static_cast<ITqsSnmpValue *>(oid.get())->as_oid(), oid.get());

  ValuePtr end = make_value(kTqsEndOfMibView);
  EXPECT_EQ(end->query(0xF000FF01u, &out), QMR_OK);
  EXPECT_EQ(end->query(0xF0000082u, &out), QMR_E_NO_INTERFACE);
}

// Records which visitor operation a value's accept() called.
class RecordingVisitor final : public ITqsValueVisitor {
 public:
  int32_t visit_oid(ITqsOid *) override { return 0; }
  int32_t visit_octet_string(ITqsSnmpValue *) override { return 1; }
  int32_t visit_integer(ITqsSnmpValue *) override { return 2; }
  int32_t visit_null(ITqsSnmpValue *) override { return 3; }
  int32_t visit_counter32(ITqsSnmpValue *) override { return 4; }
  int32_t visit_gauge32(ITqsSnmpValue *) override { return 5; }
  int32_t visit_time_ticks(ITqsSnmpValue *) override { return 6; }
  int32_t visit_counter64(ITqsSnmpValue *) override { return 7; }
  int32_t visit_ip_address(ITqsSnmpValue *) override { return 8; }
  int32_t visit_ipv6_address(ITqsSnmpValue *) override { return 9; }
  int32_t visit_udp_address(ITqsSnmpValue *) override { return 10; }
  int32_t visit_ipx_address(ITqsSnmpValue *) override { return 11; }
  int32_t visit_exception(ITqsSnmpValue *) override { return 12; }
};

TEST(ValueInterface, AcceptCallsTheTypesVisitorSlot) {
  const std::pair<uint32_t, int32_t> expected[] = {
      {kTqsObjectId, 0},    {kTqsOctetString, 1}, {kTqsOpaque, 1},        {kTqsInteger, 2},
      {kTqsNull, 3},        {kTqsCounter32, 4},   {kTqsGauge32, 5},       {kTqsTimeTicks, 6},
      {kTqsCounter64, 7},   {kTqsIpAddress, 8},   {kTqsIpv6Address, 9},   {kTqsUdpAddress, 10},
      {kTqsIpxAddress, 11}, {kTqsNoSuchObject, 12}, {kTqsNoSuchInstance, 12}, {kTqsEndOfMibView, 12}};
  RecordingVisitor visitor;
  for (const auto &[type, slot] : expected) {
    EXPECT_EQ(make_value(type)->accept(&visitor), slot) << type;
  }
  EXPECT_EQ(make_value(kTqsInteger)->accept(nullptr), QMR_E_INVALID_ARG);
}

TEST(OctetBuffer, BytesTextAndNul) {
  TqcOwned<ITqsOctetBuffer> buffer(tqs_create_octet_buffer());
  ASSERT_TRUE(buffer);
  EXPECT_EQ(buffer->data(), nullptr);
  EXPECT_STREQ(buffer->c_str(), "");
  EXPECT_TRUE(buffer->equals(nullptr, 0));
  EXPECT_TRUE(buffer->equals_text(""));

  ASSERT_EQ(buffer->set("ab\0c", 4), QMR_OK);
  EXPECT_EQ(buffer->size(), 4u);
  EXPECT_EQ(buffer->data()[4], 0);  // the extra NUL
  EXPECT_TRUE(buffer->equals("ab\0c", 4));
  EXPECT_FALSE(buffer->equals_text("ab"));

  ASSERT_EQ(buffer->set_text("abc"), QMR_OK);
  ASSERT_EQ(buffer->append_text("def"), QMR_OK);
  ASSERT_EQ(buffer->append("gh", 2), QMR_OK);
  EXPECT_STREQ(buffer->c_str(), "abcdefgh");
  // Appending a buffer to itself, and a range of itself.
  ASSERT_EQ(buffer->append_buffer(buffer.get()), QMR_OK);
  EXPECT_STREQ(buffer->c_str(), "abcdefghabcdefgh");
  ASSERT_EQ(buffer->append(buffer->data() + 14, 2), QMR_OK);
  EXPECT_STREQ(buffer->c_str(), "abcdefghabcdefghgh");
  ASSERT_EQ(buffer->set(buffer->data() + 16, 2), QMR_OK);
  EXPECT_STREQ(buffer->c_str(), "gh");

  TqcOwned<ITqsOctetBuffer> copy(buffer->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->equals_buffer(buffer.get()));
  ASSERT_EQ(buffer->set(nullptr, 5), QMR_OK);
  EXPECT_EQ(buffer->size(), 0u);
  EXPECT_FALSE(copy->equals_buffer(buffer.get()));
  EXPECT_FALSE(copy->equals_buffer(nullptr));
  EXPECT_EQ(buffer->append_text(nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(buffer->append_buffer(nullptr), QMR_E_INVALID_ARG);
}

}  // namespace

namespace {

// The decoder overwrites values in place; their storage must be reused.
TEST(ValueReuse, OverwritingKeepsStorage) {
  ValuePtr bytes = make_value(kTqsOctetString);
  const std::string first(100, 'a');
  ASSERT_EQ(bytes->set_text(first.c_str()), QMR_OK);
  uint32_t n = 0;
  const uint8_t *before = bytes->get_bytes(&n);
  ASSERT_EQ(bytes->set_text("short"), QMR_OK);
  ASSERT_EQ(bytes->set_text(std::string(127, 'b').c_str()), QMR_OK);
  EXPECT_EQ(bytes->get_bytes(&n), before);
  EXPECT_EQ(n, 127u);

  OidPtr oid = make_oid("1.3.6.1.2.1.43.11.1.1.9.1.1");
  const uint32_t *ids = oid->sub_identifiers();
  ASSERT_EQ(oid->clear(), QMR_OK);
  for (uint32_t i = 0; i < 20; ++i) ASSERT_EQ(oid->append_sub_identifier(i), QMR_OK);
  EXPECT_EQ(oid->sub_identifiers(), ids);
  EXPECT_EQ(oid->length(), 20u);
}

}  // namespace
