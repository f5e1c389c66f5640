// The in-place dotted-quad conversions against the socket library's own
// inet_ntoa and inet_addr, which they stand in for.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "net/ipv4_text.h"

namespace {

std::string library_text(const uint8_t bytes[4]) {
  in_addr a{};
  std::memcpy(&a, bytes, 4);
  return inet_ntoa(a);
}

TEST(IPv4Text, FormatsAsInetNtoa) {
  const uint8_t fixed[][4] = {{0, 0, 0, 0},       {255, 255, 255, 255}, {127, 77, 70, 1}, {10, 0, 100, 9},
                              {1, 20, 199, 250}, {100, 10, 1, 0}};
  std::mt19937 random(7);
  for (int i = 0; i < 2000 + 6; ++i) {
    uint8_t bytes[4];
    if (i < 6) {
      std::memcpy(bytes, fixed[i], 4);
    } else {
      const uint32_t r = random();
      std::memcpy(bytes, &r, 4);
    }
    char text[kTqcIPv4TextSize];
    const size_t length = tqc_format_ipv4(bytes, text);
    const std::string expected = library_text(bytes);
    ASSERT_EQ(text, expected);
    ASSERT_EQ(length, expected.size());
    // And back again through the fast parse.
    uint8_t parsed[4] = {};
    ASSERT_TRUE(tqc_parse_plain_ipv4(text, parsed)) << text;
    ASSERT_EQ(std::memcmp(parsed, bytes, 4), 0) << text;
  }
}

TEST(IPv4Text, ParsesPlainTextsAsInetAddr) {
  for (const char *text : {"0.0.0.0", "127.0.0.1", "127.77.70.1", "255.255.255.254", "192.168.1.10", "9.99.199.200"}) {
    uint8_t bytes[4] = {};
    ASSERT_TRUE(tqc_parse_plain_ipv4(text, bytes)) << text;
    const in_addr_t expected = inet_addr(text);
    EXPECT_EQ(std::memcmp(bytes, &expected, 4), 0) << text;
  }
}

TEST(IPv4Text, LeavesOtherFormsToInetAddr) {
  // Octal, hex, short forms, out-of-range parts, trailing text and the empty
  // text: each is declined, whatever inet_addr makes of it.
  for (const char *text : {"010.0.0.1", "0x7f.0.0.1", "127.1", "127.0.1", "256.0.0.1", "1.2.3.4.5", "1.2.3.4 ",
                           "1.2.3.", ".1.2.3", "1..2.3", "", "a.b.c.d", "1.2.3.0004", "::1", "1.2.3.-4"}) {
    uint8_t bytes[4] = {};
    EXPECT_FALSE(tqc_parse_plain_ipv4(text, bytes)) << text;
  }
  uint8_t bytes[4] = {};
  EXPECT_FALSE(tqc_parse_plain_ipv4(nullptr, bytes));
}

}  // namespace

// The IPv4-only address service's reading: decimal parts, leading zeros
// allowed, and nothing but digits and dots.
TEST(IPv4Text, DecimalReading) {
  const struct {
    const char *text;
    bool read;
    uint32_t number;
  } cases[] = {{"010.0.0.001", true, 0x0A000001u}, {"255.255.255.255", true, 0xFFFFFFFFu},
               {"192.168.1.20", true, 0xC0A80114u}, {"256.0.0.1", false, 0},
               {"1.2.3", false, 0},                 {"1.2.3.4.", false, 0},
               {"1..2.3", false, 0},                {" 1.2.3.4", false, 0},
               {"+1.2.3.4", false, 0},              {"99999999999.1.1.1", false, 0}};
  for (const auto &c : cases) {
    uint32_t number = 0;
    ASSERT_EQ(tqc_ipv4_text_to_number(c.text, &number), c.read) << c.text;
    if (!c.read) continue;
    EXPECT_EQ(number, c.number) << c.text;
    char text[kTqcIPv4TextSize];
    tqc_ipv4_number_to_text(number, text);
    uint32_t again = 0;
    EXPECT_TRUE(tqc_ipv4_text_to_number(text, &again) && again == number) << text;
  }
}
