// Which broadcast answers count: the IPX network rule and the responder set,
// checked against the address comparison it stands in for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "session/find_device_responders.h"

namespace {

TqcOwned<ITqcNetworkAddress> address(const char *text, EProtocol protocol, uint16_t port) {
  return TqcOwned<ITqcNetworkAddress>(tqc_make_network_address(text, protocol, port));
}

constexpr EProtocol kIpx = ITqcNetworkAddress::IPX;

}  // namespace

TEST(BroadcastAcceptance, IpxAnswersMustComeFromTheAskedNetwork) {
  auto to_a = address("0000000a:ffffffffffff", kIpx, 0x900F);
  auto to_any = address("00000000:ffffffffffff", kIpx, 0x900F);
  auto from_a = address("0000000a:0000c0ffee01", kIpx, 0x900F);
  auto from_b = address("0000000b:0000c0ffee02", kIpx, 0x900F);
  EXPECT_TRUE(tqc_broadcast_accepts(to_a.get(), from_a.get()));
  EXPECT_FALSE(tqc_broadcast_accepts(to_a.get(), from_b.get()));
  EXPECT_TRUE(tqc_broadcast_accepts(to_any.get(), from_a.get()));
  EXPECT_TRUE(tqc_broadcast_accepts(to_any.get(), from_b.get()));
  // Texts too short to hold a network number never match.
  auto stub = address("0000", kIpx, 0);
  EXPECT_FALSE(tqc_broadcast_accepts(stub.get(), from_a.get()));
  EXPECT_FALSE(tqc_broadcast_accepts(to_a.get(), stub.get()));
}

TEST(BroadcastAcceptance, IpAnswersComeFromAnywhere) {
  auto v4 = address("255.255.255.255", ITqcNetworkAddress::IPv4, 161);
  auto v6 = address("ff02::1", ITqcNetworkAddress::IPv6, 161);
  auto from4 = address("10.77.1.2", ITqcNetworkAddress::IPv4, 161);
  auto from6 = address("fe80::1%veth0", ITqcNetworkAddress::IPv6, 161);
  EXPECT_TRUE(tqc_broadcast_accepts(v4.get(), from4.get()));
  EXPECT_TRUE(tqc_broadcast_accepts(v6.get(), from6.get()));
  EXPECT_FALSE(tqc_broadcast_accepts(nullptr, from4.get()));
  EXPECT_FALSE(tqc_broadcast_accepts(v4.get(), nullptr));
}

// The set keeps exactly the answers the pairwise is_equal walk would keep,
// in the same order: spellings of one address, ports, protocols.
TEST(ResponderSet, AgreesWithPairwiseComparison) {
  struct Arrival {
    const char *text;
    EProtocol protocol;
    uint16_t port;
  };
  const EProtocol v4 = ITqcNetworkAddress::IPv4, v6 = ITqcNetworkAddress::IPv6;
  const std::vector<Arrival> arrivals = {
      {"10.77.0.1", v4, 161},      {"10.77.0.2", v4, 161},          {"10.77.0.1", v4, 161},
      {"10.77.0.1", v4, 162},      {"fd77::1", v6, 161},            {"FD77:0:0:0:0:0:0:1", v6, 161},
      {"fd77::0:1", v6, 161},      {"fd77::2", v6, 161},            {"10.77.0.3", v4, 0},
      {"10.77.0.3", v4, 5000},     {"10.77.0.4", v4, 5000},         {"10.77.0.4", v4, 0},
      {"0000000a:0000c0ffee01", kIpx, 36879}, {"0000000A:0000C0FFEE01", kIpx, 36879},
      {"10.77.0.2", v4, 161},      {"fe80::1%1", v6, 161},          {"fe80::1%1", v6, 161},
  };
  std::vector<TqcOwned<ITqcNetworkAddress>> kept_by_walk;
  std::vector<std::string> walk_order, set_order;
  CTqcResponderSet set;
  for (const Arrival &a : arrivals) {
    auto candidate = address(a.text, a.protocol, a.port);
    bool listed_by_walk = false;
    for (const auto &listed : kept_by_walk) listed_by_walk = listed_by_walk || candidate->is_equal(listed.get());
    const std::string name = std::string(a.text) + ":" + std::to_string(a.port);
    if (!listed_by_walk) {
      walk_order.push_back(name);
      kept_by_walk.push_back(address(a.text, a.protocol, a.port));
    }
    bool listed = true;
    std::string key;
    ASSERT_EQ(QMR_OK, set.contains(candidate.get(), &listed, &key)) << name;
    EXPECT_EQ(listed_by_walk, listed) << name;
    if (!listed) {
      set_order.push_back(name);
      set.insert(candidate.get(), key);
    }
  }
  EXPECT_EQ(walk_order, set_order);
  EXPECT_EQ(set_order.size(), set.size());
  EXPECT_GE(set_order.size(), 8u);
}

TEST(ResponderSet, RefusesNullArgumentsAndTextsThatAreNoAddress) {
  CTqcResponderSet set;
  bool listed = false;
  std::string key;
  auto good = address("10.77.0.1", ITqcNetworkAddress::IPv4, 161);
  EXPECT_EQ(QMR_E_INVALID_ARG, set.contains(nullptr, &listed, &key));
  EXPECT_EQ(QMR_E_INVALID_ARG, set.contains(good.get(), nullptr, &key));
  EXPECT_EQ(QMR_E_INVALID_ARG, set.contains(good.get(), &listed, nullptr));
  auto name = address("printer.example", ITqcNetworkAddress::IPv4, 161);
  EXPECT_NE(QMR_OK, set.contains(name.get(), &listed, &key));
}
