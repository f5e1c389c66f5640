// Numeric IPv4 texts without the socket library; IPv6 is left to the
// resolver.
#include <gtest/gtest.h>

#include <cstring>

#include "net/numeric_address.h"

namespace {

TEST(Win32NumericAddress, ParsesOnlyPlainDottedQuads) {
  struct Case {
    const char *text;
    bool ok;
    uint8_t bytes[4];
  };
  const Case cases[] = {
      {"127.77.60.1", true, {127, 77, 60, 1}},   {"0.0.0.0", true, {0, 0, 0, 0}},
      {"255.255.255.255", true, {255, 255, 255, 255}},
      {"192.168.1.20", true, {192, 168, 1, 20}}, {"256.1.1.1", false, {}},
      {"1.2.3", false, {}},                      {"1.2.3.4.5", false, {}},
      {"01.2.3.4", false, {}},                   {"1..3.4", false, {}},
      {"1.2.3.4 ", false, {}},                   {"", false, {}},
      {"1.2.3.-4", false, {}},                   {"99999999999.1.1.1", false, {}},
      {"::1", false, {}},                        {"printer.example", false, {}},
  };
  for (const Case &c : cases) {
    sockaddr_storage out{};
    TqcSockLen length = 0;
    ASSERT_EQ(tqc_parse_numeric_address(c.text, &out, &length), c.ok) << c.text;
    if (!c.ok) continue;
    const auto *in = reinterpret_cast<const sockaddr_in *>(&out);
    EXPECT_EQ(in->sin_family, AF_INET);
    EXPECT_EQ(in->sin_port, 0);
    EXPECT_EQ(length, static_cast<TqcSockLen>(sizeof(sockaddr_in)));
    EXPECT_EQ(std::memcmp(&in->sin_addr, c.bytes, 4), 0) << c.text;
  }
  EXPECT_FALSE(tqc_parse_numeric_address(nullptr, nullptr, nullptr));
}

TEST(Win32NumericAddress, FormatsIPv4AndDeclinesTheRest) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  const uint8_t bytes[4] = {10, 0, 255, 7};
  std::memcpy(&in.sin_addr, bytes, 4);
  char text[16];
  ASSERT_TRUE(tqc_format_numeric_address(reinterpret_cast<sockaddr *>(&in), text, sizeof text));
  EXPECT_STREQ(text, "10.0.255.7");
  char small[8];
  EXPECT_FALSE(tqc_format_numeric_address(reinterpret_cast<sockaddr *>(&in), small, sizeof small));
  sockaddr_in6 in6{};
  in6.sin6_family = AF_INET6;
  EXPECT_FALSE(tqc_format_numeric_address(reinterpret_cast<sockaddr *>(&in6), text, sizeof text));
}

}  // namespace
