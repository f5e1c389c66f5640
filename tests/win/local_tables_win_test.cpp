// The local tables from the system's two sources (wine's iphlpapi.dll and
// inetmib1.dll in the test run): the agent's structures as the system lays
// them out, its GlobalAlloc'ed buffers, and the IP helper rows converted
// to the library's layout.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <tuple>

#include "qmr.h"
#include "session/local/local_interface_provider.h"
#include "session/local/local_system_types.h"

namespace {

template <typename List>
struct Owned {
  List *list;
  ~Owned() {
    if (list != nullptr) list->release();
  }
};

constexpr uint32_t kLoopbackAddress = 0x7F000001;  // 127.0.0.1
constexpr uint32_t kLoopbackMask = 0xFF000000;
constexpr int32_t kLoopbackType = 24;

using AddressKey = std::tuple<uint32_t, uint32_t, int32_t>;

std::set<AddressKey> addresses_of(CTqcLocalInterfaceProvider &provider) {
  int32_t rc = -99;
  Owned<CTqcLocalAddressList> list{provider.address_table(&rc)};
  EXPECT_EQ(rc, QMR_OK);
  std::set<AddressKey> keys;
  if (list.list == nullptr) return keys;
  for (uint32_t i = 0; i < list.list->count(); ++i) {
    const TqcLocalAddressRecord &r = list.list->at(i);
    keys.insert({r.address, r.mask, r.if_index});
  }
  return keys;
}

class Win32LocalTables : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(helper.select_backend(CTqcLocalInterfaceProvider::kIpHelper), QMR_OK);
    ASSERT_EQ(agent.select_backend(CTqcLocalInterfaceProvider::kExtensionAgent), QMR_OK);
  }
  CTqcLocalInterfaceProvider helper;
  CTqcLocalInterfaceProvider agent;
};

TEST_F(Win32LocalTables, LoopbackAddressInBothSources) {
  std::set<AddressKey> from_helper = addresses_of(helper);
  std::set<AddressKey> from_agent = addresses_of(agent);
  ASSERT_FALSE(from_helper.empty());
  EXPECT_EQ(from_helper, from_agent);
  bool loopback = false;
  for (const AddressKey &k : from_helper) loopback |= std::get<0>(k) == kLoopbackAddress && std::get<1>(k) == kLoopbackMask;
  EXPECT_TRUE(loopback) << "127.0.0.1/8 as 0x7F000001";
}

TEST_F(Win32LocalTables, InterfacesAgreeIncludingDescriptions) {
  int32_t rc = -99;
  Owned<CTqcLocalInterfaceList> from_helper{helper.interface_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  Owned<CTqcLocalInterfaceList> from_agent{agent.interface_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_EQ(from_helper.list->count(), from_agent.list->count());
  bool loopback = false;
  for (uint32_t i = 0; i < from_helper.list->count(); ++i) {
    const TqcLocalInterfaceRecord &h = from_helper.list->at(i);
    const TqcLocalInterfaceRecord &a = from_agent.list->at(i);
    EXPECT_EQ(h.if_index, a.if_index);
    EXPECT_EQ(h.if_type, a.if_type);
    EXPECT_EQ(h.description, a.description);
    EXPECT_EQ(h.description.find('\0'), std::string::npos);
    loopback |= h.if_type == kLoopbackType;
  }
  EXPECT_TRUE(loopback);
  EXPECT_EQ(helper.interface_count(&rc), static_cast<int32_t>(from_helper.list->count()));
  EXPECT_EQ(rc, QMR_OK);
}

TEST_F(Win32LocalTables, RoutesAgree) {
  int32_t rc = -99;
  Owned<CTqcLocalRouteList> from_helper{helper.route_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  Owned<CTqcLocalRouteList> from_agent{agent.route_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  using RouteKey = std::tuple<uint32_t, uint32_t, uint32_t, int32_t>;
  std::set<RouteKey> h, a;
  for (uint32_t i = 0; i < from_helper.list->count(); ++i) {
    const TqcLocalRouteRecord &r = from_helper.list->at(i);
    h.insert({r.destination, r.mask, r.next_hop, r.if_index});
  }
  for (uint32_t i = 0; i < from_agent.list->count(); ++i) {
    const TqcLocalRouteRecord &r = from_agent.list->at(i);
    a.insert({r.destination, r.mask, r.next_hop, r.if_index});
  }
  EXPECT_FALSE(h.empty());
  EXPECT_EQ(h, a);
}

TEST(Win32GlobalHeap, AgentBuffersAreZeroFilledGlobalMemory) {
  auto *ids = static_cast<uint32_t *>(tqc_global_alloc(64 * sizeof(uint32_t)));
  ASSERT_NE(ids, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(ids[i], 0u);
  EXPECT_NE(GlobalSize(ids), 0u);  // a global-heap block of at least the size asked
  EXPECT_GE(GlobalSize(ids), 64 * sizeof(uint32_t));
  tqc_global_free(ids);
  tqc_global_free(nullptr);
}

}  // namespace
