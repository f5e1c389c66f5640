// The local interface provider with both sources, on this host's tables
// and against simulated system libraries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "net/address_service.h"
#include "net/module_loader.h"
#include "qmr.h"
#include "session/local/local_interface_provider.h"
#include "session/local/local_system_types.h"
#include "support/net_filtering_loader.h"

namespace {

class LocalTables : public ::testing::Test {
 protected:
  void SetUp() override { tqc_set_module_loader(&libraries); }
  void TearDown() override { tqc_set_module_loader(nullptr); }
  CFilteringLoader libraries;
};

template <typename List>
struct Owned {
  List *list;
  ~Owned() {
    if (list != nullptr) list->release();
  }
};

TEST_F(LocalTables, BothSourcesAgreeOnThisHost) {
  CTqcLocalInterfaceProvider helper;
  CTqcLocalInterfaceProvider agent;
  ASSERT_EQ(helper.select_backend(CTqcLocalInterfaceProvider::kIpHelper), QMR_OK);
  ASSERT_EQ(agent.select_backend(CTqcLocalInterfaceProvider::kExtensionAgent), QMR_OK);
  int32_t rc = -99;
  Owned<CTqcLocalInterfaceList> if_helper{helper.interface_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  Owned<CTqcLocalInterfaceList> if_agent{agent.interface_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_GE(if_helper.list->count(), 1u);  // loopback at least
  ASSERT_EQ(if_helper.list->count(), if_agent.list->count());
  bool has_loopback = false;
  for (uint32_t i = 0; i < if_helper.list->count(); ++i) {
    EXPECT_EQ(if_helper.list->at(i).description, if_agent.list->at(i).description);
    EXPECT_EQ(if_helper.list->at(i).if_index, if_agent.list->at(i).if_index);
    EXPECT_EQ(if_helper.list->at(i).if_type, if_agent.list->at(i).if_type);
    if (if_helper.list->at(i).description == "lo") has_loopback = if_helper.list->at(i).if_type == 24;
  }
  EXPECT_TRUE(has_loopback);
  EXPECT_EQ(helper.interface_count(&rc), static_cast<int32_t>(if_helper.list->count()));
  EXPECT_EQ(agent.interface_count(&rc), static_cast<int32_t>(if_helper.list->count()));

  Owned<CTqcLocalAddressList> a_helper{helper.address_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  Owned<CTqcLocalAddressList> a_agent{agent.address_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_EQ(a_helper.list->count(), a_agent.list->count());
  bool has_127 = false;
  for (uint32_t i = 0; i < a_helper.list->count(); ++i) {
    const TqcLocalAddressRecord &h = a_helper.list->at(i);
    const TqcLocalAddressRecord &g = a_agent.list->at(i);
    EXPECT_EQ(h.address, g.address);
    EXPECT_EQ(h.mask, g.mask);
    EXPECT_EQ(h.if_index, g.if_index);
    EXPECT_EQ(h.broadcast, g.broadcast);
    if (h.address == 0x7F000001u) has_127 = h.mask == 0xFF000000u;
  }
  EXPECT_TRUE(has_127);

  Owned<CTqcLocalRouteList> r_helper{helper.route_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  Owned<CTqcLocalRouteList> r_agent{agent.route_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  // The MIB-II route table keeps one route per destination.
  std::vector<TqcLocalRouteRecord> unique;
  for (const TqcLocalRouteRecord &r : r_helper.list->records()) {
    if (std::none_of(unique.begin(), unique.end(), [&](const TqcLocalRouteRecord &u) {
          return u.destination == r.destination;
        })) {
      unique.push_back(r);
    }
  }
  ASSERT_EQ(unique.size(), r_agent.list->count());
  for (uint32_t i = 0; i < r_agent.list->count(); ++i) {
    EXPECT_EQ(unique[i].destination, r_agent.list->at(i).destination);
    EXPECT_EQ(unique[i].mask, r_agent.list->at(i).mask);
    EXPECT_EQ(unique[i].next_hop, r_agent.list->at(i).next_hop);
    EXPECT_EQ(unique[i].if_index, r_agent.list->at(i).if_index);
    EXPECT_EQ(unique[i].route_type, r_agent.list->at(i).route_type);
  }
}

TEST_F(LocalTables, SelectionRules) {
  CTqcLocalInterfaceProvider provider;
  int32_t rc = 0;
  EXPECT_EQ(provider.route_table(&rc), nullptr);
  EXPECT_EQ(rc, QMR_E_NO_DEVICE);
  EXPECT_EQ(provider.interface_count(&rc), 0);
  EXPECT_EQ(rc, QMR_E_NO_DEVICE);
  EXPECT_EQ(provider.select_backend(3), QMR_E_INVALID_ARG);

  libraries.hidden = {"GetIfTable"};
  EXPECT_EQ(provider.select_backend(CTqcLocalInterfaceProvider::kIpHelper), QMR_E_SYSTEM_LIBRARY);
  EXPECT_EQ(provider.address_table(&rc), nullptr);
  EXPECT_EQ(rc, QMR_E_NO_DEVICE);
  // Automatic falls back to the extension agent.
  ASSERT_EQ(provider.select_backend(CTqcLocalInterfaceProvider::kAutomatic), QMR_OK);
  Owned<CTqcLocalInterfaceList> interfaces{provider.interface_table(&rc)};
  EXPECT_EQ(rc, QMR_OK);
  ASSERT_NE(interfaces.list, nullptr);
  EXPECT_GE(interfaces.list->count(), 1u);

  CTqcLocalInterfaceProvider none;
  libraries.hidden = {"GetIfTable", "SnmpExtensionTrap"};
  EXPECT_EQ(none.select_backend(CTqcLocalInterfaceProvider::kAutomatic), QMR_E_SYSTEM_LIBRARY);
}

// A fixed IP helper address table holding 192.168.1.20/24 on interface 7.
uint32_t fixed_address_table(TqcIpAddrTable *table, uint32_t *size, int32_t) {
  if (table == nullptr || *size < tqc_table_size<TqcIpAddrTable>(1)) {
    *size = static_cast<uint32_t>(tqc_table_size<TqcIpAddrTable>(1));
    return kTqcLocalErrorInsufficientBuffer;
  }
  const uint8_t address[4] = {192, 168, 1, 20};
  const uint8_t mask[4] = {255, 255, 255, 0};
  table->count = 1;
  std::memcpy(&table->rows[0].address, address, 4);
  std::memcpy(&table->rows[0].mask, mask, 4);
  table->rows[0].index = 7;
  table->rows[0].broadcast = 1;
  return kTqcLocalErrorSuccess;
}

uint32_t failing_forward_table(TqcIpForwardTable *, uint32_t *size, int32_t) {
  *size = 0;
  return 31;
}

void *fixed_helper(const char *name) {
  if (std::strcmp(name, "GetIpAddrTable") == 0) return reinterpret_cast<void *>(&fixed_address_table);
  if (std::strcmp(name, "GetIpForwardTable") == 0) return reinterpret_cast<void *>(&failing_forward_table);
  return nullptr;
}

TEST_F(LocalTables, IpHelperRowsBecomeNumbers) {
  libraries.replacement = &fixed_helper;
  CTqcLocalInterfaceProvider provider;
  ASSERT_EQ(provider.select_backend(CTqcLocalInterfaceProvider::kIpHelper), QMR_OK);
  int32_t rc = 0;
  Owned<CTqcLocalAddressList> addresses{provider.address_table(&rc)};
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_EQ(addresses.list->count(), 1u);
  EXPECT_EQ(addresses.list->at(0).address, 0xC0A80114u);
  EXPECT_EQ(addresses.list->at(0).mask, 0xFFFFFF00u);
  EXPECT_EQ(addresses.list->at(0).if_index, 7);
  EXPECT_EQ(provider.route_table(&rc), nullptr);
  EXPECT_EQ(rc, QMR_E_SYSTEM_LIBRARY);
}

// Simulated agents for the walk's end conditions.
int32_t answer_outside(uint8_t, TqcSnmpVarBindList *list, int32_t *status, int32_t *index) {
  // ipNetToMediaTable follows the route table: the walk is over at once.
  static const uint32_t kOutside[] = {1, 3, 6, 1, 2, 1, 4, 22, 1, 1, 1};
  *status = 0;
  *index = 0;
  for (uint32_t i = 0; i < list->length; ++i) {
    auto *ids = static_cast<uint32_t *>(tqc_global_alloc(sizeof kOutside));
    std::memcpy(ids, kOutside, sizeof kOutside);
    tqc_global_free(list->list[i].name.ids);
    list->list[i].name = {11, ids};
    list->list[i].value.type = kTqcAsnInteger;
    list->list[i].value.value.number = 1;
  }
  return 1;
}

int32_t answer_unchanged(uint8_t, TqcSnmpVarBindList *list, int32_t *status, int32_t *index) {
  *status = 0;
  *index = 0;
  for (uint32_t i = 0; i < list->length; ++i) list->list[i].value.type = kTqcAsnInteger;
  return 1;
}

int32_t refuse(uint8_t, TqcSnmpVarBindList *, int32_t *, int32_t *) { return 0; }

void *agent_outside(const char *name) {
  return std::strcmp(name, "SnmpExtensionQuery") == 0 ? reinterpret_cast<void *>(&answer_outside) : nullptr;
}
void *agent_unchanged(const char *name) {
  return std::strcmp(name, "SnmpExtensionQuery") == 0 ? reinterpret_cast<void *>(&answer_unchanged) : nullptr;
}
void *agent_refusing(const char *name) {
  return std::strcmp(name, "SnmpExtensionQuery") == 0 ? reinterpret_cast<void *>(&refuse) : nullptr;
}

TEST_F(LocalTables, AgentWalkEnds) {
  int32_t rc = -99;
  libraries.replacement = &agent_outside;
  CTqcLocalInterfaceProvider outside;
  ASSERT_EQ(outside.select_backend(CTqcLocalInterfaceProvider::kExtensionAgent), QMR_OK);
  Owned<CTqcLocalRouteList> empty{outside.route_table(&rc)};
  EXPECT_EQ(rc, QMR_OK);
  ASSERT_NE(empty.list, nullptr);
  EXPECT_EQ(empty.list->count(), 0u);

  // An agent that never moves forward must not make the walk endless.
  libraries.replacement = &agent_unchanged;
  CTqcLocalInterfaceProvider stuck;
  ASSERT_EQ(stuck.select_backend(CTqcLocalInterfaceProvider::kExtensionAgent), QMR_OK);
  EXPECT_EQ(stuck.address_table(&rc), nullptr);
  EXPECT_EQ(rc, QMR_E_SYSTEM_LIBRARY);

  libraries.replacement = &agent_refusing;
  CTqcLocalInterfaceProvider refused;
  ASSERT_EQ(refused.select_backend(CTqcLocalInterfaceProvider::kExtensionAgent), QMR_OK);
  EXPECT_EQ(refused.interface_table(&rc), nullptr);
  EXPECT_EQ(rc, QMR_E_SYSTEM_LIBRARY);
  EXPECT_EQ(refused.interface_count(&rc), 0);
  EXPECT_EQ(rc, QMR_E_SYSTEM_LIBRARY);
}

TEST(LocalRouteSource, SourceAddressThroughTheRouteFinder) {
  // The library handle hands the source over; here the test does.
  ITqcRouteTableSource *before = tqc_set_route_table_source(tqc_local_route_source());
  ITqcAddressService *service = tqc_address_service();
  ASSERT_NE(service, nullptr);
  ITqcNetworkAddress *destination = tqc_create_network_address("127.77.0.1", 161);
  ITqcNetworkAddress *source = nullptr;
  ASSERT_EQ(service->source_address_for(destination, &source), QMR_OK);
  EXPECT_STREQ(source->get_address(), "127.0.0.1");
  EXPECT_EQ(source->get_port(), 161);
  EXPECT_EQ(source->get_protocol(), ITqcNetworkAddress::IPv4);
  source->release();
  destination->release();
  tqc_set_route_table_source(before);
}

}  // namespace
