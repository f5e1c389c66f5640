// The pure translations behind the option object: media sizes, fill
// percentages, the model table and the text cut of device fields.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "printer/media_size.h"
#include "printer/printer_read.h"
#include "printer/supported_models.h"

namespace {

constexpr int32_t kUntouched = 777;

struct SizeCase {
  int32_t unit, feed, cross;
  int32_t code, direction;  // kUntouched: nothing written
};

TEST(OptionMediaSize, MatchesWithinTwoMillimetresAndOrientsByFeed) {
  const SizeCase cases[] = {
      {4, 297000, 210000, 25, 3},                  // A4 fed short edge first
      {4, 210000, 297000, 25, 2},                  // A4 fed long edge first
      {4, 211999, 298999, 25, 2},                  // inside the tolerance
      {4, 212000, 299000, 25, 2},                  // on its bound
      {4, 212001, 297000, kUntouched, kUntouched},  // just outside
      {4, 210000, 210000, kUntouched, kUntouched},
      {3, 297000, 210000, kUntouched, kUntouched},  // ten-thousandths of an inch
      {4, -1, 210000, kUntouched, kUntouched},
      {4, 279400, 215900, 1, 3},                    // letter
      {4, 351000, 215000, 10025, 3},                // last row
      {4, 2147483647, 2147483647, kUntouched, kUntouched},
  };
  for (const SizeCase &c : cases) {
    int32_t code = kUntouched, direction = kUntouched;
    const bool wrote = qmr_media_dimension_to_size(c.unit, c.feed, c.cross, &code, &direction);
    EXPECT_EQ(c.code, code) << c.unit << " " << c.feed << "x" << c.cross;
    EXPECT_EQ(c.direction, direction) << c.unit << " " << c.feed << "x" << c.cross;
    EXPECT_EQ(c.code != kUntouched, wrote);
  }
}

TEST(OptionMediaSize, TableHoldsEveryCodeOnceInSearchOrder) {
  ASSERT_EQ(79u, kQMRMediaSizeCount);
  std::set<int32_t> codes;
  for (size_t i = 0; i < kQMRMediaSizeCount; ++i) {
    EXPECT_LT(kQMRMediaSizes[i].shortSide, kQMRMediaSizes[i].longSide) << i;
    if (i > 0) {
      EXPECT_LT(kQMRMediaSizes[i - 1].code, kQMRMediaSizes[i].code) << i;
    }
    codes.insert(kQMRMediaSizes[i].code);
  }
  EXPECT_EQ(79u, codes.size());
  EXPECT_EQ(1, kQMRMediaSizes[0].code);
  EXPECT_EQ(91, kQMRMediaSizes[55].code);
  EXPECT_EQ(10001, kQMRMediaSizes[56].code);
  // Every row finds itself, except the two small cards that lie within the
  // tolerance of an earlier row: the first match wins.
  for (size_t i = 0; i < kQMRMediaSizeCount; ++i) {
    int32_t code = 0, direction = 0;
    ASSERT_TRUE(qmr_media_dimension_to_size(4, kQMRMediaSizes[i].longSide,
                                            kQMRMediaSizes[i].shortSide, &code, &direction));
    int32_t expected = kQMRMediaSizes[i].code;
    if (expected == 90) expected = 50;
    if (expected == 91) expected = 51;
    EXPECT_EQ(expected, code);
    EXPECT_EQ(kQMRFeedShortEdgeFirst, direction);
  }
}

TEST(OptionMediumLevel, PercentRoundsToNearestAndMarksUnknowns) {
  struct Case {
    int32_t unit, max, level, maxOut, percent;
  } const cases[] = {
      {8, 250, 125, 250, 50}, {8, 3, 1, 3, 33},     {8, 1, 1, 1, 100},   {8, 50, 50, 50, 100},
      {8, 3, 2, 3, 67},       {8, 200, 1, 200, 1},  {8, 201, 1, 201, 0}, {8, 250, -3, 250, -1},
      {8, 250, -2, 250, -1},  {8, 0, 5, 0, -1},     {8, -1, 5, -1, -1},  {8, 250, 0, 250, 0},
      // A level above the maximum reads as full, even where x100 overflows.
      {8, 1, 2147483647, 1, 100},
  };
  for (const Case &c : cases) {
    int32_t maxOut = kUntouched, percent = kUntouched;
    EXPECT_TRUE(qmr_convert_medium_level(c.unit, c.max, c.level, &maxOut, &percent));
    EXPECT_EQ(c.maxOut, maxOut) << c.max << " " << c.level;
    EXPECT_EQ(c.percent, percent) << c.max << " " << c.level;
  }
  int32_t maxOut = kUntouched, percent = kUntouched;
  EXPECT_FALSE(qmr_convert_medium_level(16, 250, 125, &maxOut, &percent));
  EXPECT_EQ(kUntouched, maxOut);
  EXPECT_EQ(kUntouched, percent);
}

TEST(OptionModels, MatchOnlyAtSubIdentifierBoundaries) {
  const std::string p = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.";
  const SQMRModelEntry *row = qmr_find_model(kQMRSupportedModels, (p + "5").c_str());
  ASSERT_NE(nullptr, row);
  EXPECT_STREQ("Vellumcraft 7300", row->modelName);
  row = qmr_find_model(kQMRSupportedModels, (p + "6.1").c_str());
  ASSERT_NE(nullptr, row);
  EXPECT_STREQ("Vellumcraft 7300P", row->modelName);
  EXPECT_EQ(nullptr, qmr_find_model(kQMRSupportedModels, (p + "61").c_str()));
  EXPECT_EQ(nullptr, qmr_find_model(kQMRSupportedModels, (p + "50").c_str()));
  EXPECT_EQ(nullptr, qmr_find_model(kQMRSupportedModels, (p + "7").c_str()));
  EXPECT_EQ(nullptr, qmr_find_model(kQMRSupportedModels, "1.3.6.1.4.1.47305"));
  EXPECT_EQ(nullptr, qmr_find_model(kQMRSupportedModels, ""));
  EXPECT_EQ(nullptr, qmr_find_model(kQMRSupportedModels, nullptr));
}

TEST(OptionText, DeviceTextsAreCutAtWidthMinusOneAndZeroFilled) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  qmr_copy_text(field, sizeof field, "0123456789");
  EXPECT_STREQ("0123456", field);
  qmr_copy_text(field, sizeof field, "ab");
  EXPECT_STREQ("ab", field);
  for (size_t i = 2; i < sizeof field; ++i) EXPECT_EQ('\0', field[i]) << i;
  qmr_copy_text(field, sizeof field, nullptr);
  EXPECT_STREQ("", field);
}

}  // namespace
