#include "printer/media_size.h"

namespace {

// Matching tolerance on each side, inclusive.
constexpr int64_t kSideTolerance = 2000;
constexpr int32_t kUnknownPercent = -1;
constexpr int64_t kFullPercent = 100;

int64_t distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

}  // namespace

// Order decides between close sizes: ISO and US sizes first, then the
// printer maker's own codes.
const SQMRMediaSize kQMRMediaSizes[] = {
    {215900, 279400, 1},        {215900, 355600, 2},        {254000, 330200, 3},
    {228600, 304800, 4},        {104775, 241300, 5},        {177800, 228600, 6},
    {228600, 279400, 7},        {254000, 355600, 8},        {152400, 228600, 10},
    {254000, 381000, 11},       {431800, 558800, 15},       {558800, 863600, 16},
    {863600, 1117600, 17},      {841000, 1189000, 21},      {594000, 841000, 22},
    {420000, 594000, 23},       {297000, 420000, 24},       {210000, 297000, 25},
    {148000, 210000, 26},       {105000, 148000, 27},       {74000, 105000, 28},
    {52000, 74000, 29},         {37000, 52000, 30},         {26000, 37000, 31},
    {1000000, 1414000, 41},     {707000, 1000000, 42},      {500000, 707000, 43},
    {353000, 500000, 44},       {250000, 353000, 45},       {176000, 250000, 46},
    {125000, 176000, 47},       {88000, 125000, 48},        {62000, 88000, 49},
    {44000, 62000, 50},         {31000, 44000, 51},         {917000, 1297000, 61},
    {648000, 917000, 62},       {458000, 648000, 63},       {324000, 458000, 64},
    {229000, 324000, 65},       {162000, 229000, 66},       {114000, 162000, 67},
    {81000, 114000, 68},        {57000, 81000, 69},         {110000, 220000, 70},
    {1030000, 1456000, 81},     {728000, 1030000, 82},      {515000, 728000, 83},
    {364000, 515000, 84},       {257000, 364000, 85},       {182000, 257000, 86},
    {128000, 182000, 87},       {91000, 128000, 88},        {64000, 91000, 89},
    {45000, 64000, 90},         {32000, 45000, 91},         {279400, 431800, 10001},
    {215900, 330200, 10002},    {100000, 148000, 10003},    {267000, 388000, 10005},
    {194000, 267000, 10006},    {140000, 215900, 10007},    {203200, 254000, 10008},
    {304800, 457200, 10009},    {304800, 482600, 10010},    {320000, 457200, 10011},
    {320000, 450000, 10012},    {120000, 235000, 10013},    {184200, 266700, 10014},
    {270000, 390000, 10015},    {195000, 270000, 10016},    {223000, 297000, 10018},
    {226000, 310000, 10019},    {328000, 453000, 10020},    {148000, 200000, 10021},
    {320000, 487700, 10022},    {330200, 457200, 10023},    {330200, 482600, 10024},
    {215000, 351000, 10025},
};
const size_t kQMRMediaSizeCount = sizeof kQMRMediaSizes / sizeof kQMRMediaSizes[0];

bool qmr_media_dimension_to_size(int32_t unit, int32_t feedDimension, int32_t crossFeedDimension,
                                 int32_t *code, int32_t *direction) {
  if (unit != kQMRUnitMicrometres || feedDimension < 0 || crossFeedDimension < 0) return false;
  const int64_t shortSide = feedDimension < crossFeedDimension ? feedDimension : crossFeedDimension;
  const int64_t longSide = feedDimension < crossFeedDimension ? crossFeedDimension : feedDimension;
  for (size_t i = 0; i < kQMRMediaSizeCount; ++i) {
    const SQMRMediaSize &row = kQMRMediaSizes[i];
    if (distance(row.shortSide, shortSide) > kSideTolerance ||
        distance(row.longSide, longSide) > kSideTolerance)
      continue;
    if (code != nullptr) *code = row.code;
    if (direction != nullptr)
      *direction = feedDimension >= crossFeedDimension ? kQMRFeedShortEdgeFirst : kQMRFeedLongEdgeFirst;
    return true;
  }
  return false;
}

bool qmr_convert_medium_level(int32_t capacityUnit, int32_t maxCapacity, int32_t level,
                              int32_t *maxOut, int32_t *percent) {
  if (capacityUnit != kQMRCapacitySheets) return false;
  if (maxOut != nullptr) *maxOut = maxCapacity;
  if (percent == nullptr) return true;
  if (level < 0 || maxCapacity < 1) {
    *percent = kUnknownPercent;
    return true;
  }
  // Rounded to nearest in integer arithmetic, wide enough for any level; a
  // level above the maximum (an inconsistent device) reads as full.
  const int64_t rounded = (static_cast<int64_t>(level) * 100 + maxCapacity / 2) / maxCapacity;
  *percent = static_cast<int32_t>(rounded > kFullPercent ? kFullPercent : rounded);
  return true;
}
