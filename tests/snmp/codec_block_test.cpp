// The codec's block paths: OID sub-identifiers moved eight at a time, with
// longer sub-identifiers at every position, and decoding into a PDU whose
// varbinds, names and values are reused or replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "codec_support.h"
#include "snmp/ber_reader.h"
#include "snmp/ber_writer.h"

namespace {

using namespace codec_test;

// X.690 8.19 written forwards, one sub-identifier at a time.
Bytes reference_oid_content(const std::vector<uint32_t> &sub) {
  Bytes out;
  auto put = [&out](uint32_t v) {
    uint8_t chunk[5];
    int n = 0;
    do {
      chunk[n++] = static_cast<uint8_t>(v & 0x7F);
      v >>= 7;
    } while (v != 0);
    while (n-- > 0) out.push_back(static_cast<uint8_t>(chunk[n] | (n ? 0x80 : 0)));
  };
  put(sub[0] * 40 + sub[1]);
  for (size_t i = 2; i < sub.size(); ++i) put(sub[i]);
  return out;
}

// 1.3.6.1. then `length - 4` one-octet sub-identifiers, with `wide` at
// `position` (none when position >= length).
std::vector<uint32_t> sample_oid(size_t length, size_t position, uint32_t wide) {
  std::vector<uint32_t> sub = {1, 3, 6, 1};
  for (size_t i = 4; i < length; ++i) sub.push_back(static_cast<uint32_t>((i * 7) % 128));
  sub.resize(length);
  if (position >= 2 && position < length) sub[position] = wide;
  return sub;
}

TEST(CodecBlocks, OidsMatchTheReferenceWithLongSubIdentifiersAnywhere) {
  const uint32_t wides[] = {127, 128, 16383, 16384, 0xFFFFFFFFu};
  int checked = 0;
  for (size_t length = 2; length <= 40; ++length) {
    for (size_t position = 2; position <= length; ++position) {
      for (uint32_t wide : wides) {
        const std::vector<uint32_t> sub = sample_oid(length, position, wide);
        const Bytes content = reference_oid_content(sub);
        Bytes element = {kBerTagOid, static_cast<uint8_t>(content.size())};
        element.insert(element.end(), content.begin(), content.end());

        // Backwards writer, both with room checked once and element by element.
        for (size_t capacity : {size_t{512}, element.size()}) {
          std::vector<uint8_t> area(capacity);
          BerWriter w(area.data(), area.data() + area.size());
          size_t size = 0;
          ASSERT_TRUE(w.put_oid(sub.data(), sub.size(), &size));
          ASSERT_FALSE(w.overflow());
          EXPECT_EQ(Bytes(w.position(), area.data() + area.size()), element)
              << "length " << length << " position " << position << " wide " << wide;
          EXPECT_EQ(size, element.size());
        }

        // Forward reader: the content back into sub-identifiers (the first
        // encoded one still joined, in out[1]).
        std::vector<uint32_t> out(content.size() + 1, 0xDEADBEEFu);
        BerReader r(content.data(), content.data() + content.size());
        size_t count = 0;
        ASSERT_EQ(r.read_sub_identifiers(r.end(), out.data(), &count), QMR_OK);
        ASSERT_EQ(count, sub.size() - 1);
        EXPECT_EQ(out[1], sub[0] * 40 + sub[1]);
        EXPECT_EQ(std::vector<uint32_t>(out.begin() + 2, out.begin() + 1 + count),
                  std::vector<uint32_t>(sub.begin() + 2, sub.end()))
            << "length " << length << " position " << position << " wide " << wide;
        EXPECT_EQ(r.remaining(), 0u);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 3000);
}

TEST(CodecBlocks, ReaderRefusesBrokenSubIdentifiersInsideBlocks) {
  // Content ending inside a sub-identifier after a clean block of eight.
  Bytes cut = {0x2B, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x81};
  std::vector<uint32_t> out(cut.size() + 1);
  size_t count = 0;
  BerReader r(cut.data(), cut.data() + cut.size());
  EXPECT_EQ(r.read_sub_identifiers(r.end(), out.data(), &count), QMR_E_DECODE);
  EXPECT_TRUE(r.exhausted());

  // A sub-identifier wider than 32 bits after a clean block.
  Bytes wide = {0x2B, 1, 2, 3, 4, 5, 6, 7, 8, 0x90, 0x80, 0x80, 0x80, 0x80, 0x00};
  out.assign(wide.size() + 1, 0);
  BerReader r2(wide.data(), wide.data() + wide.size());
  EXPECT_EQ(r2.read_sub_identifiers(r2.end(), out.data(), &count), QMR_E_DECODE);
  EXPECT_FALSE(r2.exhausted());
}

// A response whose value types differ from what the PDU holds, decoded
// twice into the same PDU: values are replaced, then reused.
TEST(CodecBlocks, DecodingReplacesAndReusesValuesByType) {
  auto t = target(kTqsSnmpV1, "public");
  auto answer = pdu(kTqsResponse, 7);
  add(answer.get(), "1.3.6.1.2.1.1.1.0", bytes_value(kTqsOctetString, std::string(70, 'x')));
  add(answer.get(), "1.3.6.1.2.1.1.2.0", make_oid("1.3.6.1.4.1.58114.8.1.2.3.4.5.6.7.8.9.10.11.12"));
  add(answer.get(), "1.3.6.1.2.1.1.3.0", number(kTqsTimeTicks, 123456));
  add(answer.get(), "1.3.6.1.2.1.1.4.0", number(kTqsInteger, -5));
  add(answer.get(), "1.3.6.1.2.1.1.5.0", number(kTqsCounter32, 0xFFFFFFFFu));
  add(answer.get(), "1.3.6.1.2.1.1.6.0", number(kTqsGauge32, 0));
  add(answer.get(), "1.3.6.1.2.1.1.7.0", make_counter64(1, 2));
  const Bytes msg = encode(answer.get(), t.get());
  ASSERT_FALSE(msg.empty());

  // The request: integers everywhere, an invalid OID text as one name, and
  // one varbind more than the answer carries.
  auto request = pdu(kTqsGetRequest, 7);
  for (int i = 1; i <= 8; ++i) add(request.get(), ("1.3.6.1.2.1.1." + std::to_string(i) + ".0").c_str(), number(kTqsInteger, 1));
  ASSERT_EQ(var_bind_at(request.get(), 2)->get_name()->set_text("1..3"), QMR_OK);
  var_bind_at(request.get(), 0)->set_status(kTqsStatusNotProcessed);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ITqsSnmpValue *reused = var_bind_at(request.get(), 3)->get_value();
    ASSERT_EQ(decode(msg, request.get(), t.get()), QMR_OK);
    EXPECT_TRUE(request->equals(answer.get()));
    ASSERT_EQ(request->get_var_bind_list()->count(), 7u);
    EXPECT_EQ(var_bind_at(request.get(), 3)->get_value(), reused);  // same type: kept
    EXPECT_TRUE(var_bind_at(request.get(), 2)->get_name()->is_valid());
    EXPECT_EQ(text_of(var_bind_at(request.get(), 2)->get_name()), "1.3.6.1.2.1.1.3.0");
    EXPECT_EQ(text_of(var_bind_at(request.get(), 1)->get_value()), "1.3.6.1.4.1.58114.8.1.2.3.4.5.6.7.8.9.10.11.12");
    for (uint32_t i = 0; i < 7; ++i) EXPECT_EQ(var_bind_at(request.get(), i)->get_status(), 0) << i;
  }

  // A shorter string into the reused value leaves no stale bytes.
  auto shorter = pdu(kTqsResponse, 7);
  add(shorter.get(), "1.3.6.1.2.1.1.1.0", bytes_value(kTqsOctetString, "ab"));
  ASSERT_EQ(decode(encode(shorter.get(), t.get()), request.get(), t.get()), QMR_OK);
  EXPECT_TRUE(request->equals(shorter.get()));
  EXPECT_EQ(text_of(var_bind_at(request.get(), 0)->get_value()), "ab");
}

// A name that fails to decode is left empty, not holding its old content.
TEST(CodecBlocks, FailedNameLeavesEmptyOid) {
  auto t = target(kTqsSnmpV1, "public");
  auto answer = pdu(kTqsResponse, 9);
  add(answer.get(), "1.3.6.1.2.1.1.1.2.3.4.5.6.7.8.9", number(kTqsInteger, 1));
  Bytes msg = encode(answer.get(), t.get());
  ASSERT_FALSE(msg.empty());
  // The name's last octet becomes a continuation octet: the OID ends inside
  // a sub-identifier.
  const Bytes name = {0x06, 0x0F, 0x2B, 6, 1, 2, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  auto at = std::search(msg.begin(), msg.end(), name.begin(), name.end());
  ASSERT_NE(at, msg.end());
  *(at + static_cast<ptrdiff_t>(name.size()) - 1) = 0x89;

  auto request = pdu(kTqsGetRequest, 9);
  add(request.get(), "1.3.6.1.2.1.1.1.2.3.4.5.6.7.8.9");
  EXPECT_EQ(decode(msg, request.get(), t.get()), QMR_E_DECODE);
  EXPECT_EQ(var_bind_at(request.get(), 0)->get_name()->length(), 0u);
}

}  // namespace
