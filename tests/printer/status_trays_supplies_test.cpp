// Tray, supply and alert records against snmpsimd.
#include <gtest/gtest.h>

#include "status_test_support.h"

using namespace status_test;

namespace {

using StatusTrays = StatusAgentTest;

TEST_F(StatusTrays, InputTrayRowsPassIntegersThroughAndCutTexts) {
  StatusPtr status = open_reader(kAgentIp, "status-trays");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_input_trays(&count));
  ASSERT_EQ(3, count);

  QMRInputTrayInfo t{};
  ASSERT_EQ(QMR_OK, status->get_input_tray(0, &t));
  EXPECT_EQ(4, t.inputType);
  EXPECT_EQ(4, t.dimensionUnit);
  EXPECT_EQ(297000, t.declaredFeedDimension);
  EXPECT_EQ(210000, t.declaredCrossFeedDimension);
  EXPECT_EQ(297000, t.chosenFeedDimension);
  EXPECT_EQ(210000, t.chosenCrossFeedDimension);
  EXPECT_EQ(8, t.capacityUnit);
  EXPECT_EQ(250, t.maxCapacity);
  EXPECT_EQ(125, t.currentLevel);
  EXPECT_EQ(0, t.status);
  EXPECT_STREQ("A4", t.mediaName);
  EXPECT_EQ(repeated('N', 63), std::string(t.inputName));  // 100 on the device
  EXPECT_STREQ("Tray 1", t.description);
  EXPECT_STREQ("stationery", t.mediaType);
  EXPECT_STREQ("white", t.mediaColour);

  // Capacity unit 16 stays raw in the record; the tray lacks a level and a
  // colour (a sparse row): -1 and an empty text.
  ASSERT_EQ(QMR_OK, status->get_input_tray(1, &t));
  EXPECT_EQ(16, t.capacityUnit);
  EXPECT_EQ(500, t.maxCapacity);
  EXPECT_EQ(-1, t.currentLevel);
  EXPECT_EQ(4, t.status);
  EXPECT_STREQ("Tray 2", t.inputName);
  EXPECT_EQ(repeated('X', 255), std::string(t.description));
  EXPECT_EQ(repeated('M', 63), std::string(t.mediaType));  // exactly 64 on the device
  EXPECT_STREQ("", t.mediaColour);

  ASSERT_EQ(QMR_OK, status->get_input_tray(2, &t));
  EXPECT_EQ(5, t.inputType);
  EXPECT_EQ(3, t.dimensionUnit);
  EXPECT_EQ(-3, t.currentLevel);
  EXPECT_STREQ("yellow", t.mediaColour);
  EXPECT_EQ(QMR_E_INDEX, status->get_input_tray(3, &t));
}

TEST_F(StatusTrays, OutputTrayRows) {
  StatusPtr status = open_reader(kAgentIp, "status-trays");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_output_trays(&count));
  ASSERT_EQ(2, count);
  QMROutputTrayInfo t{};
  ASSERT_EQ(QMR_OK, status->get_output_tray(0, &t));
  EXPECT_EQ(3, t.outputType);
  EXPECT_EQ(0, t.status);
  EXPECT_STREQ("Face down", t.name);
  EXPECT_STREQ("Upper output bin", t.description);
  ASSERT_EQ(QMR_OK, status->get_output_tray(1, &t));
  EXPECT_EQ(4, t.outputType);
  EXPECT_EQ(8, t.status);
  EXPECT_EQ(repeated('O', 63), std::string(t.name));
  EXPECT_EQ(repeated('D', 255), std::string(t.description));
}

TEST_F(StatusTrays, OnlyConsumedSuppliesBecomeTonerRecords) {
  StatusPtr status = open_reader(kAgentIp, "status-supplies");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_toners(&count));
  ASSERT_EQ(2, count);  // classes 3, 4, 3
  QMRTonerInfo t{};
  ASSERT_EQ(QMR_OK, status->get_toner(0, &t));
  EXPECT_EQ(7, t.supplyUnit);
  EXPECT_EQ(100, t.maxCapacity);
  EXPECT_EQ(73, t.level);
  EXPECT_STREQ("Black toner", t.description);
  ASSERT_EQ(QMR_OK, status->get_toner(1, &t));
  EXPECT_EQ(-3, t.level);
  EXPECT_STREQ("Cyan toner", t.description);
  EXPECT_EQ(QMR_E_INDEX, status->get_toner(2, &t));
}

TEST_F(StatusTrays, AlertRows) {
  StatusPtr status = open_reader(kAgentIp, "status-supplies");
  int32_t count = -1;
  ASSERT_EQ(QMR_OK, status->refresh_alerts(&count));
  ASSERT_EQ(2, count);
  QMRAlertInfo a{};
  ASSERT_EQ(QMR_OK, status->get_alert(0, &a));
  EXPECT_EQ(3, a.severityLevel);
  EXPECT_EQ(8, a.group);
  EXPECT_EQ(1, a.groupIndex);
  EXPECT_EQ(1101, a.location);
  EXPECT_EQ(801, a.code);
  EXPECT_STREQ("Tray 1 empty", a.description);
  ASSERT_EQ(QMR_OK, status->get_alert(1, &a));
  EXPECT_EQ(4, a.severityLevel);
  EXPECT_EQ(11, a.group);
  EXPECT_EQ(1104, a.code);
  EXPECT_STREQ("Toner low", a.description);

  // A device without alerts: the next refresh empties the list.
  StatusPtr quiet = open_reader(kAgentIp, "status-trays");
  ASSERT_EQ(QMR_OK, quiet->refresh_alerts(&count));
  EXPECT_EQ(0, count);
  EXPECT_EQ(QMR_E_INDEX, quiet->get_alert(0, &a));
}

}  // namespace
