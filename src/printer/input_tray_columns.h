// The prtInputTable columns, one list for both of its readers: the input
// tray records (status_trays.cpp) and the option store's tray entries
// (option_reads.cpp). Each row is read with every column, so both see the
// same cells for the same tray.
#ifndef QMR_PRINTER_INPUT_TRAY_COLUMNS_H
#define QMR_PRINTER_INPUT_TRAY_COLUMNS_H

inline constexpr const char *kQMRInputTrayColumns[] = {
    "1.3.6.1.2.1.43.8.2.1.2",   // type
    "1.3.6.1.2.1.43.8.2.1.3",   // dimension unit
    "1.3.6.1.2.1.43.8.2.1.4",   // declared feed-direction dimension
    "1.3.6.1.2.1.43.8.2.1.5",   // declared cross-feed dimension
    "1.3.6.1.2.1.43.8.2.1.6",   // chosen feed-direction dimension
    "1.3.6.1.2.1.43.8.2.1.7",   // chosen cross-feed dimension
    "1.3.6.1.2.1.43.8.2.1.8",   // capacity unit
    "1.3.6.1.2.1.43.8.2.1.9",   // maximum capacity
    "1.3.6.1.2.1.43.8.2.1.10",  // current level
    "1.3.6.1.2.1.43.8.2.1.11",  // status
    "1.3.6.1.2.1.43.8.2.1.12",  // media name
    "1.3.6.1.2.1.43.8.2.1.13",  // name
    "1.3.6.1.2.1.43.8.2.1.15",  // model
    "1.3.6.1.2.1.43.8.2.1.18",  // description
    "1.3.6.1.2.1.43.8.2.1.21",  // media type
    "1.3.6.1.2.1.43.8.2.1.22",  // media colour
};

// Positions in kQMRInputTrayColumns (and so in each row read with it).
enum EQMRInputTrayColumn {
  kInputType,
  kInputDimUnit,
  kInputDeclaredFeed,
  kInputDeclaredCrossFeed,
  kInputChosenFeed,
  kInputChosenCrossFeed,
  kInputCapacityUnit,
  kInputMaxCapacity,
  kInputCurrentLevel,
  kInputStatus,
  kInputMediaName,
  kInputName,
  kInputModel,
  kInputDescription,
  kInputMediaType,
  kInputMediaColour,
  kInputColumnCount
};
static_assert(sizeof kQMRInputTrayColumns / sizeof kQMRInputTrayColumns[0] == kInputColumnCount,
              "one position per column");

#endif  // QMR_PRINTER_INPUT_TRAY_COLUMNS_H
