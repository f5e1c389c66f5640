// The Win32 bindings against the system's own libraries (wine's, in the
// test run): the socket library with its 29 required and 3 optional entry
// points, the start/cleanup pairing, the receive wait, and the IP helper's
// adapter lists in the library's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <iphlpapi.h>

#include "log/log_manager.h"
#include "log/log_test_support.h"
#include "net/adapter_list.h"
#include "net/ip_helper_api.h"
#include "net/module_loader.h"
#include "net/socket_api.h"
#include "net/win32/module_loader_win32.h"
#include "qmr.h"
#include "support/net_filtering_loader.h"

namespace {

constexpr size_t kBoundEntries = sizeof(TqcSocketFunctions) / sizeof(void *);

std::string module_of(void *function) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(function), &module)) {
    return "";
  }
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, sizeof path);
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  name = slash == std::string::npos ? name : name.substr(slash + 1);
  for (char &c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return name;
}

// Captures the "socket" logger and binds the real libraries again after
// each test.
class Win32Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(NTqcSocketAPI::load_library(), QMR_OK);
    manager = tqc_get_log_manager();
    ASSERT_NE(manager, nullptr);
    int32_t rc = 0;
    ITqcLogger *logger = manager->get_logger("socket", &rc);
    ASSERT_EQ(logger->add_appender(&memory), QMR_OK);
    logger->set_level_mask(kLogAll);
  }
  void TearDown() override {
    tqc_set_module_loader(nullptr);
    ITqcModuleLoader *real = tqc_platform_module_loader();
    EXPECT_EQ(NTqcSocketAPI::set_api(real->open(kTqcSocketLibraryName)), QMR_OK);
    EXPECT_TRUE(NTqcSocketAPI::has_protocol_independent_api());
    manager->reset();
  }
  bool logged(const std::string &text) { return memory.has(text); }
  CTqcLogManager *manager = nullptr;
  logtest::CMemoryAppender memory;
};

TEST_F(Win32Binding, EveryEntryComesFromTheSocketLibrary) {
  static_assert(kBoundEntries == 32, "29 required and 3 optional entry points");
  EXPECT_TRUE(NTqcSocketAPI::has_protocol_independent_api());
  const auto *entries = reinterpret_cast<void *const *>(&NTqcSocketAPI::api());
  for (size_t i = 0; i < kBoundEntries; ++i) {
    ASSERT_NE(entries[i], nullptr) << "entry " << i;
  }
  EXPECT_EQ(module_of(reinterpret_cast<void *>(NTqcSocketAPI::api().p_sendto)), "ws2_32.dll");
  EXPECT_EQ(module_of(reinterpret_cast<void *>(NTqcSocketAPI::api().p_getaddrinfo)), "ws2_32.dll");
}

TEST_F(Win32Binding, FallbackLibraryBindsTheRequiredSet) {
  // wsock32.dll is the old library: the required set, and the resolver
  // only where the system forwards it.
  ITqcModuleLoader *real = tqc_platform_module_loader();
  void *old = real->open(kTqcSocketLibraryFallbackName);
  ASSERT_NE(old, nullptr);
  ASSERT_EQ(NTqcSocketAPI::set_api(old), QMR_OK);
  int32_t error = 0;
  bool resolver = real->symbol(old, "getaddrinfo", &error) != nullptr &&
                  real->symbol(old, "getnameinfo", &error) != nullptr &&
                  real->symbol(old, "freeaddrinfo", &error) != nullptr;
  EXPECT_EQ(NTqcSocketAPI::has_protocol_independent_api(), resolver);
  EXPECT_NE(NTqcSocketAPI::api().p_WSAFDIsSet, nullptr);
  EXPECT_NE(NTqcSocketAPI::api().p_recvfrom, nullptr);
}

TEST_F(Win32Binding, MissingEntryPointsAreLoggedByName) {
  CFilteringLoader loader;
  tqc_set_module_loader(&loader);
  void *module = loader.open(kTqcSocketLibraryName);
  ASSERT_NE(module, nullptr);

  // A real look-up failure: the system's own error number is reported.
  int32_t error = 0;
  EXPECT_EQ(tqc_platform_module_loader()->symbol(module, "no_such_entry", &error), nullptr);
  EXPECT_EQ(error, kTqcProcNotFound);

  loader.hidden = {"recvfrom"};
  EXPECT_EQ(NTqcSocketAPI::set_api(module), QMR_E_FAILED);
  EXPECT_TRUE(logged("[NTqcSocketAPI::set_api] fail GetProcAddress \"recvfrom\": GetLastError()=127"));
  EXPECT_TRUE(logged("[NTqcSocketAPI::set_api] exit."));

  loader.hidden = {"getnameinfo"};
  EXPECT_EQ(NTqcSocketAPI::set_api(module), QMR_OK);
  EXPECT_FALSE(NTqcSocketAPI::has_protocol_independent_api());
  EXPECT_NE(NTqcSocketAPI::api().p_getaddrinfo, nullptr);
  tqc_platform_module_loader()->close(module);
}

TEST_F(Win32Binding, StartsPairWithCleanups) {
  ASSERT_EQ(NTqcSocketAPI::startup_1_1(), QMR_OK);
  ASSERT_EQ(NTqcSocketAPI::startup_2_2(), QMR_OK);
  NTqcSocketAPI::cleanup();
  NTqcSocketAPI::cleanup();
  // Every start is matched: one more cleanup is refused by the system.
  EXPECT_EQ(NTqcSocketAPI::api().p_WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(NTqcSocketAPI::last_error(), WSANOTINITIALISED);
}

TEST_F(Win32Binding, WaitReadableThroughTheBoundSelect) {
  CTqcSocketScope scope(CTqcSocketScope::kVersion22);
  ASSERT_EQ(scope.result(), QMR_OK);
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  SOCKET s = api.p_socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  ASSERT_NE(s, INVALID_SOCKET);
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = api.p_htonl(INADDR_LOOPBACK);
  ASSERT_EQ(api.p_bind(s, reinterpret_cast<sockaddr *>(&self), sizeof self), 0);
  int length = sizeof self;
  ASSERT_EQ(api.p_getsockname(s, reinterpret_cast<sockaddr *>(&self), &length), 0);

  EXPECT_EQ(tqc_wait_readable(s, 50), 0);
  ASSERT_EQ(api.p_sendto(s, "x", 1, 0, reinterpret_cast<sockaddr *>(&self), sizeof self), 1);
  EXPECT_EQ(tqc_wait_readable(s, 2000), 1);
  char in[4];
  EXPECT_EQ(api.p_recv(s, in, sizeof in, 0), 1);
  EXPECT_EQ(tqc_wait_readable(s, 0), 0);
  api.p_closesocket(s);
  EXPECT_EQ(tqc_wait_readable(s, 50), -1);
}

// The system's own adapter list, fetched directly.
std::vector<std::string> system_ipv4_adapters() {
  std::vector<std::string> texts;
  HMODULE helper = LoadLibraryA("iphlpapi.dll");
  auto get = reinterpret_cast<ULONG(WINAPI *)(PIP_ADAPTER_INFO, PULONG)>(
      reinterpret_cast<void *>(GetProcAddress(helper, "GetAdaptersInfo")));
  if (get == nullptr) return texts;
  ULONG size = 0;
  if (get(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return texts;
  std::vector<uint64_t> buffer(size / sizeof(uint64_t) + 1);
  size = static_cast<ULONG>(buffer.size() * sizeof(uint64_t));
  auto *first = reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data());
  if (get(first, &size) != ERROR_SUCCESS) return texts;
  for (PIP_ADAPTER_INFO a = first; a != nullptr; a = a->Next) {
    texts.push_back(std::to_string(a->Index) + " " + std::to_string(a->Type) + " " + a->IpAddressList.IpAddress.String);
  }
  FreeLibrary(helper);
  return texts;
}

TEST(Win32AdapterList, SameAdaptersAsTheSystemReports) {
  CTqcAdapterList adapters;
  ASSERT_EQ(adapters.open(), QMR_OK);
  const TqcAdapterInfo *ipv4 = nullptr;
  int32_t rc = adapters.fetch_ipv4(&ipv4);
  std::vector<std::string> expected = system_ipv4_adapters();
  if (expected.empty()) {
    EXPECT_EQ(rc, QMR_E_OUT_OF_RANGE);  // no adapter: ERROR_NO_DATA
  } else {
    ASSERT_EQ(rc, QMR_OK);
    std::vector<std::string> got;
    for (const TqcAdapterInfo *a = ipv4; a != nullptr; a = a->next) {
      got.push_back(std::to_string(a->index) + " " + std::to_string(a->type) + " " + a->ip_address);
    }
    EXPECT_EQ(got, expected);
  }

  const TqcAdapterAddresses *ipv6 = nullptr;
  rc = adapters.fetch_ipv6(&ipv6);
  if (rc == QMR_OK) {
    for (const TqcAdapterAddresses *a = ipv6; a != nullptr; a = a->next) {
      for (const TqcUnicastAddress *u = a->first_unicast; u != nullptr; u = u->next) {
        ASSERT_NE(u->address, nullptr);
        EXPECT_EQ(u->address->sa_family, AF_INET6);
        EXPECT_EQ(u->address_length, static_cast<int32_t>(sizeof(sockaddr_in6)));
      }
    }
  } else {
    EXPECT_EQ(rc, QMR_E_OUT_OF_RANGE);
  }
}

// A system list of two adapters, the second without an address.
ULONG WINAPI two_system_adapters(PIP_ADAPTER_INFO buffer, PULONG size) {
  if (buffer == nullptr || *size < 2 * sizeof(IP_ADAPTER_INFO)) {
    *size = 2 * sizeof(IP_ADAPTER_INFO);
    return ERROR_BUFFER_OVERFLOW;
  }
  std::memset(buffer, 0, 2 * sizeof(IP_ADAPTER_INFO));
  buffer[0].Next = &buffer[1];
  buffer[0].Index = 7;
  buffer[0].Type = MIB_IF_TYPE_ETHERNET;
  buffer[0].AddressLength = 6;
  std::memcpy(buffer[0].Address, "\x02\x00\x5e\x10\x20\x30", 6);
  std::strcpy(buffer[0].IpAddressList.IpAddress.String, "192.168.1.20");
  buffer[1].Index = 1;
  buffer[1].Type = MIB_IF_TYPE_LOOPBACK;
  buffer[1].AddressLength = 12;  // longer than the library keeps
  std::strcpy(buffer[1].IpAddressList.IpAddress.String, "0.0.0.0");
  return ERROR_SUCCESS;
}

ULONG WINAPI no_system_adapters(PIP_ADAPTER_INFO, PULONG) { return ERROR_NO_DATA; }

TEST(Win32AdapterList, TranslatorKeepsTheTwoCallProtocol) {
  auto translated = reinterpret_cast<TqcGetAdaptersInfoFn>(
      tqc_win32_adapter_translator("GetAdaptersInfo", reinterpret_cast<void *>(&two_system_adapters)));
  ASSERT_NE(translated, nullptr);
  uint32_t size = 0;
  ASSERT_EQ(translated(nullptr, &size), kTqcErrorBufferOverflow);
  EXPECT_EQ(size, 2 * sizeof(TqcAdapterInfo));
  uint32_t short_size = size - 1;
  std::vector<uint64_t> storage(size / sizeof(uint64_t) + 1);
  auto *list = reinterpret_cast<TqcAdapterInfo *>(storage.data());
  EXPECT_EQ(translated(list, &short_size), kTqcErrorBufferOverflow);
  ASSERT_EQ(translated(list, &size), kTqcErrorSuccess);
  EXPECT_EQ(list[0].next, &list[1]);
  EXPECT_EQ(list[0].index, 7u);
  EXPECT_EQ(list[0].type, kTqcIfTypeEthernet);
  EXPECT_EQ(list[0].address_length, 6u);
  EXPECT_EQ(std::memcmp(list[0].address, "\x02\x00\x5e\x10\x20\x30", 6), 0);
  EXPECT_STREQ(list[0].ip_address, "192.168.1.20");
  EXPECT_EQ(list[1].next, nullptr);
  EXPECT_EQ(list[1].type, kTqcIfTypeLoopback);
  EXPECT_EQ(list[1].address_length, kTqcMaxHardwareBytes);

  // The system's answer for a host without adapters passes through.
  translated = reinterpret_cast<TqcGetAdaptersInfoFn>(
      tqc_win32_adapter_translator("GetAdaptersInfo", reinterpret_cast<void *>(&no_system_adapters)));
  EXPECT_EQ(translated(nullptr, &size), kTqcErrorNoData);
  EXPECT_EQ(tqc_win32_adapter_translator("GetBestInterfaceEx", reinterpret_cast<void *>(&no_system_adapters)),
            nullptr);

  // Bound to the system again for the tests after this one.
  tqc_set_module_loader(nullptr);
  void *helper = tqc_platform_module_loader()->open(kTqcIpHelperLibraryName);
  ASSERT_EQ(NTqcIpHelpAPI::set_api(helper), QMR_OK);
  tqc_platform_module_loader()->close(helper);
}

TEST(Win32AdapterList, MissingFunctionsAreLoggedAndLeftNull) {
  CFilteringLoader loader;
  loader.hidden = {"GetBestInterfaceEx"};
  tqc_set_module_loader(&loader);
  void *module = loader.open(kTqcIpHelperLibraryName);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(NTqcIpHelpAPI::set_api(module), QMR_OK);
  EXPECT_EQ(NTqcIpHelpAPI::api().p_GetBestInterfaceEx, nullptr);
  EXPECT_NE(NTqcIpHelpAPI::api().p_GetAdaptersInfo, nullptr);
  tqc_set_module_loader(nullptr);
  EXPECT_EQ(NTqcIpHelpAPI::set_api(module), QMR_OK);
  EXPECT_NE(NTqcIpHelpAPI::api().p_GetBestInterfaceEx, nullptr);
}

}  // namespace
