// Input and output tray records from the Printer MIB.
#include "printer/device_status.h"
#include "printer/input_tray_columns.h"
#include "printer/status_records.h"

namespace {

// prtOutputTable: type, status, name, description.
constexpr const char *kOutputColumns[] = {
    "1.3.6.1.2.1.43.9.2.1.2",
    "1.3.6.1.2.1.43.9.2.1.6",
    "1.3.6.1.2.1.43.9.2.1.7",
    "1.3.6.1.2.1.43.9.2.1.12",
};
enum { kOutputType, kOutputStatus, kOutputName, kOutputDescription };

}  // namespace

int32_t CQMRDeviceStatus::refresh_input_trays(int32_t *count) {
  return qmr_refresh_records(
      target(false), kQMRInputTrayColumns, &m_inputTrays, count,
      [](const CQMRStatusRow &row, QMRInputTrayInfo *record) {
        record->inputType = row.integer(kInputType);
        record->dimensionUnit = row.integer(kInputDimUnit);
        record->declaredFeedDimension = row.integer(kInputDeclaredFeed);
        record->declaredCrossFeedDimension = row.integer(kInputDeclaredCrossFeed);
        record->chosenFeedDimension = row.integer(kInputChosenFeed);
        record->chosenCrossFeedDimension = row.integer(kInputChosenCrossFeed);
        record->capacityUnit = row.integer(kInputCapacityUnit);
        record->maxCapacity = row.integer(kInputMaxCapacity);
        record->currentLevel = row.integer(kInputCurrentLevel);
        record->status = row.integer(kInputStatus);
        row.text(kInputMediaName, record->mediaName);
        row.text(kInputName, record->inputName);
        row.text(kInputDescription, record->description);
        row.text(kInputMediaType, record->mediaType);
        row.text(kInputMediaColour, record->mediaColour);
        return true;
      });
}

int32_t CQMRDeviceStatus::refresh_output_trays(int32_t *count) {
  return qmr_refresh_records(
      target(false), kOutputColumns, &m_outputTrays, count,
      [](const CQMRStatusRow &row, QMROutputTrayInfo *record) {
        record->outputType = row.integer(kOutputType);
        record->status = row.integer(kOutputStatus);
        row.text(kOutputName, record->name);
        row.text(kOutputDescription, record->description);
        return true;
      });
}
