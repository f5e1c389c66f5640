// Byte-exact checks of the backward BER writer and the forward reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "qmr.h"
#include "snmp/ber_reader.h"
#include "snmp/ber_writer.h"
#include "snmp/raw_packet.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Runs `fill` on a writer over a 64-byte area and returns what it wrote.
template <typename F>
Bytes written(F fill, size_t capacity = 64) {
  std::vector<uint8_t> area(capacity);
  BerWriter w(area.data(), area.data() + area.size());
  fill(w);
  EXPECT_FALSE(w.overflow());
  return Bytes(w.position(), area.data() + area.size());
}

TEST(CodecBerWriter, IntegersUseShortestTwosComplement) {
  struct Case {
    int32_t v;
    Bytes want;
  } cases[] = {
      {0, {0x02, 0x01, 0x00}},
      {127, {0x02, 0x01, 0x7F}},
      {128, {0x02, 0x02, 0x00, 0x80}},
      {-128, {0x02, 0x01, 0x80}},
      {-129, {0x02, 0x02, 0xFF, 0x7F}},
      {32767, {0x02, 0x02, 0x7F, 0xFF}},
      {32768, {0x02, 0x03, 0x00, 0x80, 0x00}},
      {-8388609, {0x02, 0x04, 0xFF, 0x7F, 0xFF, 0xFF}},
      {0x7FFFFFFF, {0x02, 0x04, 0x7F, 0xFF, 0xFF, 0xFF}},
      {INT32_MIN, {0x02, 0x04, 0x80, 0x00, 0x00, 0x00}},
      {-1, {0x02, 0x01, 0xFF}},
  };
  for (const Case &c : cases) {
    size_t size = 0;
    Bytes got = written([&](BerWriter &w) { size = w.put_int32(kBerTagInteger, c.v); });
    EXPECT_EQ(got, c.want) << c.v;
    EXPECT_EQ(size, c.want.size()) << c.v;
  }
}

TEST(CodecBerWriter, UnsignedAndCounter64KeepTopBitClear) {
  struct Case {
    uint32_t v;
    Bytes want;
  } cases[] = {
      {0, {0x42, 0x01, 0x00}},
      {127, {0x42, 0x01, 0x7F}},
      {128, {0x42, 0x02, 0x00, 0x80}},
      {0x7FFFFFFF, {0x42, 0x04, 0x7F, 0xFF, 0xFF, 0xFF}},
      {0x80000000u, {0x42, 0x05, 0x00, 0x80, 0x00, 0x00, 0x00}},
      {4294967295u, {0x42, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(written([&](BerWriter &w) { w.put_uint32(kBerTagGauge32, c.v); }), c.want) << c.v;
  }
  EXPECT_EQ(written([](BerWriter &w) { w.put_counter64(kBerTagCounter64, 1, 0); }),
            (Bytes{0x46, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(written([](BerWriter &w) { w.put_counter64(kBerTagCounter64, 0, 200); }),
            (Bytes{0x46, 0x02, 0x00, 0xC8}));
  EXPECT_EQ(written([](BerWriter &w) { w.put_counter64(kBerTagCounter64, 0xFFFFFFFFu, 0xFFFFFFFFu); }),
            (Bytes{0x46, 0x09, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(CodecBerWriter, LengthsUseMinimumOctets) {
  struct Case {
    size_t len;
    Bytes want;
  } cases[] = {
      {0, {0x00}},       {127, {0x7F}},
      {128, {0x81, 0x80}}, {200, {0x81, 0xC8}},
      {255, {0x81, 0xFF}}, {256, {0x82, 0x01, 0x00}},
      {300, {0x82, 0x01, 0x2C}}, {0x10000, {0x83, 0x01, 0x00, 0x00}},
  };
  for (const Case &c : cases) {
    size_t n = 0;
    EXPECT_EQ(written([&](BerWriter &w) { n = w.write_length(c.len); }), c.want) << c.len;
    EXPECT_EQ(n, c.want.size());
    // The element writers use the same length rule.
    Bytes header = c.want;
    header.insert(header.begin(), kBerTagSequence);
    size_t size = 0;
    EXPECT_EQ(written([&](BerWriter &w) { size = w.put_header(kBerTagSequence, c.len); }), header) << c.len;
    EXPECT_EQ(size, c.len + header.size());
    if (c.len <= 300) {
      std::vector<uint8_t> content(c.len, 0x5A);
      Bytes element = header;
      element[0] = kBerTagOctetString;
      element.insert(element.end(), content.begin(), content.end());
      EXPECT_EQ(written([&](BerWriter &w) { w.put_octets(kBerTagOctetString, content.data(), c.len); }, 512),
                element)
          << c.len;
    }
  }
}

TEST(CodecBerWriter, OidsAndSubIdentifiers) {
  const uint32_t sys_object_id[] = {1, 3, 6, 1, 2, 1, 1, 2, 0};
  size_t size = 0;
  EXPECT_EQ(written([&](BerWriter &w) { ASSERT_TRUE(w.put_oid(sys_object_id, 9, &size)); }),
            (Bytes{0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x02, 0x00}));
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(written([&](BerWriter &w) { ASSERT_TRUE(w.put_oid(nullptr, 0, &size)); }), (Bytes{0x06, 0x00}));
  const uint32_t one[] = {1};
  std::vector<uint8_t> area(8);
  BerWriter w(area.data(), area.data() + area.size());
  EXPECT_FALSE(w.put_oid(one, 1, &size));
  EXPECT_EQ(w.written(), 0u);

  EXPECT_EQ(written([](BerWriter &w) { w.write_sub_identifier(200); }), (Bytes{0x81, 0x48}));
  EXPECT_EQ(written([](BerWriter &w) { w.write_sub_identifier(127); }), (Bytes{0x7F}));
  EXPECT_EQ(written([](BerWriter &w) { w.write_sub_identifier(0xFFFFFFFFu); }),
            (Bytes{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}));
  const uint32_t joint[] = {2, 100, 3};
  EXPECT_EQ(written([&](BerWriter &w) { w.put_oid(joint, 3, &size); }), (Bytes{0x06, 0x03, 0x81, 0x34, 0x03}));
}

TEST(CodecBerWriter, OverflowIsStickyAndWritesNothingPartial) {
  uint8_t area[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  BerWriter w(area, area + sizeof(area));
  const uint8_t five[] = {1, 2, 3, 4, 5};
  w.write_bytes(five, 5);
  EXPECT_TRUE(w.overflow());
  EXPECT_EQ(w.written(), 0u);
  EXPECT_EQ(area[0], 0xEE);
  w.put_uint32(kBerTagCounter32, 0xFFFFFFFFu);  // 7 bytes: the element is left out whole
  EXPECT_EQ(w.written(), 0u);
  w.put_empty(kBerTagNull);  // still fits, but the flag stays set
  EXPECT_EQ(w.written(), 2u);
  EXPECT_TRUE(w.overflow());

  uint8_t exact[3];
  BerWriter fits(exact, exact + 3);
  fits.put_int32(kBerTagInteger, 5);
  EXPECT_FALSE(fits.overflow());
  fits.write_byte(0);
  EXPECT_TRUE(fits.overflow());
}

TEST(CodecBerReader, LengthForms) {
  const uint8_t indefinite[] = {0x30, 0x80, 0x00, 0x00};
  BerReader r1(indefinite, indefinite + sizeof(indefinite));
  uint32_t len = 0;
  EXPECT_EQ(r1.read_header(kBerTagSequence, &len), QMR_E_DECODE);

  const uint8_t long_form[] = {0x04, 0x82, 0x01, 0x2C};
  BerReader r2(long_form, long_form + sizeof(long_form));
  EXPECT_EQ(r2.read_header(kBerTagOctetString, &len), QMR_OK);
  EXPECT_EQ(len, 300u);
  // The claim exceeds the input: content reads must refuse it.
  const uint8_t *p = nullptr;
  EXPECT_EQ(r2.read_octets(len, &p), QMR_E_DECODE);
  EXPECT_TRUE(r2.exhausted());

  const uint8_t wrong_tag[] = {0x02, 0x01, 0x00};
  BerReader r3(wrong_tag, wrong_tag + sizeof(wrong_tag));
  EXPECT_EQ(r3.read_header(kBerTagOctetString, &len), QMR_E_DECODE);

  const uint8_t huge[] = {0x04, 0x84, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  BerReader r4(huge, huge + sizeof(huge));
  ASSERT_EQ(r4.read_header(kBerTagOctetString, &len), QMR_OK);
  EXPECT_EQ(r4.read_octets(len, &p), QMR_E_DECODE);

  // Leading zero octets are padding; a length beyond 32 bits is refused, not cut to 3.
  const uint8_t padded[] = {0x04, 0x88, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05};
  BerReader r5(padded, padded + sizeof(padded));
  ASSERT_EQ(r5.read_header(kBerTagOctetString, &len), QMR_OK);
  EXPECT_EQ(len, 5u);
  const uint8_t too_long[] = {0x04, 0x85, 0x01, 0x00, 0x00, 0x00, 0x03, 0x41, 0x42, 0x43};
  BerReader r6(too_long, too_long + sizeof(too_long));
  EXPECT_EQ(r6.read_header(kBerTagOctetString, &len), QMR_E_DECODE);
}

TEST(CodecBerReader, IntegerContentsOfAnyLengthThatFitTheirKind) {
  constexpr EBerNumber S = EBerNumber::kSigned32, U = EBerNumber::kUnsigned32, L = EBerNumber::kUnsigned64;
  struct Case {
    EBerNumber kind;
    Bytes content;
    int32_t rc;
    uint64_t value;
  } cases[] = {
      {S, {}, QMR_OK, 0},
      {U, {}, QMR_OK, 0},
      {S, {0x7F}, QMR_OK, 127},
      {S, {0xFF}, QMR_OK, ~uint64_t{0}},
      {S, {0xFF, 0x7F}, QMR_OK, static_cast<uint64_t>(-129)},
      {S, {0xFF, 0xFF, 0xFF, 0xFF, 0xFB}, QMR_OK, static_cast<uint64_t>(-5)},
      {S, {0xFF, 0x80, 0x00, 0x00, 0x00}, QMR_OK, static_cast<uint64_t>(-2147483648LL)},
      {S, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80}, QMR_OK, static_cast<uint64_t>(-128)},
      {S, {0xFF, 0x7F, 0xFF, 0xFF, 0xFF}, QMR_E_DECODE, 0},  // -2147483649
      {S, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, QMR_E_DECODE, 0},
      {S, {0x80, 0x00, 0x00, 0x00}, QMR_OK, static_cast<uint64_t>(-2147483648LL)},
      {S, {0x00, 0x00, 0x00, 0x00, 0x00, 0x05}, QMR_OK, 5},
      {S, {0x00, 0x7F, 0xFF, 0xFF, 0xFF}, QMR_OK, 2147483647},
      {S, {0x00, 0x80, 0x00, 0x00, 0x00}, QMR_E_DECODE, 0},  // 2^31 does not fit INTEGER
      {S, {0x00, 0xFF, 0xFF, 0xFF, 0xFF}, QMR_E_DECODE, 0},
      {U, {0x00, 0xFF, 0xFF, 0xFF, 0xFF}, QMR_OK, 0xFFFFFFFFu},
      {U, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A}, QMR_OK, 42},
      {U, {0x01, 0x00, 0x00, 0x00, 0x00}, QMR_E_DECODE, 0},
      {U, {0xFF, 0xFF, 0xFF, 0xFF}, QMR_E_DECODE, 0},  // negative: no unsigned value
      {U, {0xFF}, QMR_E_DECODE, 0},
      {L, {0x01, 0x00, 0x00, 0x00, 0x02}, QMR_OK, (uint64_t{1} << 32) | 2},
      {L, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, QMR_OK, ~uint64_t{0}},
      {L, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, QMR_OK, uint64_t{1} << 56},
      {L, {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, QMR_E_DECODE, 0},  // 2^64
      {L, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, QMR_E_DECODE, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " octets " << c.content.size()
                                    << " first " << (c.content.empty() ? -1 : c.content[0]));
    BerReader r(c.content.data(), c.content.data() + c.content.size());
    uint64_t value = 12345;
    EXPECT_EQ(r.read_integer_content(static_cast<uint32_t>(c.content.size()), c.kind, &value), c.rc);
    if (c.rc == QMR_OK) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(CodecBerReader, SubIdentifiersStayInsideTheirLimit) {
  const uint8_t two_hundred[] = {0x81, 0x48};
  BerReader r(two_hundred, two_hundred + 2);
  uint32_t v = 0;
  ASSERT_EQ(r.read_sub_identifier(r.end(), &v), QMR_OK);
  EXPECT_EQ(v, 200u);

  BerReader cut(two_hundred, two_hundred + 2);
  EXPECT_EQ(cut.read_sub_identifier(two_hundred + 1, &v), QMR_E_DECODE);  // ends inside one

  const uint8_t too_wide[] = {0x90, 0x80, 0x80, 0x80, 0x00};  // 2^32
  BerReader wide(too_wide, too_wide + sizeof(too_wide));
  EXPECT_EQ(wide.read_sub_identifier(wide.end(), &v), QMR_E_DECODE);
  const uint8_t widest[] = {0x8F, 0xFF, 0xFF, 0xFF, 0x7F};
  BerReader max(widest, widest + sizeof(widest));
  ASSERT_EQ(max.read_sub_identifier(max.end(), &v), QMR_OK);
  EXPECT_EQ(v, 0xFFFFFFFFu);
}

TEST(CodecBerReader, RoundTripAndEveryPrefixFails) {
  std::vector<uint8_t> area(64);
  BerWriter w(area.data(), area.data() + area.size());
  size_t content = w.put_counter64(kBerTagCounter64, 7, 9);
  content += w.put_uint32(kBerTagTimeTicks, 0x80000001u);
  content += w.put_int32(kBerTagInteger, -70000);
  w.put_header(kBerTagSequence, content);
  ASSERT_FALSE(w.overflow());
  Bytes msg(w.position(), area.data() + area.size());

  auto parse = [](const Bytes &m) {
    BerReader r(m.data(), m.data() + m.size());
    uint32_t len, bits, high, low;
    if (r.read_header(kBerTagSequence, &len) != QMR_OK || len != r.remaining()) return false;
    if (r.read_integer(kBerTagInteger, &bits) != QMR_OK || static_cast<int32_t>(bits) != -70000) return false;
    if (r.read_integer(kBerTagTimeTicks, &bits) != QMR_OK || bits != 0x80000001u) return false;
    if (r.read_header(kBerTagCounter64, &len) != QMR_OK) return false;
    if (r.read_counter64_content(len, &high, &low) != QMR_OK) return false;
    return high == 7 && low == 9 && r.remaining() == 0;
  };
  EXPECT_TRUE(parse(msg));
  for (size_t n = 0; n < msg.size(); ++n) EXPECT_FALSE(parse(Bytes(msg.begin(), msg.begin() + n))) << n;
}

TEST(CodecRawPacket, AreaStartAndOwnership) {
  CTqsRawPacket raw;
  ASSERT_EQ(raw.allocate(100), QMR_OK);
  EXPECT_TRUE(raw.owned());
  EXPECT_EQ(raw.start(), raw.data());
  EXPECT_EQ(raw.message_length(), 100u);
  EXPECT_TRUE(raw.set_start(raw.data() + 60));
  EXPECT_EQ(raw.message_length(), 40u);
  EXPECT_FALSE(raw.set_start(raw.data() + 101));
  EXPECT_EQ(raw.start_offset(), 60u);
  raw.truncate(50);
  EXPECT_EQ(raw.message_length(), 0u);

  uint8_t borrowed[8] = {};
  raw.attach(borrowed, sizeof(borrowed), false);  // frees the owned area
  EXPECT_FALSE(raw.owned());
  EXPECT_EQ(raw.start(), borrowed);
  EXPECT_EQ(raw.detach(), borrowed);
  EXPECT_EQ(raw.data(), nullptr);
  EXPECT_EQ(raw.size(), 0u);
}

}  // namespace
