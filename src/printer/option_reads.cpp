// The device reads behind CQMRDevCommOption::refresh_options: system group,
// Host Resources and Printer MIB tables and one private object.
#include <cstring>
#include <new>

#include "net/text_case.h"
#include "printer/dev_comm_option.h"
#include "printer/input_tray_columns.h"
#include "printer/media_size.h"
#include "printer/printer_read.h"
#include "snmp/pdu.h"

namespace {

constexpr char kOidSysName[] = "1.3.6.1.2.1.1.5";
constexpr char kOidSysLocation[] = "1.3.6.1.2.1.1.6";
constexpr char kOidMemorySize[] = "1.3.6.1.2.1.25.2.2";
constexpr char kOidNetWareSAPUnitName[] = "1.3.6.1.4.1.58114.8.64.4.2.1.7.10.19159104";

// hrDeviceTable: index, description, status.
constexpr const char *kDeviceColumns[] = {
    "1.3.6.1.2.1.25.3.2.1.1",
    "1.3.6.1.2.1.25.3.2.1.3",
    "1.3.6.1.2.1.25.3.2.1.5",
};
enum { kDeviceIndex, kDeviceDescr, kDeviceStatus };
constexpr int32_t kDeviceRunning = 2;  // hrDeviceStatus running
constexpr int32_t kPrinterControllerIndex = 1;
constexpr int32_t kDevice105 = 105;
constexpr int32_t kDevice108 = 108;

// hrStorageTable: index, type.
constexpr const char *kStorageColumns[] = {
    "1.3.6.1.2.1.25.2.3.1.1",
    "1.3.6.1.2.1.25.2.3.1.2",
};
enum { kStorageIndex, kStorageType };
constexpr char kStorageFixedDisk[] = "1.3.6.1.2.1.25.2.1.4";
constexpr char kStorageRemovableDisk[] = "1.3.6.1.2.1.25.2.1.5";
constexpr char kStorageRamDisk[] = "1.3.6.1.2.1.25.2.1.8";
// Longest storage type text compared; longer ones match nothing anyway.
constexpr size_t kOidTextSize = 256;

constexpr int32_t kInputTypeSheetFeedManual = 5;
constexpr int32_t kUnknownCapacity = -1;

// prtOutputTable: type, name, model, offset stacking.
constexpr const char *kOutputColumns[] = {
    "1.3.6.1.2.1.43.9.2.1.2",
    "1.3.6.1.2.1.43.9.2.1.7",
    "1.3.6.1.2.1.43.9.2.1.9",
    "1.3.6.1.2.1.43.9.2.1.24",
};
enum { kOutputType, kOutputName, kOutputModel, kOutputOffsetStacking };
constexpr char kCentreTrayModel[] = "CENTER TRAY";
constexpr int32_t kOffsetStackingOn = 3;

// prtMediaPathType; 3 and 4 are the duplex paths.
constexpr const char *kMediaPathColumns[] = {"1.3.6.1.2.1.43.13.4.1.9"};
constexpr int32_t kLongEdgeDuplexPath = 3;
constexpr int32_t kShortEdgeDuplexPath = 4;

// The plan of the refresh_options running on this thread, and its object.
thread_local const CQMRDevCommOption *t_plannedOption = nullptr;
thread_local CQMRReadPlan *t_optionPlan = nullptr;

}  // namespace

CQMROptionReadPlan::CQMROptionReadPlan(const CQMRDevCommOption *option) {
  SQMRDeviceTarget target{};
  option->device_target(&target);
  if (!target.bulkWalk) return;
  CQMRReadPlan *plan = new (std::nothrow) CQMRReadPlan(target);
  if (plan == nullptr) return;
  // Every read of refresh_options.
  plan->get(kOidSysName, EQMRInstance::kScalar);
  plan->get(kOidSysLocation, EQMRInstance::kScalar);
  plan->walk(kDeviceColumns);
  plan->walk(kQMRInputTrayColumns);
  plan->walk(kOutputColumns);
  plan->get(kOidMemorySize, EQMRInstance::kScalar);
  plan->walk(kStorageColumns);
  plan->walk(kMediaPathColumns);
  plan->get(kOidNetWareSAPUnitName, EQMRInstance::kExact);
  t_plannedOption = option;
  t_optionPlan = plan;
}

CQMROptionReadPlan::~CQMROptionReadPlan() {
  delete t_optionPlan;
  t_optionPlan = nullptr;
  t_plannedOption = nullptr;
}

void CQMRDevCommOption::device_target(SQMRDeviceTarget *target) const {
  target->address = m_address;
  target->protocol = m_protocol;
  target->port = m_port;
  target->version = m_securitySelector;
  target->usm = STqcUsmRecord{m_pUserName,    m_choice1,      m_choice2, m_choice3,
                              m_pPassPhrase1, m_pPassPhrase2, m_pText3};
  target->timeoutMs = m_timeoutMs;
  target->retries = m_retries;
  target->maxMessageSize = m_maxMessageSize;
  target->community = m_communitySet != 0 ? m_community : nullptr;
  target->bulkWalk = m_bulkWalk;
  target->bulkShare = t_plannedOption == this ? t_optionPlan->share() : nullptr;
}

int32_t CQMRDevCommOption::refresh_system_attributes() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_read_text(target, kOidSysName, EQMRInstance::kScalar, m_sysName, sizeof m_sysName,
                       EQMRReadLog::kSilent);
}

int32_t CQMRDevCommOption::get_sysLocation() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_read_text(target, kOidSysLocation, EQMRInstance::kScalar, m_sysLocation,
                       sizeof m_sysLocation, EQMRReadLog::kSilent);
}

int32_t CQMRDevCommOption::refresh_netware_attributes() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_read_text(target, kOidNetWareSAPUnitName, EQMRInstance::kExact, m_netWareSAPUnitName,
                       sizeof m_netWareSAPUnitName, EQMRReadLog::kLogged);
}

int32_t CQMRDevCommOption::refresh_memory_size() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_read_integer(target, kOidMemorySize, EQMRInstance::kScalar, &m_memorySizeKB,
                          EQMRReadLog::kLogged);
}

int32_t CQMRDevCommOption::refresh_hrdevice_table() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_for_each_table_row(target, kDeviceColumns, [this](const ITqsPdu *row, uint32_t) {
    const int32_t index = qmr_row_integer(row, kDeviceIndex);
    const int32_t status = qmr_row_integer(row, kDeviceStatus);
    char description[sizeof m_deviceIndex[0].description];
    qmr_row_text(row, kDeviceDescr, description);
    if (index == kDevice105 && status == kDeviceRunning) m_device105Running = 1;
    else if (index == kDevice108 && status == kDeviceRunning) m_device108Running = 1;
    else if (index == kPrinterControllerIndex)
      qmr_copy_text(m_printerRomVersion, sizeof m_printerRomVersion, description);
    if (m_deviceIndexCount < kQMRMaxDeviceIndexEntries) {
      SQMRDeviceIndexEntry &entry = m_deviceIndex[m_deviceIndexCount++];
      entry.index = index;
      entry.status = status;
      std::memcpy(entry.description, description, sizeof entry.description);
    }
    return QMR_OK;
  });
}

int32_t CQMRDevCommOption::refresh_storage_info() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_for_each_table_row(target, kStorageColumns, [this](const ITqsPdu *row, uint32_t) {
    char type[kOidTextSize];
    qmr_row_text(row, kStorageType, type, sizeof type);
    // Flags are only ever set here; refresh_options cleared them.
    if (std::strcmp(type, kStorageFixedDisk) == 0 || std::strcmp(type, kStorageRemovableDisk) == 0)
      m_hardDisk = 1;
    if (std::strcmp(type, kStorageRamDisk) == 0) m_ramDisk = 1;
    return QMR_OK;
  });
}

int32_t CQMRDevCommOption::refresh_input_tray_table() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_for_each_table_row(target, kQMRInputTrayColumns, [this](const ITqsPdu *row, uint32_t position) {
    const int32_t type = qmr_row_integer(row, kInputType);
    const int32_t feed = qmr_row_integer(row, kInputChosenFeed);
    const int32_t crossFeed = qmr_row_integer(row, kInputChosenCrossFeed);
    int32_t sizeCode = kQMRUnknownMediaSize;
    int32_t direction = kQMRUnknownFeedDirection;
    MediaDimensionToMediumSize(qmr_row_integer(row, kInputDimUnit), feed, crossFeed, &sizeCode,
                               &direction);
    int32_t maxCapacity = kUnknownCapacity;
    int32_t percent = kUnknownCapacity;
    ConvertMediumLevel(qmr_row_integer(row, kInputCapacityUnit), qmr_row_integer(row, kInputMaxCapacity),
                       qmr_row_integer(row, kInputCurrentLevel), &maxCapacity, &percent);
    if (type == kInputTypeSheetFeedManual) m_manualFeedTray = 1;
    if (m_inputTrayCount >= kQMRMaxTrayEntries) return QMR_OK;
    SQMRInputTrayEntry &entry = m_inputTrays[m_inputTrayCount++];
    entry.trayNumber = static_cast<int32_t>(position) + 1;
    entry.inputType = type;
    entry.mediaSizeCode = sizeCode;
    entry.feedDirectionCode = direction;
    entry.maxCapacityInSheets = maxCapacity;
    entry.currentLevelInPercent = percent;
    entry.chosenFeedDimension = feed;
    entry.chosenCrossFeedDimension = crossFeed;
    qmr_row_text(row, kInputName, entry.name);
    qmr_row_text(row, kInputModel, entry.modelName);
    qmr_row_text(row, kInputDescription, entry.description);
    qmr_row_text(row, kInputMediaType, entry.mediaType);
    return QMR_OK;
  });
}

int32_t CQMRDevCommOption::refresh_output_tray_table() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_for_each_table_row(target, kOutputColumns, [this](const ITqsPdu *row, uint32_t position) {
    char model[kOidTextSize];
    qmr_row_text(row, kOutputModel, model, sizeof model);
    // Every row overwrites the flag: the last output tray decides.
    m_notCentreTray = tqc_equal_ignoring_case(model, kCentreTrayModel) ? 0 : 1;
    const int32_t offsetStacking = qmr_row_integer(row, kOutputOffsetStacking);
    if (offsetStacking == kOffsetStackingOn) m_offsetStacking = 1;
    if (m_outputTrayCount < kQMRMaxTrayEntries) {
      SQMROutputTrayEntry &entry = m_outputTrays[m_outputTrayCount++];
      entry.trayNumber = static_cast<int32_t>(position) + 1;
      entry.outputType = qmr_row_integer(row, kOutputType);
      entry.offsetStacking = offsetStacking;
    }
    return QMR_OK;
  });
}

int32_t CQMRDevCommOption::refresh_prt_media_table() {
  SQMRDeviceTarget target;
  device_target(&target);
  return qmr_for_each_table_row(target, kMediaPathColumns, [this](const ITqsPdu *row, uint32_t) {
    const int32_t pathType = qmr_row_integer(row, 0);
    if (pathType == kLongEdgeDuplexPath || pathType == kShortEdgeDuplexPath) m_duplexModule = 1;
    return QMR_OK;
  });
}

void CQMRDevCommOption::MediaDimensionToMediumSize(int32_t unit, int32_t feedDimension,
                                                   int32_t crossFeedDimension, int32_t *code,
                                                   int32_t *direction) {
  qmr_media_dimension_to_size(unit, feedDimension, crossFeedDimension, code, direction);
}

void CQMRDevCommOption::ConvertMediumLevel(int32_t capacityUnit, int32_t maxCapacity,
                                           int32_t level, int32_t *maxOut, int32_t *percent) {
  qmr_convert_medium_level(capacityUnit, maxCapacity, level, maxOut, percent);
}
