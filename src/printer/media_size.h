// Translation of a tray's chosen media dimensions into the printer's
// media-size code, and of its capacity and level into a fill percentage.
#ifndef QMR_PRINTER_MEDIA_SIZE_H
#define QMR_PRINTER_MEDIA_SIZE_H

#include <cstddef>
#include <cstdint>

struct SQMRMediaSize {
  int32_t shortSide;  // micrometres
  int32_t longSide;
  int32_t code;
};

// The known sizes in matching order (the first row that fits wins).
extern const SQMRMediaSize kQMRMediaSizes[];
extern const size_t kQMRMediaSizeCount;

// Codes a tray keeps when its media could not be matched.
constexpr int32_t kQMRUnknownMediaSize = 10000;
constexpr int32_t kQMRUnknownFeedDirection = 1;
// Feed direction codes: the sheet's long side lies across the feed direction
// (long edge first, 2) or along it (short edge first, 3).
constexpr int32_t kQMRFeedLongEdgeFirst = 2;
constexpr int32_t kQMRFeedShortEdgeFirst = 3;

// prtInputDimUnit micrometres and prtInputCapacityUnit sheets.
constexpr int32_t kQMRUnitMicrometres = 4;
constexpr int32_t kQMRCapacitySheets = 8;

// Writes the code and direction only for micrometre dimensions that are not
// negative and fit a row within 2000 micrometres on both sides; otherwise
// leaves both outputs alone. True when it wrote.
bool qmr_media_dimension_to_size(int32_t unit, int32_t feedDimension, int32_t crossFeedDimension,
                                 int32_t *code, int32_t *direction);

// Writes only for capacities counted in sheets: the maximum unchanged and
// the level as a percentage of it rounded to nearest, or -1 for a negative
// level or a maximum below 1. True when it wrote.
bool qmr_convert_medium_level(int32_t capacityUnit, int32_t maxCapacity, int32_t level,
                              int32_t *maxOut, int32_t *percent);

#endif  // QMR_PRINTER_MEDIA_SIZE_H
