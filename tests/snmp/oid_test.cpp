// OID syntax, relations and editing.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "qmr.h"
#include "snmp/oid.h"
#include "snmp_test_util.h"

namespace {

// The relation of two dotted texts by plain character order, as reference.
int32_t reference_relation(const std::string &a, const std::string &b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  if (i == a.size() && i == b.size()) return kTqsOidEqual;
  if (i == a.size()) return b[i] == '.' ? kTqsOidOtherBelow : kTqsOidSortsFirst;
  if (i == b.size()) return a[i] == '.' ? kTqsOidThisBelow : kTqsOidSortsAfter;
  return static_cast<signed char>(a[i]) < static_cast<signed char>(b[i]) ? kTqsOidSortsFirst : kTqsOidSortsAfter;
}

TEST(OidSyntax, ValidAndInvalidTexts) {
  for (const char *good : {"", "0", "1.3.6.1", "1.0.8802", "4294967295", "2.999.0"}) {
    EXPECT_TRUE(tqs_is_valid_oid_text(good)) << good;
  }
  for (const char *bad : {"1.03.6", "1.3.", ".1.3", "1..3", "1.3.a", "01", "1.4294967296", " 1.3", "-1"}) {
    EXPECT_FALSE(tqs_is_valid_oid_text(bad)) << bad;
    int32_t rc = 0;
    EXPECT_EQ(tqs_create_oid_from_text(bad, &rc), nullptr) << bad;
    EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  }
  EXPECT_FALSE(tqs_is_valid_oid_text(nullptr));
}

TEST(OidSyntax, EmptyTextIsTheEmptyOid) {
  int32_t rc = -1;
  OidPtr oid(tqs_create_oid_from_text("", &rc));
  ASSERT_TRUE(oid);
  EXPECT_EQ(rc, QMR_OK);
  EXPECT_TRUE(oid->is_valid());
  EXPECT_EQ(oid->length(), 0u);
  EXPECT_EQ(text_of(oid.get()), "");
  EXPECT_EQ(oid->sub_identifier(0, &rc), ~0u);
  EXPECT_EQ(rc, QMR_E_NO_DEVICE);
}

TEST(OidSyntax, InvalidTextIsKeptButRefused) {
  OidPtr oid = make_oid("1.03.6");
  EXPECT_FALSE(oid->is_valid());
  EXPECT_EQ(text_of(oid.get()), "1.03.6");
  EXPECT_EQ(oid->length(), 3u);
  EXPECT_EQ(oid->append_sub_identifier(1), QMR_E_INVALID_ARG);
  int32_t rc = 0;
  EXPECT_EQ(tqs_create_value_from_text("1.3.", kTqsObjectId, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
  // A clone keeps the fault, and setting a good text repairs the OID.
  OidPtr copy(oid->clone_oid());
  ASSERT_TRUE(copy);
  EXPECT_FALSE(copy->is_valid());
  EXPECT_TRUE(copy->equals(oid.get()));
  ASSERT_EQ(oid->set_text("1.3"), QMR_OK);
  EXPECT_TRUE(oid->is_valid());
  EXPECT_EQ(oid->length(), 2u);
}

TEST(OidSyntax, LargeSubIdentifiersKeepAllBits) {
  OidPtr oid = make_oid("1.3");
  ASSERT_EQ(oid->append_sub_identifier(4294967295u), QMR_OK);
  ASSERT_EQ(oid->append_sub_identifier(2147483648u), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "1.3.4294967295.2147483648");
  OidPtr back = make_oid("1.3.4294967295.2147483648");
  ASSERT_TRUE(back->is_valid());
  EXPECT_EQ(back->sub_identifier(2), 4294967295u);
  EXPECT_EQ(back->sub_identifier(3), 2147483648u);
  EXPECT_TRUE(back->equals(oid.get()));
}

TEST(OidSyntax, PositionErrors) {
  OidPtr oid = make_oid("1.3.6");
  int32_t rc = 0;
  EXPECT_EQ(oid->sub_identifier(2, &rc), 6u);
  EXPECT_EQ(rc, QMR_OK);
  EXPECT_EQ(oid->sub_identifier(3, &rc), ~0u);
  EXPECT_EQ(rc, QMR_E_OUT_OF_RANGE);
}

TEST(OidCompare, RelationCodes) {
  OidPtr base = make_oid("1.3.6.1");
  EXPECT_EQ(base->compare_text("1.3.6.1.2.1"), kTqsOidOtherBelow);
  EXPECT_EQ(make_oid("1.3.6.1.2.1")->compare_text("1.3.6.1"), kTqsOidThisBelow);
  EXPECT_EQ(make_oid("1.3.6.1.10")->compare_text("1.3.6.1.9"), kTqsOidSortsFirst);
  EXPECT_EQ(make_oid("1.3.6.1.9")->compare(make_oid("1.3.6.1.10").get()), kTqsOidSortsAfter);
  EXPECT_EQ(base->compare_text("1.3.6.1"), kTqsOidEqual);
  // "1.3.6.1" is a text prefix of "1.3.6.10" but not its subtree.
  EXPECT_EQ(base->compare_text("1.3.6.10"), kTqsOidSortsFirst);
  EXPECT_EQ(make_oid("1.3.6.10")->compare(base.get()), kTqsOidSortsAfter);
  int32_t rc = 0;
  EXPECT_EQ(base->compare_text(nullptr, &rc), -1);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
}

TEST(OidCompare, AgreesWithCharacterOrder) {
  std::mt19937 rng(7);
  const uint32_t pool[] = {0, 1, 2, 3, 9, 10, 11, 19, 100, 101, 2147483647u, 2147483648u, 4294967295u};
  auto random_text = [&]() {
    std::string text;
    const int n = static_cast<int>(rng() % 5);
    for (int i = 0; i < n; ++i) {
      if (i) text += '.';
      text += std::to_string(pool[rng() % (sizeof pool / sizeof pool[0])]);
    }
    return text;
  };
  for (int i = 0; i < 3000; ++i) {
    const std::string a = random_text();
    const std::string b = random_text();
    OidPtr oa = make_oid(a.c_str());
    OidPtr ob = make_oid(b.c_str());
    ASSERT_EQ(oa->compare(ob.get()), reference_relation(a, b)) << a << " vs " << b;
    ASSERT_EQ(oa->compare_text(b.c_str()), reference_relation(a, b)) << a << " vs " << b;
  }
}

TEST(OidEdit, StripPrefix) {
  OidPtr oid = make_oid("1.3.6.1.2.1.1.0");
  ASSERT_EQ(oid->strip_prefix_text("1.3.6.1.2"), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "1.1.0");
  EXPECT_EQ(oid->strip_prefix_text("1.3.6.2"), QMR_E_INVALID_ARG);
  EXPECT_EQ(text_of(oid.get()), "1.1.0");
  // "1.1" must not strip "1.10" (text prefix, not subtree).
  OidPtr other = make_oid("1.10.5");
  EXPECT_EQ(other->strip_prefix(make_oid("1.1").get()), QMR_E_INVALID_ARG);
  ASSERT_EQ(other->strip_prefix(make_oid("1.10.5").get()), QMR_OK);
  EXPECT_EQ(other->length(), 0u);
  EXPECT_EQ(oid->strip_prefix_text(nullptr), QMR_E_INVALID_ARG);
}

TEST(OidEdit, Append) {
  OidPtr oid = make_oid("");
  ASSERT_EQ(oid->append_text("5"), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "5");
  ASSERT_EQ(oid->append_text("6.7"), QMR_OK);
  ASSERT_EQ(oid->append_text(nullptr), QMR_OK);
  ASSERT_EQ(oid->append_text(""), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "5.6.7");
  ASSERT_EQ(oid->append_oid(make_oid("8.9").get()), QMR_OK);
  ASSERT_EQ(oid->append_oid(make_oid("").get()), QMR_OK);
  EXPECT_EQ(oid->length(), 5u);
  // Appending an OID to itself doubles it.
  ASSERT_EQ(oid->append_oid(oid.get()), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "5.6.7.8.9.5.6.7.8.9");
  // Free text makes the OID text that is_valid() refuses.
  ASSERT_EQ(oid->append_text("x"), QMR_OK);
  EXPECT_FALSE(oid->is_valid());
  EXPECT_EQ(text_of(oid.get()), "5.6.7.8.9.5.6.7.8.9.x");
}

TEST(OidEdit, GrowsBeyondInlineStorage) {
  OidPtr oid = make_oid("");
  std::string expected;
  for (uint32_t i = 0; i < 300; ++i) {
    ASSERT_EQ(oid->append_sub_identifier(i * 1000u), QMR_OK);
    expected += (i ? "." : "") + std::to_string(i * 1000u);
  }
  EXPECT_EQ(oid->length(), 300u);
  EXPECT_EQ(text_of(oid.get()), expected);
  OidPtr copy(oid->clone_oid());
  EXPECT_TRUE(copy->equals(oid.get()));
  ASSERT_EQ(oid->remove(1, 298), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "0.299000");
}

TEST(OidEdit, TakeFrontOperations) {
  OidPtr oid = make_oid("1.3.6.1.2.1");
  int32_t rc = -1;
  OidPtr front(oid->take_front(2, &rc));
  ASSERT_TRUE(front);
  EXPECT_EQ(text_of(front.get()), "1.3");
  EXPECT_EQ(text_of(oid.get()), "6.1.2.1");

  EXPECT_EQ(oid->take_first_sub_identifier(&rc), 6u);
  EXPECT_EQ(text_of(oid.get()), "1.2.1");

  TqcOwned<ITqsOctetBuffer> text(oid->take_front_text(2, &rc));
  ASSERT_TRUE(text);
  EXPECT_STREQ(text->c_str(), "1.2");
  EXPECT_EQ(text_of(oid.get()), "1");

  // A count beyond the end takes everything.
  ValuePtr integer = make_value(kTqsInteger);
  ASSERT_EQ(oid->take_front_into(integer.get(), 10), QMR_OK);
  EXPECT_EQ(integer->get_int32(), 1);
  EXPECT_EQ(oid->length(), 0u);
  EXPECT_EQ(oid->take_first_sub_identifier(&rc), ~0u);
  EXPECT_EQ(rc, QMR_E_NO_DEVICE);

  // A value that refuses the text keeps the OID unchanged.
  OidPtr source = make_oid("10.0.0.300");
  ValuePtr address = make_value(kTqsIpAddress);
  EXPECT_EQ(source->take_front_into(address.get(), 4), QMR_E_INVALID_ARG);
  EXPECT_EQ(source->length(), 4u);
}

TEST(OidEdit, Remove) {
  OidPtr oid = make_oid("1.2.3.4.5");
  ASSERT_EQ(oid->remove(1, 2), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "1.4.5");
  ASSERT_EQ(oid->remove(2, 100), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "1.4");
  EXPECT_EQ(oid->remove(2, 1), QMR_E_INVALID_ARG);
}

TEST(OidEdit, FastPathAccess) {
  OidPtr oid = make_oid("");
  const uint32_t ids[] = {1, 3, 6, 1, 4294967295u};
  ASSERT_EQ(oid->set_sub_identifiers(ids, 5), QMR_OK);
  EXPECT_EQ(text_of(oid.get()), "1.3.6.1.4294967295");
  ASSERT_NE(oid->sub_identifiers(), nullptr);
  EXPECT_EQ(oid->sub_identifiers()[4], 4294967295u);
  EXPECT_EQ(oid->set_sub_identifiers(nullptr, 2), QMR_E_INVALID_ARG);
  ASSERT_EQ(oid->set_sub_identifiers(nullptr, 0), QMR_OK);
  EXPECT_EQ(oid->length(), 0u);
}

}  // namespace
