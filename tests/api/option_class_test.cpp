// The exported option classes, used directly through libqmr.so as a host
// that links against the classes would.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "api/plugin_usm.h"
#include "printer/quince_option.h"

namespace {

// Fixed security values, so that the option object's references are visible.
class FixedUsm : public IQMRPluginUSM {
 public:
  int32_t load(int32_t, const QMRSecurityBlock *) override { return QMR_OK; }
  void release() override {}
  int32_t get_selector() const override { return 2; }
  const char *get_user_name() const override { return user; }
  int32_t get_choice1() const override { return 0; }
  int32_t get_choice2() const override { return 1; }
  int32_t get_choice3() const override { return 2; }
  const char *get_pass_phrase1() const override { return pass1; }
  const char *get_pass_phrase2() const override { return pass2; }
  const char *get_text3() const override { return context; }
  char user[64] = "alice";
  char pass1[64] = "p1";
  char pass2[64] = "p2";
  char context[512] = "";
};

// Reaches the protected fields to stage what a refresh would store.
class StagedOption : public CQMRQuinceDZRPVRTOption {
 public:
  void add_tray(int32_t type, const char *name) {
    SQMRInputTrayEntry &e = m_inputTrays[m_inputTrayCount];
    e.trayNumber = m_inputTrayCount + 1;
    e.inputType = type;
    e.mediaSizeCode = 25;
    std::strcpy(e.name, name);
    std::strcpy(e.mediaType, "stationery");
    ++m_inputTrayCount;
  }
  void add_device_index(int32_t index) { m_deviceIndex[m_deviceIndexCount++].index = index; }
  void set_memory(int32_t kb) { m_memorySizeKB = kb; }
  void set_sys_name(const char *s) { std::strcpy(m_sysName, s); }
  void set_flags() { m_hardDisk = m_duplexModule = 1; }
  uint16_t port() const { return m_port; }
  EProtocol protocol() const { return m_protocol; }
  const char *address() const { return m_address; }
  const char *user() const { return m_pUserName; }
  const char *community() const { return m_community; }
  bool community_set() const { return m_communitySet != 0; }
  int32_t base_init(EProtocol p, const char *a, IQMRPluginUSM *u) {
    return CQMRDevCommOption::Init(p, a, u, 500, 2, 0);
  }
};

TEST(OptionClass, FreshObjectAnswersEmptyValuesAndIndexErrors) {
  CQMRQuinceDZRPVRTOption option;
  int32_t n = -1;
  EXPECT_EQ(QMR_OK, option.get_option("NumberOfInputTray", &n, 0));
  EXPECT_EQ(0, n);
  EXPECT_EQ(QMR_E_INDEX, option.get_option("InputTrayType", &n, 0));
  const char *text = nullptr;
  EXPECT_EQ(QMR_OK, option.get_option("PrinterRomVersion", &text, 0));
  ASSERT_NE(nullptr, text);
  EXPECT_STREQ("", text);
  bool b = true;
  EXPECT_EQ(QMR_OK, option.get_option("FAXUnit", &b, 0));
  EXPECT_FALSE(b);
  EXPECT_TRUE(option.is_supported_OID(nullptr));
  EXPECT_TRUE(option.is_supported_OID(""));
  EXPECT_FALSE(option.is_supported_OID("1"));
}

TEST(OptionClass, EveryFormChecksNullKeyAndOutput) {
  CQMRQuinceDZRPVRTOption option;
  const char *text;
  uint32_t u;
  int32_t i;
  bool b;
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option(nullptr, &text, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option("SysName", static_cast<const char **>(nullptr), 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option(nullptr, &u, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option("Scanner", static_cast<uint32_t *>(nullptr), 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option(nullptr, &i, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option("NumberOfInputTray", static_cast<int32_t *>(nullptr), 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option(nullptr, &b, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.get_option("Scanner", static_cast<bool *>(nullptr), 0));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, option.get_option("MemorySizeInKByte", &u, 0));
  // Keys are whole and case-sensitive, and each belongs to one form.
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, option.get_option("memorysizeinkbyte", &i, 0));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, option.get_option("MemorySizeInKByte ", &i, 0));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, option.get_option("SysName", &i, 0));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, option.get_option("Scanner", &text, 0));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, option.get_option("MemorySizeInKByte", &b, 0));
}

TEST(OptionClass, KeyTablesReadTheStoredValues) {
  StagedOption option;
  option.add_tray(5, "Bypass");
  option.add_tray(4, "Tray 1");
  option.add_device_index(1);
  option.add_device_index(103);
  option.set_memory(524288);
  option.set_sys_name("lab printer");
  option.set_flags();
  int32_t n = 0;
  EXPECT_EQ(QMR_OK, option.get_option("MemorySizeInMByte", &n, 0));
  EXPECT_EQ(512, n);
  option.set_memory(1023);
  EXPECT_EQ(QMR_OK, option.get_option("MemorySizeInMByte", &n, 0));
  EXPECT_EQ(0, n);
  EXPECT_EQ(QMR_OK, option.get_option("MemorySizeInKByte", &n, 0));
  EXPECT_EQ(1023, n);
  EXPECT_EQ(QMR_OK, option.get_option("NumberOfInputTray", &n, 0));
  EXPECT_EQ(2, n);
  EXPECT_EQ(QMR_OK, option.get_option("InputTrayType", &n, 1));
  EXPECT_EQ(4, n);
  EXPECT_EQ(QMR_OK, option.get_option("InputTrayIndex", &n, 1));
  EXPECT_EQ(2, n);
  EXPECT_EQ(QMR_OK, option.get_option("InputTrayMediaSize", &n, 0));
  EXPECT_EQ(25, n);
  EXPECT_EQ(QMR_E_INDEX, option.get_option("InputTrayType", &n, 2));
  EXPECT_EQ(QMR_E_INDEX, option.get_option("InputTrayType", &n, -1));
  const char *text = nullptr;
  EXPECT_EQ(QMR_OK, option.get_option("InputTrayName", &text, 1));
  EXPECT_STREQ("Tray 1", text);
  EXPECT_EQ(QMR_OK, option.get_option("InputTrayMediaType", &text, 0));
  EXPECT_STREQ("stationery", text);
  EXPECT_EQ(QMR_E_INDEX, option.get_option("InputTrayDescription", &text, 2));
  EXPECT_EQ(QMR_OK, option.get_option("SysName", &text, 0));
  EXPECT_STREQ("lab printer", text);
  bool b = false;
  EXPECT_EQ(QMR_OK, option.get_option("Copier", &b, 0));
  EXPECT_TRUE(b);
  EXPECT_EQ(QMR_OK, option.get_option("Scanner", &b, 0));
  EXPECT_FALSE(b);
  EXPECT_EQ(QMR_OK, option.get_option("HardDisk", &b, 0));
  EXPECT_TRUE(b);
  EXPECT_EQ(QMR_OK, option.get_option("RamDisk", &b, 0));
  EXPECT_FALSE(b);
  EXPECT_EQ(QMR_OK, option.get_option("DuplexModule", &b, 0));
  EXPECT_TRUE(b);
}

TEST(OptionClass, InitStoresSettingsAndPortRule) {
  FixedUsm usm;
  StagedOption option;
  EXPECT_EQ(QMR_OK, option.base_init(ITqcNetworkAddress::IPv4, "127.77.0.1", &usm));
  EXPECT_EQ(161, option.port());
  EXPECT_STREQ("127.77.0.1", option.address());
  EXPECT_EQ(QMR_OK, option.base_init(ITqcNetworkAddress::IPX, "00000001:00a0c9112233", &usm));
  EXPECT_EQ(36879, option.port());
  EXPECT_EQ(QMR_OK, option.base_init(ITqcNetworkAddress::IPv6, "::1", &usm));
  EXPECT_EQ(161, option.port());
  // The user name is referenced, not copied: a later load is seen.
  std::strcpy(usm.user, "bob");
  EXPECT_STREQ("bob", option.user());
  EXPECT_EQ(QMR_E_INVALID_ARG, option.base_init(static_cast<EProtocol>(3), "127.77.0.1", &usm));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.base_init(ITqcNetworkAddress::None, "127.77.0.1", &usm));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.base_init(ITqcNetworkAddress::IPv4, nullptr, &usm));
  EXPECT_EQ(QMR_E_INVALID_ARG, option.base_init(ITqcNetworkAddress::IPv4, "127.77.0.1", nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG,
            option.base_init(ITqcNetworkAddress::IPv4, std::string(64, '1').c_str(), &usm));
  // Refused calls left the last accepted settings in place.
  EXPECT_STREQ("::1", option.address());
  EXPECT_EQ(ITqcNetworkAddress::IPv6, option.protocol());
}

TEST(OptionClass, CommunityIsCutToItsFieldAndCopiesCarryEverything) {
  StagedOption option;
  EXPECT_FALSE(option.community_set());
  option.SetCommunityStr(std::string(300, 'c').c_str());
  EXPECT_TRUE(option.community_set());
  EXPECT_EQ(255u, std::strlen(option.community()));
  option.SetCommunityStr("ops");
  option.add_tray(5, "Bypass");
  StagedOption copy(option);
  EXPECT_STREQ("ops", copy.community());
  int32_t n = 0;
  EXPECT_EQ(QMR_OK, copy.get_option("InputTrayType", &n, 0));
  EXPECT_EQ(5, n);
  StagedOption assigned;
  assigned = option;
  EXPECT_TRUE(assigned.community_set());
  const char *text = nullptr;
  EXPECT_EQ(QMR_OK, assigned.get_option("InputTrayName", &text, 0));
  EXPECT_STREQ("Bypass", text);
}

}  // namespace
