// Device opening, the model check and the options through the exported C
// functions of libqmr.so, against snmpsimd serving tests/data/opt-*.snmprec
// (the read community selects the printer).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qmr.h"
#include "support/status_agent.h"

namespace {

constexpr char kAddress[] = "127.77.20.2";
constexpr int32_t kPublicIPv4 = 1;
constexpr uint32_t kTimeoutMs = 3000;
constexpr uint32_t kRetries = 1;
constexpr char kModel7300[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5";
constexpr char kModel7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";
constexpr char kForeignModel[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.61";

class OptionDevice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run()) return;
    s_agent = tqs_started_or_null(new TestDataAgent(kAddress, "opt-", "opt-full"), &s_error);
  }
  static void TearDownTestSuite() {
    delete s_agent;
    s_agent = nullptr;
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    ASSERT_NE(nullptr, s_agent) << s_error;
    ASSERT_EQ(QMR_OK, QMRInit(&h_));
  }
  void TearDown() override { QMRUnInit(h_); }

  int32_t open(const char *community) {
    EXPECT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetCommunityGetOption", community));
    return QMRInitDevice(h_, kAddress, kPublicIPv4, kTimeoutMs, kRetries);
  }
  std::string text(const char *key, uint16_t index = 0) {
    char out[256];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(QMR_OK, QMRGetOptionValueString(h_, key, index, out)) << key;
    return std::string(out, strnlen(out, sizeof out));
  }
  int32_t integer(const char *key, uint16_t index = 0) {
    int32_t out = -12345;
    EXPECT_EQ(QMR_OK, QMRGetOptionValueInteger(h_, key, index, &out)) << key;
    return out;
  }

  void *h_ = nullptr;
  static TestDataAgent *s_agent;
  static std::string s_error;
};

TestDataAgent *OptionDevice::s_agent = nullptr;
std::string OptionDevice::s_error;

TEST_F(OptionDevice, UnsupportedModelKeepsTheOptionObjectOnly) {
  EXPECT_EQ(QMR_E_INVALID_ARG, open("opt-foreign"));
  // The refused option object answers; no status reader was made.
  EXPECT_EQ(1, QMRIsSupportedOID(h_, kForeignModel));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, kModel7300));
  EXPECT_EQ(QMR_OK, QMRRefreshOptions(h_));
  EXPECT_EQ("foreign", text("SysName"));
  int32_t count = -1;
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfStorageInfo(h_, &count));
  QMRPrinterInfo printer;
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetPrinterInfo(h_, &printer));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRCancelJob(h_, "job"));
}

TEST_F(OptionDevice, OptionsReadThroughTheExportedFunctions) {
  ASSERT_EQ(QMR_OK, open("opt-full"));
  EXPECT_EQ(1, QMRIsSupportedOID(h_, "1.3.6.1.4.1.47305"));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, (std::string(kModel7300) + ".1").c_str()));
  // Nothing is read at opening.
  EXPECT_EQ("", text("SysName"));
  EXPECT_EQ(0, integer("NumberOfInputTray"));
  ASSERT_EQ(QMR_OK, QMRRefreshOptions(h_));
  EXPECT_EQ("lab-printer", text("SysName"));
  EXPECT_EQ(512, integer("MemorySizeInMByte"));
  EXPECT_EQ(6, integer("NumberOfInputTray"));
  EXPECT_EQ(33, integer("InputTrayCurrentLevelInPercent", 1));
  EXPECT_EQ(25, integer("InputTrayMediaSize", 1));
  EXPECT_EQ(2, integer("InputTrayMediaDirection", 1));
  EXPECT_EQ(std::string(255, 'D'), text("InputTrayDescription", 5));
  int32_t out = 0;
  EXPECT_EQ(QMR_E_INDEX, QMRGetOptionValueInteger(h_, "InputTrayType", 6, &out));
  int16_t flag = -1;
  // The boolean index is not passed on.
  EXPECT_EQ(QMR_OK, QMRGetOptionValueBoolean(h_, "DuplexModule", 9, &flag));
  EXPECT_EQ(1, flag);
  EXPECT_EQ(QMR_OK, QMRGetOptionValueBoolean(h_, "Copier", 0, &flag));
  EXPECT_EQ(0, flag);
  uint32_t unsigned_out = 7;
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRGetOptionValueUInteger(h_, "MemorySizeInKByte", 0, &unsigned_out));
  EXPECT_EQ(7u, unsigned_out);
}

TEST_F(OptionDevice, SecondOpeningReplacesBothDeviceObjects) {
  ASSERT_EQ(QMR_OK, open("opt-full"));
  ASSERT_EQ(QMR_OK, QMRRefreshOptions(h_));
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, QMRGetNumberOfStorageInfo(h_, &count));
  ASSERT_EQ(4, count);

  ASSERT_EQ(QMR_OK, open("opt-second"));
  // A new option object: nothing refreshed yet, the other model's OID.
  EXPECT_EQ("", text("SysName"));
  EXPECT_EQ(0, integer("NumberOfInputTray"));
  EXPECT_EQ(1, QMRIsSupportedOID(h_, kModel7300P));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, kModel7300));
  // A new status reader: the first printer's records are gone.
  QMRStorageInfo storage;
  EXPECT_EQ(QMR_E_INDEX, QMRGetStorageInfo(h_, 0, &storage));
  ASSERT_EQ(QMR_OK, QMRGetNumberOfStorageInfo(h_, &count));
  EXPECT_EQ(1, count);

  // A refused opening replaces the option object but leaves that reader.
  EXPECT_EQ(QMR_E_INVALID_ARG, open("opt-foreign"));
  EXPECT_EQ(1, QMRIsSupportedOID(h_, kForeignModel));
  EXPECT_EQ(QMR_OK, QMRGetStorageInfo(h_, 0, &storage));
  ASSERT_EQ(QMR_OK, QMRGetNumberOfStorageInfo(h_, &count));
  EXPECT_EQ(1, count);
}

TEST_F(OptionDevice, AddressOfAnotherProtocolIsRefusedBeforeSending) {
  EXPECT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetCommunityGetOption", "opt-full"));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(h_, "::1", kPublicIPv4, kTimeoutMs, kRetries));
  // The option object stays, with nothing read.
  EXPECT_EQ(0, QMRIsSupportedOID(h_, "1"));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(h_, kAddress, 3, kTimeoutMs, kRetries));
  int32_t count = -1;
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfStorageInfo(h_, &count));
}

}  // namespace
