// The option object against snmpsimd: the model check at Init and the nine
// reads of refresh_options, one printer data file per scenario (the
// community selects tests/data/opt-<scenario>.snmprec).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "log/log_manager.h"
#include "log/log_test_support.h"
#include "printer/quince_option.h"
#include "printer/walk_mode.h"
#include "session/plugin_usm.h"
#include "support/status_agent.h"

namespace {

constexpr char kAddress[] = "127.77.20.1";
// snmpd in front of the agent in the SNMPv3 walk modes.
constexpr char kV3FrontAddress[] = "127.77.20.2";
constexpr char kModel7300[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5";
constexpr char kForeignModel[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.61";
constexpr uint32_t kTimeoutMs = 3000;
constexpr uint32_t kRetries = 1;
// For scenarios that end in a time-out: short, so the test stays quick.
constexpr uint32_t kShortTimeoutMs = 400;

// Shows the fields no option key reads.
class ProbeOption : public CQMRQuinceDZRPVRTOption {
 public:
  using CQMRDevCommOption::parse_version_value;
  uint8_t device105() const { return m_device105Running; }
  uint8_t device108() const { return m_device108Running; }
  uint8_t offset_stacking() const { return m_offsetStacking; }
  uint8_t not_centre_tray() const { return m_notCentreTray; }
  bool reserved_clear() const {
    return m_reserved1 == 0 && m_reserved2 == 0 && m_reserved3[0] == 0 && m_reserved3[1] == 0 &&
           m_reserved3[2] == 0 && m_reserved3[3] == 0 && m_reserved4 == 0;
  }
  int32_t device_count() const { return m_deviceIndexCount; }
  const SQMRDeviceIndexEntry &device(int i) const { return m_deviceIndex[i]; }
  int32_t output_count() const { return m_outputTrayCount; }
  const SQMROutputTrayEntry &output(int i) const { return m_outputTrays[i]; }
  const int32_t *controller_version() const { return m_controllerVersion; }
};

// Collects the "QMR" lines while alive.
class QmrLines {
 public:
  QmrLines() {
    int32_t error = 0;
    m_logger = tqc_get_log_manager()->get_logger("QMR", &error);
    m_logger->set_level_mask(kLogError);
    m_logger->add_appender(&m_memory);
  }
  ~QmrLines() { tqc_get_log_manager()->reset(); }
  size_t count(const std::string &step) {
    size_t n = 0;
    for (const std::string &line : m_memory.lines()) n += line.find(step) != std::string::npos;
    return n;
  }
  size_t total() { return m_memory.lines().size(); }

 private:
  logtest::CMemoryAppender m_memory;
  ITqcLogger *m_logger = nullptr;
};

class OptionRefresh : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run()) return;
    s_agent = tqs_started_or_null(new TestDataAgent(kAddress, "opt-", "opt-full"), &s_error);
    if (s_agent != nullptr && walk_mode::v3()) {
      s_front = walk_mode::start_v3_front(kV3FrontAddress, kAddress, &s_error).release();
      if (s_front == nullptr) TearDownTestSuite();
    }
  }
  static void TearDownTestSuite() {
    delete s_front;
    s_front = nullptr;
    delete s_agent;
    s_agent = nullptr;
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    QMR_REQUIRE_WALK_MODE_TOOLS();
    ASSERT_NE(nullptr, s_agent) << s_error;
  }

  int32_t open(CQMRQuinceDZRPVRTOption &option, const char *community,
               uint32_t timeoutMs = kTimeoutMs, uint32_t retries = kRetries) {
    option.SetCommunityStr(community);
    qmr_set_option_bulk_walk(&option, walk_mode::bulk());
    return option.Init(ITqcNetworkAddress::IPv4, walk_mode::v3() ? kV3FrontAddress : kAddress,
                       walk_mode::usm_for(community), timeoutMs, retries, 0);
  }

  static int32_t integer(const CQMRDevCommOption &o, const char *key, int32_t index = 0) {
    int32_t value = -12345;
    EXPECT_EQ(QMR_OK, o.get_option(key, &value, index)) << key << "[" << index << "]";
    return value;
  }
  static std::string text(const CQMRDevCommOption &o, const char *key, int32_t index = 0) {
    const char *value = nullptr;
    EXPECT_EQ(QMR_OK, o.get_option(key, &value, index)) << key << "[" << index << "]";
    return value != nullptr ? value : "<null>";
  }
  static bool flag(const CQMRDevCommOption &o, const char *key) {
    bool value = false;
    EXPECT_EQ(QMR_OK, o.get_option(key, &value, 0)) << key;
    return value;
  }

  static TestDataAgent *s_agent;
  static SnmpdAgent *s_front;
  static std::string s_error;
};

TestDataAgent *OptionRefresh::s_agent = nullptr;
SnmpdAgent *OptionRefresh::s_front = nullptr;
std::string OptionRefresh::s_error;

TEST_F(OptionRefresh, FullPrinterFillsEveryKeyAndTheUnreadFields) {
  ProbeOption o;
  ASSERT_EQ(QMR_OK, open(o, "opt-full"));
  ASSERT_EQ(QMR_OK, o.refresh_options());
  EXPECT_EQ("lab-printer", text(o, "SysName"));
  EXPECT_EQ("Room 4", text(o, "SysLocation"));
  EXPECT_EQ("VC7300-NW", text(o, "NetWareSAPUnitName"));
  // The index-1 row's description whatever its status (it is down here).
  EXPECT_EQ("Printer Controller v12.10.3 - Processor", text(o, "PrinterRomVersion"));
  EXPECT_EQ(524288, integer(o, "MemorySizeInKByte"));
  EXPECT_EQ(512, integer(o, "MemorySizeInMByte"));
  EXPECT_TRUE(flag(o, "Scanner"));  // row 102 exists, though down
  EXPECT_FALSE(flag(o, "Copier"));
  EXPECT_TRUE(flag(o, "FAXUnit"));
  EXPECT_TRUE(flag(o, "HardDisk"));  // fixed disk
  EXPECT_TRUE(flag(o, "RamDisk"));
  EXPECT_TRUE(flag(o, "DuplexModule"));  // path type 3
  EXPECT_TRUE(flag(o, "InTrayMSI"));     // tray 2 is type 5

  ASSERT_EQ(6, integer(o, "NumberOfInputTray"));
  struct Tray {
    int32_t size, direction, max, percent;
  } const trays[] = {
      {25, 3, 250, 50},      // 297000 x 210000, 125 of 250
      {25, 2, 3, 33},        // 210000 x 297000, 1 of 3
      {25, 2, 1, 100},       // 211999 x 298999, 1 of 1
      {10000, 1, 250, -1},   // 212001 x 297000, level -3
      {10000, 1, 0, -1},     // unit 3, maximum 0
      {25, 3, -1, -1},       // capacity unit 16
  };
  for (int32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(i + 1, integer(o, "InputTrayIndex", i));
    EXPECT_EQ(trays[i].size, integer(o, "InputTrayMediaSize", i));
    EXPECT_EQ(trays[i].direction, integer(o, "InputTrayMediaDirection", i));
    EXPECT_EQ(trays[i].max, integer(o, "InputTrayMaxCapacityInSheets", i));
    EXPECT_EQ(trays[i].percent, integer(o, "InputTrayCurrentLevelInPercent", i));
  }
  EXPECT_EQ(5, integer(o, "InputTrayType", 1));
  EXPECT_EQ(211999, integer(o, "InputTrayMediaDimFeedDirChosen", 2));
  EXPECT_EQ(298999, integer(o, "InputTrayMediaDimXFeedDirChosen", 2));
  EXPECT_EQ("Bypass", text(o, "InputTrayName", 1));
  EXPECT_EQ("MSI", text(o, "InputTrayModelName", 1));
  EXPECT_EQ("manual feed", text(o, "InputTrayDescription", 1));
  EXPECT_EQ("transparency", text(o, "InputTrayMediaType", 1));
  // Longer device texts are cut at the field width minus one.
  EXPECT_EQ(std::string(63, 'N'), text(o, "InputTrayName", 5));
  EXPECT_EQ(std::string(255, 'D'), text(o, "InputTrayDescription", 5));
  int32_t out = 0;
  EXPECT_EQ(QMR_E_INDEX, o.get_option("InputTrayType", &out, 6));

  EXPECT_EQ(1, o.device105());
  EXPECT_EQ(1, o.device108());
  ASSERT_EQ(6, o.device_count());
  EXPECT_EQ(102, o.device(1).index);
  EXPECT_EQ(5, o.device(1).status);
  EXPECT_STREQ("Scanner", o.device(1).description);
  ASSERT_EQ(2, o.output_count());
  EXPECT_EQ(3, o.output(0).offsetStacking);
  EXPECT_EQ(2, o.output(1).trayNumber);
  EXPECT_EQ(1, o.offset_stacking());
  EXPECT_EQ(0, o.not_centre_tray());  // last tray: "center tray" in small letters
  EXPECT_TRUE(o.reserved_clear());

  // Not part of the refresh; reads the stored text on request.
  EXPECT_EQ(0, o.controller_version()[0]);
  EXPECT_EQ(QMR_OK, o.parse_version_value());
  EXPECT_EQ(12, o.controller_version()[0]);
  EXPECT_EQ(10, o.controller_version()[1]);
  EXPECT_EQ(3, o.controller_version()[2]);

  // Copies carry every field, the model's sysObjectID too.
  ProbeOption copy(o);
  EXPECT_EQ("Tray 1", text(copy, "InputTrayName", 0));
  EXPECT_TRUE(copy.is_supported_OID(kModel7300));
  ProbeOption assigned;
  assigned = o;
  EXPECT_EQ(33, integer(assigned, "InputTrayCurrentLevelInPercent", 1));
  EXPECT_EQ(1, assigned.device105());
}

TEST_F(OptionRefresh, SecondModelWithoutControllerRowAndOtherFlags) {
  ProbeOption o;
  ASSERT_EQ(QMR_OK, open(o, "opt-second"));
  ASSERT_EQ(QMR_OK, o.refresh_options());
  // Only the index-1 row names the controller; this printer has none.
  EXPECT_EQ("", text(o, "PrinterRomVersion"));
  EXPECT_TRUE(flag(o, "Copier"));
  EXPECT_FALSE(flag(o, "Scanner"));
  EXPECT_TRUE(flag(o, "HardDisk"));  // removable disk
  EXPECT_FALSE(flag(o, "RamDisk"));
  EXPECT_TRUE(flag(o, "DuplexModule"));  // path type 4
  EXPECT_FALSE(flag(o, "InTrayMSI"));
  EXPECT_EQ(0, integer(o, "MemorySizeInMByte"));  // 1023 KB
  EXPECT_EQ(100, integer(o, "InputTrayCurrentLevelInPercent", 0));
  EXPECT_EQ(1, o.not_centre_tray());  // the centre tray is not the last
  EXPECT_EQ(0, o.device105());
  QmrLines lines;
  EXPECT_EQ(QMR_E_FAILED, o.parse_version_value());
  EXPECT_EQ(1u, lines.count("invalid PrinterROMVersion format"));
}

TEST_F(OptionRefresh, SixtyDevicesAndTwentyOneTraysFillOnlyTheTables) {
  ProbeOption o;
  ASSERT_EQ(QMR_OK, open(o, "opt-many"));
  ASSERT_EQ(QMR_OK, o.refresh_options());
  ASSERT_EQ(50, o.device_count());
  EXPECT_EQ(50, o.device(49).index);
  EXPECT_FALSE(flag(o, "Scanner"));  // row 102 is the sixtieth
  EXPECT_EQ("device 1", text(o, "PrinterRomVersion"));
  EXPECT_EQ(20, integer(o, "NumberOfInputTray"));
  EXPECT_EQ(20, integer(o, "InputTrayIndex", 19));
  EXPECT_EQ(20, integer(o, "InputTrayCurrentLevelInPercent", 19));
  int32_t out = 0;
  EXPECT_EQ(QMR_E_INDEX, o.get_option("InputTrayIndex", &out, 20));
  // Storage types 9 and 10 are no disks; paths 1 and 2 are no duplex.
  EXPECT_FALSE(flag(o, "HardDisk"));
  EXPECT_FALSE(flag(o, "RamDisk"));
  EXPECT_FALSE(flag(o, "DuplexModule"));
  EXPECT_EQ(0, o.output_count());
  EXPECT_EQ(0, o.not_centre_tray());
}

TEST_F(OptionRefresh, ModelCheckMatchesAtSubIdentifierBoundaries) {
  ProbeOption foreign;
  EXPECT_EQ(QMR_E_INVALID_ARG, open(foreign, "opt-foreign"));
  // The refused model's sysObjectID is kept for the prefix test.
  EXPECT_TRUE(foreign.is_supported_OID(kForeignModel));
  EXPECT_FALSE(foreign.is_supported_OID(kModel7300));
  ProbeOption sub;
  EXPECT_EQ(QMR_OK, open(sub, "opt-sub"));  // ...18.6.1
  ProbeOption full;
  EXPECT_EQ(QMR_OK, open(full, "opt-full"));
  EXPECT_TRUE(full.is_supported_OID("1.3.6.1.4.1.47305"));
  EXPECT_TRUE(full.is_supported_OID(kModel7300));
  EXPECT_FALSE(full.is_supported_OID((std::string(kModel7300) + ".1").c_str()));
  EXPECT_TRUE(full.is_supported_OID(nullptr));

  QmrLines lines;
  // An IPv6 text opened as IPv4 is refused before anything is sent.
  ProbeOption mismatch;
  mismatch.SetCommunityStr("opt-full");
  EXPECT_EQ(QMR_E_INVALID_ARG,
            mismatch.Init(ITqcNetworkAddress::IPv4, "::1", walk_mode::usm_for("opt-full"), kTimeoutMs, kRetries, 0));
  EXPECT_FALSE(mismatch.is_supported_OID("1"));
  // A device that never answers gives the time-out, with no "QMR" line.
  ProbeOption silent;
  EXPECT_EQ(QMR_E_TIMEOUT, open(silent, "opt-nobody", kShortTimeoutMs, 0));
  EXPECT_EQ(0u, lines.total());
}

TEST_F(OptionRefresh, ReadFailingMidwayKeepsEarlierFieldsAndClearsTheRest) {
  ProbeOption o;
  ASSERT_EQ(QMR_OK, open(o, "opt-full", kShortTimeoutMs * 5, 0));
  ASSERT_EQ(QMR_OK, o.refresh_options());
  ASSERT_TRUE(flag(o, "HardDisk"));
  // Same object, now reading a printer whose input-tray walk is never answered.
  o.SetCommunityStr("opt-fail");
  QmrLines lines;
  EXPECT_EQ(QMR_E_TIMEOUT, o.refresh_options());
  // In bulk mode the call's first exchange already asks for the first
  // object of every read it will make, so the first read (silent about
  // failures) meets the object that stalls.
  const bool stalls_first = walk_mode::bulk();
  EXPECT_EQ(stalls_first ? 0u : 1u, lines.count("pGetData->get_data()"));
  EXPECT_EQ(stalls_first ? 0u : 1u, lines.total());
  EXPECT_EQ(stalls_first ? "" : "half", text(o, "SysName"));
  EXPECT_EQ(stalls_first ? "" : "Basement", text(o, "SysLocation"));
  EXPECT_EQ(stalls_first ? "" : "Printer Controller v12.10.3 - Processor", text(o, "PrinterRomVersion"));
  EXPECT_EQ(stalls_first ? 0 : 1, o.device_count());
  // The failing step and every later one stay cleared.
  EXPECT_EQ(0, integer(o, "NumberOfInputTray"));
  EXPECT_EQ(0, integer(o, "MemorySizeInKByte"));
  EXPECT_EQ("", text(o, "NetWareSAPUnitName"));
  EXPECT_EQ(0, o.output_count());
  EXPECT_FALSE(flag(o, "HardDisk"));
  EXPECT_FALSE(flag(o, "RamDisk"));
  EXPECT_FALSE(flag(o, "DuplexModule"));
  EXPECT_FALSE(flag(o, "InTrayMSI"));
  EXPECT_EQ(0, o.device105());
}

TEST_F(OptionRefresh, SilentFirstReadsWriteNoLine) {
  ProbeOption o;
  ASSERT_EQ(QMR_OK, open(o, "opt-full", kShortTimeoutMs, 0));
  ASSERT_EQ(QMR_OK, o.refresh_options());
  o.SetCommunityStr("opt-nobody");
  QmrLines lines;
  // sysName is the first read and fails without a line; nothing is left.
  EXPECT_EQ(QMR_E_TIMEOUT, o.refresh_options());
  EXPECT_EQ(0u, lines.total());
  EXPECT_EQ("", text(o, "SysName"));
  EXPECT_EQ("", text(o, "PrinterRomVersion"));
  EXPECT_EQ(0, o.device_count());
}

}  // namespace
