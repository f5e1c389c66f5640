// The socket and IP helper bindings against simulated system libraries,
// and the adapter questions of the address service on this host.
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "net/adapter_list.h"
#include "net/address_service.h"
#include "net/addrinfo_service.h"
#include "net/ip_helper_api.h"
#include "net/module_loader.h"
#include "net/octet_buffer.h"
#include "net/socket_api.h"
#include "qmr.h"
#include "support/net_filtering_loader.h"

namespace {

// Installs a loader for one test and rebinds the real libraries after it.
class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(NTqcSocketAPI::load_library(), QMR_OK);
    ASSERT_EQ(NTqcIpHelpAPI::load(), QMR_OK);
    // The socket library is also offered under its fallback name.
    loader.alias_from = kTqcSocketLibraryFallbackName;
    loader.alias_to = kTqcSocketLibraryName;
    tqc_set_module_loader(&loader);
  }
  void TearDown() override {
    tqc_set_module_loader(nullptr);
    ITqcModuleLoader *real = tqc_platform_module_loader();
    EXPECT_EQ(NTqcSocketAPI::set_api(kept(real->open(kTqcSocketLibraryName))), QMR_OK);
    EXPECT_EQ(NTqcIpHelpAPI::set_api(kept(real->open(kTqcIpHelperLibraryName))), QMR_OK);
    EXPECT_TRUE(NTqcSocketAPI::has_protocol_independent_api());
    // Binding does not take the module over. The entry points stay valid
    // after these handles close: the library's own load keeps them loaded.
    for (void *module : opened) real->close(module);
  }
  void *kept(void *module) {
    if (module != nullptr) opened.push_back(module);
    return module;
  }
  void *open_fallback() { return kept(loader.open(kTqcSocketLibraryFallbackName)); }
  CFilteringLoader loader;
  std::vector<void *> opened;
};

TEST_F(BindingTest, LibraryWithoutResolverBindsTheRequiredSet) {
  loader.hidden = {"getaddrinfo", "getnameinfo", "freeaddrinfo"};
  ASSERT_EQ(NTqcSocketAPI::set_api(open_fallback()), QMR_OK);
  EXPECT_FALSE(NTqcSocketAPI::has_protocol_independent_api());
  EXPECT_NE(NTqcSocketAPI::api().p_recvfrom, nullptr);
  EXPECT_NE(NTqcSocketAPI::api().p_WSAFDIsSet, nullptr);
}

TEST_F(BindingTest, ResolverNeedsAllThreeFunctions) {
  loader.hidden = {"getnameinfo"};
  ASSERT_EQ(NTqcSocketAPI::set_api(open_fallback()), QMR_OK);
  EXPECT_FALSE(NTqcSocketAPI::has_protocol_independent_api());
  EXPECT_NE(NTqcSocketAPI::api().p_getaddrinfo, nullptr);
}

TEST_F(BindingTest, MissingRequiredFunctionFails) {
  loader.hidden = {"select"};
  EXPECT_EQ(NTqcSocketAPI::set_api(open_fallback()), QMR_E_FAILED);
  // An optional function missing for another reason is an error as well.
  loader.hidden = {"freeaddrinfo"};
  loader.hidden_error = 5;
  EXPECT_EQ(NTqcSocketAPI::set_api(open_fallback()), QMR_E_FAILED);
}

TEST_F(BindingTest, StartAndCleanupPair) {
  EXPECT_EQ(NTqcSocketAPI::startup_1_1(), QMR_OK);
  EXPECT_EQ(NTqcSocketAPI::startup_2_2(), QMR_OK);
  NTqcSocketAPI::cleanup();
  NTqcSocketAPI::cleanup();
  // One cleanup too many is refused by the library, not counted below zero.
  EXPECT_NE(NTqcSocketAPI::api().p_WSACleanup(), 0);
}

uint32_t no_adapter_data(TqcAdapterInfo *, uint32_t *) { return kTqcErrorNoData; }

uint32_t loopback_and_unnumbered(TqcAdapterInfo *buffer, uint32_t *size) {
  if (buffer == nullptr || *size < 2 * sizeof(TqcAdapterInfo)) {
    *size = 2 * sizeof(TqcAdapterInfo);
    return kTqcErrorBufferOverflow;
  }
  std::memset(buffer, 0, 2 * sizeof(TqcAdapterInfo));
  buffer[0] = {&buffer[1], 1, kTqcIfTypeLoopback, 6, {}, "127.0.0.1"};
  buffer[1] = {nullptr, 2, kTqcIfTypeEthernet, 6, {0x02, 0, 0, 0, 0, 1}, "0.0.0.0"};
  return kTqcErrorSuccess;
}

void *fake_no_data(const char *name) {
  return std::strcmp(name, "GetAdaptersInfo") == 0 ? reinterpret_cast<void *>(&no_adapter_data) : nullptr;
}

void *fake_unnumbered(const char *name) {
  return std::strcmp(name, "GetAdaptersInfo") == 0 ? reinterpret_cast<void *>(&loopback_and_unnumbered) : nullptr;
}

TEST_F(BindingTest, IPv4AvailabilityTrustsTheAdapterList) {
  CTqcAddrInfoService service;
  bool available = true;
  // No adapters at all: not available, and no socket test (which would
  // succeed on this host).
  loader.replacement = &fake_no_data;
  ASSERT_EQ(NTqcIpHelpAPI::set_api(kept(loader.open(kTqcIpHelperLibraryName))), QMR_OK);
  ASSERT_EQ(service.is_transport_available(ITqcNetworkAddress::IPv4, &available), QMR_OK);
  EXPECT_FALSE(available);
  int32_t count = -1;
  EXPECT_EQ(service.adapter_count(ITqcNetworkAddress::IPv4, &count), QMR_E_OUT_OF_RANGE);

  loader.replacement = &fake_unnumbered;
  ASSERT_EQ(NTqcIpHelpAPI::set_api(kept(loader.open(kTqcIpHelperLibraryName))), QMR_OK);
  available = true;
  ASSERT_EQ(service.is_transport_available(ITqcNetworkAddress::IPv4, &available), QMR_OK);
  EXPECT_FALSE(available);
  ASSERT_EQ(service.adapter_count(ITqcNetworkAddress::IPv4, &count), QMR_OK);
  EXPECT_EQ(count, 1);
  bool found = false;
  ASSERT_EQ(service.is_local_mac("02-00-00-00-00-01", &found), QMR_OK);
  EXPECT_TRUE(found);

  // Without the function the socket test decides.
  loader.replacement = nullptr;
  loader.hidden = {"GetAdaptersInfo"};
  ASSERT_EQ(NTqcIpHelpAPI::set_api(kept(loader.open(kTqcIpHelperLibraryName))), QMR_OK);
  available = false;
  ASSERT_EQ(service.is_transport_available(ITqcNetworkAddress::IPv4, &available), QMR_OK);
  EXPECT_TRUE(available);
  EXPECT_EQ(service.adapter_count(ITqcNetworkAddress::IPv4, &count), QMR_E_SYSTEM_LIBRARY);
}

TEST_F(BindingTest, MissingBestInterfaceOnlyStopsIPv6SourceChoice) {
  loader.hidden = {"GetBestInterfaceEx"};
  ASSERT_EQ(NTqcIpHelpAPI::set_api(kept(loader.open(kTqcIpHelperLibraryName))), QMR_OK);
  EXPECT_EQ(NTqcIpHelpAPI::api().p_GetBestInterfaceEx, nullptr);
  CTqcAddrInfoService service;
  ITqcNetworkAddress *destination = tqc_create_network_address("::1", 161);
  ITqcNetworkAddress *source = nullptr;
  EXPECT_EQ(service.source_address_for(destination, &source), QMR_E_NOT_SUPPORTED);
  destination->release();
  int32_t count = -1;
  EXPECT_EQ(service.adapter_count(ITqcNetworkAddress::IPv6, &count), QMR_OK);
  EXPECT_GE(count, 0);
}

// Facts about this host read without the library.
struct HostFacts {
  bool ipv6 = false;            // a non-loopback, non-tunnel IPv6 address that is up
  std::string ipv4_interface;  // first up non-loopback interface with IPv4
  std::string ipv4_address;
};

HostFacts host_facts() {
  HostFacts facts;
  std::ifstream inet6("/proc/net/if_inet6");
  std::string address, index, prefix, scope, flags, name;
  while (inet6 >> address >> index >> prefix >> scope >> flags >> name) {
    if (name == "lo") continue;
    std::ifstream type("/sys/class/net/" + name + "/type");
    int arp = 0;
    type >> arp;
    if (arp == 1) facts.ipv6 = true;  // Ethernet
  }
  ifaddrs *list = nullptr;
  if (getifaddrs(&list) == 0) {
    for (ifaddrs *a = list; a != nullptr; a = a->ifa_next) {
      if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET || (a->ifa_flags & IFF_LOOPBACK) != 0 ||
          (a->ifa_flags & IFF_UP) == 0 || !facts.ipv4_interface.empty()) {
        continue;
      }
      char text[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(a->ifa_addr)->sin_addr, text, sizeof text);
      facts.ipv4_interface = a->ifa_name;
      facts.ipv4_address = text;
    }
    freeifaddrs(list);
  }
  return facts;
}

TEST(TransportAvailable, AnswersForThisHost) {
  HostFacts facts = host_facts();
  bool available = false;
  ASSERT_EQ(tqc_is_transport_available(ITqcNetworkAddress::IPv4, &available), QMR_OK);
  EXPECT_TRUE(available);
  ASSERT_EQ(tqc_is_transport_available(ITqcNetworkAddress::IPv6, &available), QMR_OK);
  EXPECT_EQ(available, facts.ipv6);
  available = true;
  ASSERT_EQ(tqc_is_transport_available(ITqcNetworkAddress::IPX, &available), QMR_OK);
  EXPECT_FALSE(available);
  available = true;
  ASSERT_EQ(tqc_is_transport_available(static_cast<EProtocol>(3), &available), QMR_OK);
  EXPECT_FALSE(available);
  EXPECT_EQ(tqc_is_transport_available(ITqcNetworkAddress::IPv4, nullptr), QMR_E_INVALID_ARG);
}

TEST(AdapterQuestions, MacOfAddressMatchesTheKernel) {
  HostFacts facts = host_facts();
  if (facts.ipv4_interface.empty()) GTEST_SKIP() << "no IPv4 interface besides loopback";
  std::ifstream sys("/sys/class/net/" + facts.ipv4_interface + "/address");
  std::string expected;
  sys >> expected;
  for (char &c : expected) c = c == ':' ? '-' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ITqcAddressService *service = tqc_address_service();
  ASSERT_NE(service, nullptr);
  ITqsOctetBuffer *mac = nullptr;
  ASSERT_EQ(service->mac_of_address(ITqcNetworkAddress::IPv4, facts.ipv4_address.c_str(), &mac), QMR_OK);
  EXPECT_STREQ(mac->c_str(), expected.c_str());
  mac->release();
  bool found = false;
  ASSERT_EQ(service->is_local_mac(expected.c_str(), &found), QMR_OK);
  EXPECT_TRUE(found);
  ASSERT_EQ(service->is_local_mac("00-00-5E-00-53-99", &found), QMR_OK);
  EXPECT_FALSE(found);
  EXPECT_EQ(service->mac_of_address(ITqcNetworkAddress::IPv4, "203.0.113.250", &mac), QMR_E_OUT_OF_RANGE);
  EXPECT_EQ(service->mac_of_address(ITqcNetworkAddress::IPX, "", &mac), QMR_E_INVALID_ARG);
}

TEST(AdapterQuestions, IPv6SourceTowardLoopback) {
  ITqcAddressService *service = tqc_address_service();
  ITqcNetworkAddress *destination = tqc_create_network_address("::1", 161);
  ITqcNetworkAddress *source = nullptr;
  ASSERT_EQ(service->source_address_for(destination, &source), QMR_OK);
  EXPECT_STREQ(source->get_address(), "::1");
  EXPECT_EQ(source->get_port(), 161);
  EXPECT_EQ(source->get_protocol(), ITqcNetworkAddress::IPv6);
  source->release();
  destination->release();
  EXPECT_EQ(service->source_address_for(nullptr, &source), QMR_E_INVALID_ARG);
}

}  // namespace
