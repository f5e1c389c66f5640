// The IPv6 text routine and the route choice over fixed tables.
#include <gtest/gtest.h>

#include <string>

#include "net/address_service.h"
#include "net/ipv4_text.h"
#include "net/route_finder.h"
#include "qmr.h"

namespace {

std::string hex(const uint8_t *bytes) {
  std::string out;
  char two[3];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(two, sizeof two, "%02x", bytes[i]);
    out += two;
  }
  return out;
}

TEST(Ipv6Text, ExpandsDoubleColon) {
  uint8_t bytes[16];
  ASSERT_EQ(tqc_ipv6_text_to_bytes("fe80::1", bytes), QMR_OK);
  EXPECT_EQ(hex(bytes), "fe800000000000000000000000000001");
  ASSERT_EQ(tqc_ipv6_text_to_bytes("::1", bytes), QMR_OK);
  EXPECT_EQ(hex(bytes), "00000000000000000000000000000001");
  ASSERT_EQ(tqc_ipv6_text_to_bytes("1:2:3:4:5:6:7:8", bytes), QMR_OK);
  EXPECT_EQ(hex(bytes), "00010002000300040005000600070008");
  ASSERT_EQ(tqc_ipv6_text_to_bytes("ff02::1:2", bytes), QMR_OK);
  EXPECT_EQ(hex(bytes), "ff020000000000000000000000010002");
  ASSERT_EQ(tqc_ipv6_text_to_bytes("1:2:3:4:5:6::8", bytes), QMR_OK);
  EXPECT_EQ(hex(bytes), "00010002000300040005000600000008");
}

TEST(Ipv6Text, RefusesBadTextsWithoutOverrun) {
  uint8_t bytes[16];
  EXPECT_EQ(tqc_ipv6_text_to_bytes("fe80::", bytes), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqc_ipv6_text_to_bytes(nullptr, bytes), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqc_ipv6_text_to_bytes("1:2:3", bytes), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqc_ipv6_text_to_bytes("::ffff:192.0.2.1", bytes), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqc_ipv6_text_to_bytes("1:2:3:4:5:6:7:8junk", bytes), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqc_ipv6_text_to_bytes("10000::1", bytes), QMR_E_INVALID_ARG);
  // Long groups around "::" expand past the 43-character working text.
  std::string long_text = "00000000000000000000ff02::0000000000000000000001";
  EXPECT_EQ(tqc_ipv6_text_to_bytes(long_text.c_str(), bytes), QMR_E_INVALID_ARG);
  std::string very_long(4096, '1');
  very_long += "::1";
  EXPECT_EQ(tqc_ipv6_text_to_bytes(very_long.c_str(), bytes), QMR_E_INVALID_ARG);
}

TEST(Ipv4Numbers, MostSignificantFirst) {
  uint32_t number = 0;
  ASSERT_TRUE(tqc_ipv4_text_to_number("192.168.1.20", &number));
  EXPECT_EQ(number, 0xC0A80114u);
  char text[16];
  tqc_ipv4_number_to_text(0xC0A80114u, text);
  EXPECT_STREQ(text, "192.168.1.20");
  EXPECT_FALSE(tqc_ipv4_text_to_number("fe80::1", &number));
}

class RouteChoice : public ::testing::Test {
 protected:
  const std::vector<TqcRouteEntry> routes = {
      {0x00000000u, 0x00000000u, 1},  // default
      {0x0A000000u, 0xFF000000u, 2},  // 10/8
      {0x0A010000u, 0xFFFF0000u, 3},  // 10.1/16
      {0x0A010203u, 0xFFFFFFFFu, 4},  // host 10.1.2.3
      {0xC0A80100u, 0xFFFFFF00u, 5},  // 192.168.1/24
  };
  const std::vector<TqcInterfaceAddressEntry> addresses = {
      {1, 0xC6336401u}, {2, 0x0A000001u}, {3, 0x0A010001u}, {4, 0x0A7F0001u}, {5, 0xC0A80101u}};
  int32_t chosen(uint32_t destination) {
    int32_t index = -1;
    EXPECT_EQ(tqc_choose_route(routes, destination, &index), QMR_OK);
    return index;
  }
};

TEST_F(RouteChoice, ExactLongestThenDefault) {
  EXPECT_EQ(chosen(0x0A010203u), 4);  // exact host route
  EXPECT_EQ(chosen(0x0A010204u), 3);  // /16 beats /8
  EXPECT_EQ(chosen(0x0A020304u), 2);
  EXPECT_EQ(chosen(0xC0A80114u), 5);
  EXPECT_EQ(chosen(0x08080808u), 1);  // default route
  uint32_t source = 0;
  ASSERT_EQ(tqc_choose_source(routes, addresses, 0xC0A80114u, &source), QMR_OK);
  EXPECT_EQ(source, 0xC0A80101u);
}

TEST_F(RouteChoice, NoRouteAndInterfaceWithoutAddress) {
  std::vector<TqcRouteEntry> lan_only = {{0xC0A80100u, 0xFFFFFF00u, 5}, {0x0A000000u, 0xFF000000u, 9}};
  int32_t index = 0;
  EXPECT_EQ(tqc_choose_route(lan_only, 0x08080808u, &index), QMR_E_FAILED);
  uint32_t source = 0;
  EXPECT_EQ(tqc_choose_source(lan_only, addresses, 0x08080808u, &source), QMR_E_FAILED);
  EXPECT_EQ(tqc_choose_source(lan_only, addresses, 0x0A000005u, &source), QMR_E_INVALID_ARG);
  EXPECT_EQ(tqc_choose_route({}, 0x0A000005u, &index), QMR_E_FAILED);
}

TEST(RouteFinder, RefusesWhatItCannotRoute) {
  CTqcRouteFinder *finder = CTqcRouteFinder::instance();
  ASSERT_NE(finder, nullptr);
  ITqcNetworkAddress *source = nullptr;
  EXPECT_EQ(finder->source_address_for(nullptr, &source), QMR_E_INVALID_ARG);
  ITqcNetworkAddress *ipx = tqc_create_network_address("0123abcd:0123456789ab", 0);
  ASSERT_NE(ipx, nullptr);
  EXPECT_EQ(finder->source_address_for(ipx, &source), QMR_E_NOT_SUPPORTED);
  ipx->release();
  ITqcNetworkAddress *odd = tqc_create_network_address();
  odd->set("not an address", ITqcNetworkAddress::IPv4, 161);
  EXPECT_EQ(finder->source_address_for(odd, &source), QMR_E_INVALID_ARG);
  odd->release();
  EXPECT_EQ(source, nullptr);
}

}  // namespace
