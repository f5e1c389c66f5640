// Table index forms: round trips for every indexable type, and the -401 rules.
#include <gtest/gtest.h>

#include <string>

#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"
#include "snmp_test_util.h"

namespace {

struct IndexCase {
  uint32_t type;
  const char *text;
  const char *index;          // not implied
  const char *implied_index;  // implied
};

const IndexCase kCases[] = {
    {kTqsInteger, "-1", "4294967295", "4294967295"},
    {kTqsInteger, "42", "42", "42"},
    {kTqsCounter32, "4294967295", "4294967295", "4294967295"},
    {kTqsGauge32, "7", "7", "7"},
    {kTqsTimeTicks, "0", "0", "0"},
    {kTqsOctetString, "AB", "2.65.66", "65.66"},
    {kTqsOctetString, "", "0", ""},
    {kTqsOpaque, "z", "1.122", "122"},
    {kTqsObjectId, "1.3.6", "3.1.3.6", "1.3.6"},
    {kTqsIpAddress, "10.0.0.1", "4.10.0.0.1", "10.0.0.1"},
    {kTqsIpv6Address, "fe80:0:0:0:0:0:0:1", "16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1",
     "254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1"},
    {kTqsUdpAddress, "10.1.2.3/161", "1.6.10.1.2.3.0.161", "1.10.1.2.3.0.161"},
    {kTqsIpxAddress, "0000abcd:00a0b1c2d3e4/451", "5.12.0.0.171.205.0.160.177.194.211.228.4.81",
     "5.0.0.171.205.0.160.177.194.211.228.4.81"},
};

TEST(IndexForm, RoundTripsForEveryType) {
  for (const IndexCase &c : kCases) {
    for (bool implied : {false, true}) {
      SCOPED_TRACE(std::string(c.text) + (implied ? " implied" : ""));
      int32_t rc = -1;
      ValuePtr value(tqs_create_value_from_text(c.text, c.type, &rc));
      ASSERT_TRUE(value) << rc;
      const char *expected = implied ? c.implied_index : c.index;

      // Appended after a table column, and read back from the remainder.
      OidPtr oid = make_oid("1.3.6.1.2.1.25.3.2.1.1");
      ASSERT_EQ(oid->append_index(value.get(), implied), QMR_OK);
      ASSERT_EQ(oid->strip_prefix_text("1.3.6.1.2.1.25.3.2.1.1"), QMR_OK);
      EXPECT_EQ(text_of(oid.get()), expected);
      EXPECT_EQ(value->index_length(implied), oid->length());

      ValuePtr back(oid->read_index_as(c.type, &rc, implied));
      ASSERT_TRUE(back) << rc;
      EXPECT_TRUE(back->equals(value.get())) << text_of(back.get());

      // store_index_in replaces, set_from_value is its OID-side twin.
      OidPtr stored = make_oid("9.9");
      ASSERT_EQ(value->store_index_in(stored.get(), implied), QMR_OK);
      EXPECT_EQ(text_of(stored.get()), expected);
      OidPtr set = make_oid("9.9");
      ASSERT_EQ(set->set_from_value(value.get(), implied), QMR_OK);
      EXPECT_EQ(text_of(set.get()), expected);

      // From text, through append_index_text.
      OidPtr by_text = make_oid("");
      ASSERT_EQ(by_text->append_index_text(c.text, c.type, implied), QMR_OK);
      EXPECT_EQ(text_of(by_text.get()), expected);
    }
  }
}

TEST(IndexForm, TakeIndexConsumesExactlyItsSubIdentifiers) {
  // A row of a table indexed by (INTEGER, OCTET STRING, IpAddress).
  OidPtr oid = make_oid("7.3.102.111.111.4.192.168.0.9.99");
  int32_t rc = -1;
  ValuePtr first(oid->take_index(kTqsInteger, &rc, false, -1));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->get_int32(), 7);
  ValuePtr name(oid->take_index(kTqsOctetString, &rc, false, -1));
  ASSERT_TRUE(name);
  EXPECT_EQ(text_of(name.get()), "foo");
  ValuePtr address = make_value(kTqsIpAddress);
  ASSERT_EQ(oid->take_index_into(address.get(), false, -1), QMR_OK);
  EXPECT_EQ(text_of(address.get()), "192.168.0.9");
  EXPECT_EQ(text_of(oid.get()), "99");

  // An implied string with a count takes that many and leaves the rest.
  OidPtr tail = make_oid("104.105.1.2");
  ValuePtr implied(tail->take_index(kTqsOctetString, &rc, true, 2));
  ASSERT_TRUE(implied);
  EXPECT_EQ(text_of(implied.get()), "hi");
  EXPECT_EQ(text_of(tail.get()), "1.2");

  // A failed take leaves the OID as it was.
  OidPtr bad = make_oid("4.10.0.0.300");
  EXPECT_EQ(bad->take_index(kTqsIpAddress, &rc, false, -1), nullptr);
  EXPECT_EQ(rc, QMR_E_INDEX_FIT);
  EXPECT_EQ(text_of(bad.get()), "4.10.0.0.300");
}

TEST(IndexForm, MisfitsGiveMinus401) {
  struct Misfit {
    uint32_t type;
    const char *index;
    bool implied;
  };
  const Misfit misfits[] = {
      {kTqsIpAddress, "4.10.0.0.300", false},   // byte above 255
      {kTqsIpAddress, "5.10.0.0.1", false},     // wrong length prefix
      {kTqsIpAddress, "4.10.0.0", false},       // short
      {kTqsIpAddress, "10.0.0", true},
      {kTqsIpv6Address, "4.1.2.3.4", false},
      {kTqsOctetString, "3.65.66", false},      // fewer than the length promises
      {kTqsOctetString, "2.65.256", false},
      {kTqsOctetString, "4294967295.1", false}, // huge length, no allocation
      {kTqsOctetString, "", false},
      {kTqsObjectId, "3.1.3", false},
      {kTqsUdpAddress, "2.6.10.1.2.3.0.161", false},  // wrong leading sub-identifier
      {kTqsUdpAddress, "1.4.10.1.2.3.0.161", false},
      {kTqsUdpAddress, "1.10.1.2.3.0", true},
      {kTqsIpxAddress, "5.11.0.0.0.0.0.0.0.0.0.0.0.0", false},
      {kTqsIpxAddress, "4.0.0.0.0.0.0.0.0.0.0.0.0", true},
      {kTqsInteger, "", false},
      {kTqsGauge32, "", true},
  };
  for (const Misfit &m : misfits) {
    OidPtr oid = make_oid(m.index);
    ValuePtr value = make_value(m.type);
    EXPECT_EQ(value->read_index(oid.get(), m.implied, -1), QMR_E_INDEX_FIT) << m.index;
  }
  ValuePtr text = make_value(kTqsOctetString);
  EXPECT_EQ(text->read_index(make_oid("65.66").get(), true, 3), QMR_E_INDEX_FIT);
  EXPECT_EQ(text->read_index(nullptr, false, -1), QMR_E_INVALID_ARG);
  EXPECT_EQ(text->read_index(make_oid("1.03").get(), false, -1), QMR_E_INVALID_ARG);
}

TEST(IndexForm, OidIndexOfItself) {
  OidPtr oid = make_oid("1.3.6");
  ASSERT_EQ(oid->append_index(oid.get(), false), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "1.3.6.3.1.3.6");
  OidPtr self = make_oid("1.3.6");
  ASSERT_EQ(self->set_from_value(self.get(), false), QMR_OK);
  EXPECT_EQ(text_of(self.get()), "3.1.3.6");
  ASSERT_EQ(self->read_index_into(self.get(), false), QMR_OK);
  EXPECT_EQ(text_of(self.get()), "1.3.6");
}

}  // namespace
