// Storage, device and printer records and the character sets against
// snmpsimd. (A walk failing midway is covered through the exported
// interface.)
#include <gtest/gtest.h>

#include "status_test_support.h"

using namespace status_test;

StatusAgent *StatusAgentTest::s_agent = nullptr;
SnmpdAgent *StatusAgentTest::s_front = nullptr;
std::string StatusAgentTest::s_error;

namespace {

using StatusSystem = StatusAgentTest;

TEST_F(StatusSystem, StorageRowsMapTheirTypeAndCutLongTexts) {
  StatusPtr status = open_reader(kAgentIp, "status-system");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_storage(&count));
  ASSERT_EQ(6, count);
  // RAM, fixed disk, then 9 and 10 (later standard types), "...2.1.80"
  // (only a prefix of it is a known type) and RAM disk.
  const int32_t expectedTypes[] = {2, 4, 0, 0, 0, 8};
  for (uint32_t i = 0; i < 6; ++i) {
    QMRStorageInfo info{};
    ASSERT_EQ(QMR_OK, status->get_storage(i, &info));
    EXPECT_EQ(expectedTypes[i], info.storageType) << i;
  }
  QMRStorageInfo info{};
  ASSERT_EQ(QMR_OK, status->get_storage(0, &info));
  EXPECT_EQ(1024, info.allocationUnits);
  EXPECT_EQ(262144, info.size);
  EXPECT_STREQ("Main memory", info.description);
  // 300 characters on the device: the field keeps 255 and its zero.
  ASSERT_EQ(QMR_OK, status->get_storage(1, &info));
  EXPECT_EQ(repeated('D', 255), std::string(info.description));

  QMRStorageInfo untouched{};
  untouched.size = 77;
  EXPECT_EQ(QMR_E_INDEX, status->get_storage(6, &untouched));
  EXPECT_EQ(QMR_E_INDEX, status->get_storage(0xFFFFFFFFu, &untouched));
  EXPECT_EQ(77, untouched.size);
}

TEST_F(StatusSystem, SixtyDeviceRowsGiveSixtyRecords) {
  StatusPtr status = open_reader(kAgentIp, "status-system");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_devices(&count));
  ASSERT_EQ(60, count);
  // Types cycle through: printer, 7 (undefined), private 105, private 110
  // (undefined), 21, private 207.
  const int32_t expectedTypes[] = {5, 0, 105, 0, 21, 207};
  for (uint32_t i = 0; i < 60; ++i) {
    QMRDeviceInfo info{};
    ASSERT_EQ(QMR_OK, status->get_device(i, &info));
    EXPECT_EQ(expectedTypes[i % 6], info.deviceType) << i;
    EXPECT_EQ(i % 2 == 0 ? 2 : 5, info.deviceStatus) << i;
  }
  QMRDeviceInfo info{};
  ASSERT_EQ(QMR_OK, status->get_device(0, &info));
  EXPECT_STREQ("Printer Controller v12.10.3 - Processor", info.description);
  ASSERT_EQ(QMR_OK, status->get_device(59, &info));
  EXPECT_STREQ("Device 60", info.description);
  EXPECT_EQ(QMR_E_INDEX, status->get_device(60, &info));
}

TEST_F(StatusSystem, ErrorStateOctetsAreCopiedAsBytes) {
  struct Case {
    const char *community;
    int32_t status;
    uint8_t octets[4];
  } cases[] = {
      {"status-system", 3, {0x80, 0, 0, 0}},
      // A leading zero octet does not end the copy (inputTrayMissing alone).
      {"status-err-0080", 4, {0x00, 0x80, 0, 0}},
      // Two rows: the last one decides, its missing octets are 0.
      {"status-err-single", 5, {0x40, 0, 0, 0}},
  };
  for (const Case &c : cases) {
    StatusPtr status = open_reader(kAgentIp, c.community);
    QMRPrinterInfo info;
    std::memset(&info, 0xEE, sizeof info);
    ASSERT_EQ(QMR_OK, status->refresh_printer(&info)) << c.community;
    EXPECT_EQ(c.status, info.printerStatus) << c.community;
    EXPECT_EQ(0, std::memcmp(c.octets, info.detectedErrorState, 4)) << c.community;
  }
}

TEST_F(StatusSystem, CharSetWalkWithoutRowsAnswersZero) {
  StatusPtr status = open_reader(kAgentIp, "status-system");
  for (uint32_t selector : {0u, 1u}) {
    int32_t value = -1;
    EXPECT_EQ(QMR_OK, status->read_char_set(selector, &value)) << selector;
    EXPECT_EQ(0, value) << selector;
  }
  int32_t value = 9;
  EXPECT_EQ(QMR_E_INVALID_ARG, status->read_char_set(2, &value));
  EXPECT_EQ(9, value);
}

}  // namespace
