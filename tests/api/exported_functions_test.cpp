// The exported functions as a host application sees them: through libqmr.so,
// with no network (device reads and discovery stop before sending).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "qmr.h"

namespace {

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(QMR_OK, QMRInit(&h_)); }
  void TearDown() override { QMRUnInit(h_); }
  void *h_ = nullptr;
};

TEST(ApiLifetime, InitRefusesNullAndUnInitIgnoresNull) {
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInit(nullptr));
  QMRUnInit(nullptr);
  void *a = nullptr;
  void *b = nullptr;
  ASSERT_EQ(QMR_OK, QMRInit(&a));
  ASSERT_EQ(QMR_OK, QMRInit(&b));
  EXPECT_NE(a, b);
  QMRUnInit(a);
  QMRUnInit(b);
}

TEST_F(ApiTest, CommandStringMatchesWholeNamesOnly) {
  for (const char *cmd : {"CmdSetCommunityGetOption", "CmdSetCommunityFind", "CmdSetCommunityWrite"}) {
    EXPECT_EQ(QMR_OK, QMRCommandString(h_, cmd, "secret")) << cmd;
    std::string longer = std::string(cmd) + "X";
    std::string cut(cmd, std::strlen(cmd) - 1);
    EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, longer.c_str(), "x")) << longer;
    EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, cut.c_str(), "x")) << cut;
  }
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, "cmdsetcommunityfind", "x"));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, "", "x"));
  EXPECT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetCommunityFind", ""));
}

TEST_F(ApiTest, CommandStringChecksArgumentsAndLength) {
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandString(nullptr, "CmdSetCommunityFind", "x"));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandString(h_, nullptr, "x"));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandString(h_, "CmdSetCommunityFind", nullptr));
  const std::string fits(255, 'c');
  const std::string too_long(256, 'c');
  EXPECT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetCommunityWrite", fits.c_str()));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandString(h_, "CmdSetCommunityWrite", too_long.c_str()));
  // An unknown command is refused as such before the value is looked at.
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, "CmdUnknown", too_long.c_str()));
}

// The trace log is off until a host asks for it, and "0" turns it off again.
TEST_F(ApiTest, TraceLogCommand) {
  for (const char *bad : {"", "x", "32", "-1", "1x", "4,", " 4", "99999999999"})
    EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandString(h_, "CmdSetTraceLog", bad)) << bad;
  char path[] = "/tmp/qmr-api-trace-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  auto logged = [&path] {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  // An opening that nobody answers (a loopback address without an agent)
  // runs a request session, which logs at the trace level.
  auto open_unanswered = [this] { return QMRInitDevice(h_, "127.77.0.254", 1, 50, 0); };
  EXPECT_NE(QMR_OK, open_unanswered());
  EXPECT_EQ("", logged());
  ASSERT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetTraceLog", (std::string("31,") + path).c_str()));
  EXPECT_NE(QMR_OK, open_unanswered());
  const std::string on = logged();
  EXPECT_NE(std::string::npos, on.find("send_sync")) << on;
  ASSERT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetTraceLog", "0"));
  EXPECT_NE(QMR_OK, open_unanswered());
  EXPECT_EQ(on, logged());
  unlink(path);
  std::remove((std::string(path) + ".bak").c_str());
}

TEST_F(ApiTest, BulkWalkTakesOnOffOneZeroOnly) {
  for (const char *value : {"1", "on", "0", "off"}) EXPECT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetBulkWalk", value)) << value;
  for (const char *value : {"", "ON", "yes", "2", "on ", "10"})
    EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandString(h_, "CmdSetBulkWalk", value)) << value;
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, "CmdSetBulkWal", "on"));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandString(h_, "CmdSetBulkWalkX", "on"));
}

TEST_F(ApiTest, CommandIntegerIsNeverSupported) {
  int32_t v = 7;
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandInteger(nullptr, 0, &v));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCommandInteger(h_, 0, nullptr));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandInteger(h_, 0, &v));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRCommandInteger(h_, -1, &v));
  EXPECT_EQ(7, v);
}

TEST(ApiTransport, UnservedAndUnknownProtocolsAreNeverAvailable) {
  for (int32_t p : {3, 0, 4, 6, -1, 1000}) EXPECT_EQ(0, QMRTransportAvailable(p)) << p;
  // Every Linux host this runs on has IPv4, at least on loopback.
  EXPECT_EQ(1, QMRTransportAvailable(1));
  for (int32_t p : {2, 5}) {
    int16_t flag = QMRTransportAvailable(p);
    EXPECT_TRUE(flag == 0 || flag == 1) << p;
  }
}

TEST_F(ApiTest, FreshHandleAnswersNoDeviceAfterArgumentChecks) {
  int32_t n = 99;
  QMRStorageInfo st;
  QMRDeviceInfo dv;
  QMRPrinterInfo pr;
  QMRInputTrayInfo in;
  QMROutputTrayInfo out;
  QMRTonerInfo tn;
  QMRAlertInfo al;
  QMRJobInfo jb;
  int16_t flag = 5;
  uint32_t u = 0;
  char text[256];
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRRefreshOptions(h_));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetOptionValueBoolean(h_, "Scanner", 0, &flag));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetOptionValueInteger(h_, "MemorySizeInKByte", 0, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetOptionValueUInteger(h_, "MemorySizeInKByte", 0, &u));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetOptionValueString(h_, "SysName", 0, text));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfStorageInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetStorageInfo(h_, 0, &st));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfDeviceInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetDeviceInfo(h_, 0, &dv));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetPrinterInfo(h_, &pr));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfInputTrayInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetInputTrayInfo(h_, 0, &in));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfOutputTrayInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetOutputTrayInfo(h_, 0, &out));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfTonerInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetTonerInfo(h_, 0, &tn));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfAlertInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetAlertInfo(h_, 0, &al));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfJobInfo(h_, 2, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetJobInfo(h_, 0, &jb));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRCancelJob(h_, "job"));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetCharSet(h_, 1, &n));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, nullptr));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, ""));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, "1.3.6.1"));
  // Failed calls wrote nothing.
  EXPECT_EQ(99, n);
  EXPECT_EQ(5, flag);
}

TEST_F(ApiTest, ArgumentChecksComeBeforeNoDevice) {
  int32_t n = 0;
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetNumberOfJobInfo(h_, 3, &n));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetNumberOfJobInfo(h_, 0xFFFFFFFFu, &n));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetNumberOfJobInfo(h_, 0, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetCharSet(h_, 2, &n));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetCharSet(h_, 0, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetNumberOfStorageInfo(h_, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetStorageInfo(h_, 0, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetPrinterInfo(h_, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRCancelJob(h_, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetOptionValueBoolean(h_, nullptr, 0, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetOptionValueString(h_, "SysName", 0, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRRefreshOptions(nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRIsSupportedOID(nullptr, "1"));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetNumberOfAlertInfo(nullptr, &n));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRGetJobInfo(nullptr, 0, nullptr));
}

TEST_F(ApiTest, InitDeviceProtocolSwitch) {
  for (int32_t p : {0, 4, 6, -1}) EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(h_, "127.77.0.1", p, 100, 0)) << p;
  // Refused before any object was made: still no device.
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRRefreshOptions(h_));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(nullptr, "127.77.0.1", 1, 100, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(h_, nullptr, 1, 100, 0));
  const std::string too_long(64, '1');
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(h_, too_long.c_str(), 1, 100, 0));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRRefreshOptions(h_));
}

TEST_F(ApiTest, RefusedOpeningKeepsTheOptionObjectOnly) {
  // Protocol 3 passes the switch, then device opening refuses it.
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDevice(h_, "127.77.0.1", 3, 100, 0));
  EXPECT_EQ(1, QMRIsSupportedOID(h_, nullptr));
  EXPECT_EQ(1, QMRIsSupportedOID(h_, ""));
  EXPECT_EQ(0, QMRIsSupportedOID(h_, "1.3.6.1"));  // no sysObjectID was read
  EXPECT_NE(QMR_E_NO_DEVICE, QMRRefreshOptions(h_));
  int32_t n = 0;
  EXPECT_EQ(QMR_OK, QMRGetOptionValueInteger(h_, "NumberOfInputTray", 0, &n));
  EXPECT_EQ(0, n);
  EXPECT_EQ(QMR_E_INDEX, QMRGetOptionValueInteger(h_, "InputTrayType", 0, &n));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRGetOptionValueInteger(h_, "memorysizeinkbyte", 0, &n));
  uint32_t u = 0;
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRGetOptionValueUInteger(h_, "MemorySizeInKByte", 0, &u));
  int16_t flag = 7;
  EXPECT_EQ(QMR_OK, QMRGetOptionValueBoolean(h_, "Scanner", 12345, &flag));
  EXPECT_EQ(0, flag);
  char text[256];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(QMR_OK, QMRGetOptionValueString(h_, "SysName", 0, text));
  EXPECT_EQ('\0', text[0]);
  EXPECT_EQ(QMR_E_INDEX, QMRGetOptionValueString(h_, "InputTrayName", 0, text));
  // The status reader was never made.
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetNumberOfStorageInfo(h_, &n));
  EXPECT_EQ(QMR_E_NO_DEVICE, QMRGetCharSet(h_, 0, &n));
}

TEST_F(ApiTest, InitDeviceExChecksTheBlock) {
  QMRSecurityBlock block;
  std::memset(&block, 0, sizeof block);
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDeviceEx(h_, "127.77.0.1", 1, 2, nullptr, 100, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDeviceEx(h_, "127.77.0.1", 4, 2, &block, 100, 0));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRInitDeviceEx(h_, "127.77.0.1", 3, 2, &block, 100, 0));
  EXPECT_EQ(1, QMRIsSupportedOID(h_, ""));
}

TEST_F(ApiTest, DiscoveryChecksAndUnservedProtocol) {
  int32_t found = 42;
  QMRSecurityBlock block;
  std::memset(&block, 0, sizeof block);
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(nullptr, nullptr, 1, 100, 0, &found));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h_, nullptr, 1, 100, 0, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h_, nullptr, 4, 100, 0, &found));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h_, std::string(64, '1').c_str(), 1, 100, 0, &found));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRFindDeviceSNMP(h_, nullptr, 3, 100, 0, &found));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMPEx(h_, nullptr, 1, 2, nullptr, 100, 0, &found));
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, QMRFindDeviceSNMPEx(h_, nullptr, 3, 2, &block, 100, 0, &found));
  EXPECT_EQ(42, found);
}

TEST_F(ApiTest, WalkBeforeAnyDiscoveryAnswersZero) {
  char addr[64], model[64], zero = 'z', oid[64];
  EXPECT_EQ(0, QMRGetDeviceNext(h_, addr, model, &zero, oid));
  QMRFindResetPosition(h_);
  EXPECT_EQ(0, QMRGetDeviceNext(h_, addr, model, &zero, oid));
  EXPECT_EQ(0, QMRGetDeviceNext(nullptr, addr, model, &zero, oid));
  EXPECT_EQ(0, QMRGetDeviceNext(h_, nullptr, model, &zero, oid));
  EXPECT_EQ(0, QMRGetDeviceNext(h_, addr, model, nullptr, oid));
  QMRFindResetPosition(nullptr);
  QMRFindClearFilter(nullptr);
}

TEST_F(ApiTest, FiltersAcceptFiftyAndDropTheRestSilently) {
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindAddFilter(h_, nullptr));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindAddFilter(nullptr, "1.3"));
  for (int i = 0; i < 60; ++i) {
    std::string f = "1.3.6.1.4.1." + std::to_string(i);
    EXPECT_EQ(QMR_OK, QMRFindAddFilter(h_, f.c_str())) << i;
  }
  // A filter cut to fit its entry would let other models through.
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindAddFilter(h_, std::string(64, '1').c_str()));
  QMRFindClearFilter(h_);
  EXPECT_EQ(QMR_OK, QMRFindAddFilter(h_, std::string(63, '1').c_str()));
}

TEST(ApiResultText, EveryCodeHasItsOwnWords) {
  const int32_t codes[] = {QMR_OK, QMR_E_FAILED, QMR_E_INVALID_ARG, QMR_E_NO_MEMORY,
                           QMR_E_NO_INTERFACE, QMR_E_NOT_SUPPORTED, QMR_E_NOT_FOUND,
                           QMR_E_OUT_OF_RANGE, QMR_E_NO_DEVICE, QMR_E_SYSTEM_LIBRARY,
                           QMR_E_INDEX, QMR_E_SNMP_LIBRARY, QMR_E_SOCKET, QMR_E_BIND,
                           QMR_E_TIMEOUT, QMR_E_RECEIVE, QMR_E_SEND, QMR_E_TOO_BIG,
                           QMR_E_MESSAGE_SIZE, QMR_E_CANNOT_SPLIT, QMR_E_SECURITY,
                           QMR_E_DECODE, QMR_E_WRONG_REQUEST_ID, QMR_E_INDEX_FIT};
  const std::string unknown = qmr_result_text(-9999);
  for (int32_t a : codes) {
    EXPECT_NE(unknown, qmr_result_text(a)) << a;
    for (int32_t b : codes) {
      if (a != b) {
        EXPECT_STRNE(qmr_result_text(a), qmr_result_text(b)) << a << " " << b;
      }
    }
  }
}

}  // namespace
