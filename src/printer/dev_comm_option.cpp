#include "printer/dev_comm_option.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "printer/printer_read.h"
#include "session/plugin_usm.h"

namespace {

constexpr int32_t kKBytesPerMByte = 1024;
constexpr int32_t kScannerIndex = 102;
constexpr int32_t kCopierIndex = 103;
constexpr int32_t kFaxUnitIndex = 104;

}  // namespace

CQMRDevCommOption::CQMRDevCommOption()
    : m_protocol(ITqcNetworkAddress::None),
      m_address{},
      m_port(0),
      m_bulkWalk(false),
      m_timeoutMs(0),
      m_retries(0),
      m_maxMessageSize(0),
      m_securitySelector(-1),
      m_pUserName(nullptr),
      m_choice1(0),
      m_choice2(0),
      m_choice3(0),
      m_pPassPhrase1(nullptr),
      m_pPassPhrase2(nullptr),
      m_pText3(nullptr),
      m_community{},
      m_communitySet(0) {
  initialize_data();
}

// The bulk-walk flag took padding after the port: the exported object
// keeps the size (and so the field offsets) it had without it.
static_assert(sizeof(void *) != 8 || sizeof(CQMRDevCommOption) == 18560,
              "the exported layout of CQMRDevCommOption changed");

void qmr_set_option_bulk_walk(CQMRDevCommOption *option, bool on) {
  if (option != nullptr) option->m_bulkWalk = on;
}

CQMRDevCommOption::CQMRDevCommOption(const CQMRDevCommOption &other) = default;
CQMRDevCommOption &CQMRDevCommOption::operator=(const CQMRDevCommOption &other) = default;
CQMRDevCommOption::~CQMRDevCommOption() = default;

void CQMRDevCommOption::destroy() { delete this; }

void CQMRDevCommOption::SetCommunityStr(const char *community) {
  if (community == nullptr) return;
  qmr_copy_text(m_community, sizeof m_community, community);
  m_communitySet = 1;
}

int32_t CQMRDevCommOption::Init(EProtocol protocol, const char *address, IQMRPluginUSM *usm,
                                uint32_t timeoutMs, uint32_t retries, uint32_t maxMessageSize) {
  if (address == nullptr || usm == nullptr) return QMR_E_INVALID_ARG;
  // An address that does not fit the field would be cut into another host.
  if (std::strlen(address) >= sizeof m_address) return QMR_E_INVALID_ARG;
  uint16_t port = 0;
  if (qmr_snmp_port_of(protocol, &port) != QMR_OK) return QMR_E_INVALID_ARG;
  qmr_copy_text(m_address, sizeof m_address, address);
  m_protocol = protocol;
  m_port = port;
  m_timeoutMs = timeoutMs;
  m_retries = retries;
  m_maxMessageSize = maxMessageSize;
  // The class's fields keep their exported layout, one member each.
  const STqcUsmRecord record = tqc_usm_record_of(*usm);
  m_securitySelector = usm->get_selector();
  m_pUserName = record.user_name;
  m_choice1 = record.security_level;
  m_choice2 = record.auth_protocol;
  m_choice3 = record.priv_protocol;
  m_pPassPhrase1 = record.auth_pass_phrase;
  m_pPassPhrase2 = record.priv_pass_phrase;
  m_pText3 = record.context_name;
  return QMR_OK;
}

void CQMRDevCommOption::initialize_data() {
  std::memset(m_printerRomVersion, 0, sizeof m_printerRomVersion);
  std::memset(m_sysName, 0, sizeof m_sysName);
  std::memset(m_sysLocation, 0, sizeof m_sysLocation);
  std::memset(m_netWareSAPUnitName, 0, sizeof m_netWareSAPUnitName);
  m_duplexModule = m_reserved1 = m_manualFeedTray = m_offsetStacking = m_reserved2 = 0;
  m_device105Running = m_device108Running = 0;
  std::memset(m_reserved3, 0, sizeof m_reserved3);
  m_hardDisk = m_ramDisk = m_notCentreTray = 0;
  m_memorySizeKB = 0;
  m_reserved4 = 0;
  std::memset(m_controllerVersion, 0, sizeof m_controllerVersion);
  m_deviceIndexCount = 0;
  std::memset(m_deviceIndex, 0, sizeof m_deviceIndex);
  m_inputTrayCount = 0;
  std::memset(m_inputTrays, 0, sizeof m_inputTrays);
  m_outputTrayCount = 0;
  std::memset(m_outputTrays, 0, sizeof m_outputTrays);
}

int32_t CQMRDevCommOption::refresh_options() {
  initialize_data();
  const CQMROptionReadPlan plan(this);
  int32_t (CQMRDevCommOption::*const steps[])() = {
      &CQMRDevCommOption::refresh_system_attributes, &CQMRDevCommOption::get_sysLocation,
      &CQMRDevCommOption::refresh_hrdevice_table,    &CQMRDevCommOption::refresh_input_tray_table,
      &CQMRDevCommOption::refresh_output_tray_table, &CQMRDevCommOption::refresh_memory_size,
      &CQMRDevCommOption::refresh_storage_info,      &CQMRDevCommOption::refresh_prt_media_table,
      &CQMRDevCommOption::refresh_netware_attributes,
  };
  for (auto step : steps) {
    int32_t rc = (this->*step)();
    if (rc != QMR_OK) return rc;
  }
  return QMR_OK;
}

int32_t CQMRDevCommOption::parse_version_value() {
  int32_t v[3];
  if (std::sscanf(m_printerRomVersion, "Printer Controller v%d.%d.%d - Processor", &v[0], &v[1],
                  &v[2]) != 3) {
    log_qmr_failure("invalid PrinterROMVersion format", QMR_E_FAILED);
    return QMR_E_FAILED;
  }
  std::memcpy(m_controllerVersion, v, sizeof v);
  return QMR_OK;
}

bool CQMRDevCommOption::has_device_index(int32_t index) const {
  for (int32_t i = 0; i < m_deviceIndexCount && i < kQMRMaxDeviceIndexEntries; ++i)
    if (m_deviceIndex[i].index == index) return true;
  return false;
}

const SQMRInputTrayEntry *CQMRDevCommOption::input_tray(int32_t index) const {
  if (index < 0 || index >= m_inputTrayCount || index >= kQMRMaxTrayEntries) return nullptr;
  return &m_inputTrays[index];
}

// Keys are whole, case-sensitive texts.
static bool is_key(const char *key, const char *name) { return std::strcmp(key, name) == 0; }

int32_t CQMRDevCommOption::get_option(const char *key, const char **out, int32_t index) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  const char *scalar = nullptr;
  if (is_key(key, "PrinterRomVersion")) scalar = m_printerRomVersion;
  else if (is_key(key, "SysName")) scalar = m_sysName;
  else if (is_key(key, "SysLocation")) scalar = m_sysLocation;
  else if (is_key(key, "NetWareSAPUnitName")) scalar = m_netWareSAPUnitName;
  if (scalar != nullptr) {
    *out = scalar;
    return QMR_OK;
  }
  int which = -1;
  if (is_key(key, "InputTrayName")) which = 0;
  else if (is_key(key, "InputTrayModelName")) which = 1;
  else if (is_key(key, "InputTrayDescription")) which = 2;
  else if (is_key(key, "InputTrayMediaType")) which = 3;
  if (which < 0) return QMR_E_NOT_SUPPORTED;
  const SQMRInputTrayEntry *tray = input_tray(index);
  if (tray == nullptr) return QMR_E_INDEX;
  const char *texts[] = {tray->name, tray->modelName, tray->description, tray->mediaType};
  *out = texts[which];
  return QMR_OK;
}

int32_t CQMRDevCommOption::get_option(const char *key, uint32_t *out, int32_t) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  return QMR_E_NOT_SUPPORTED;  // no option is unsigned
}

int32_t CQMRDevCommOption::get_option(const char *key, int32_t *out, int32_t index) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  if (is_key(key, "MemorySizeInKByte")) {
    *out = m_memorySizeKB;
    return QMR_OK;
  }
  if (is_key(key, "MemorySizeInMByte")) {
    *out = m_memorySizeKB / kKBytesPerMByte;
    return QMR_OK;
  }
  if (is_key(key, "NumberOfInputTray")) {
    *out = m_inputTrayCount;
    return QMR_OK;
  }
  static const struct {
    const char *key;
    int32_t SQMRInputTrayEntry::*field;
  } kTrayKeys[] = {
      {"InputTrayIndex", &SQMRInputTrayEntry::trayNumber},
      {"InputTrayType", &SQMRInputTrayEntry::inputType},
      {"InputTrayMaxCapacityInSheets", &SQMRInputTrayEntry::maxCapacityInSheets},
      {"InputTrayCurrentLevelInPercent", &SQMRInputTrayEntry::currentLevelInPercent},
      {"InputTrayMediaSize", &SQMRInputTrayEntry::mediaSizeCode},
      {"InputTrayMediaDirection", &SQMRInputTrayEntry::feedDirectionCode},
      {"InputTrayMediaDimFeedDirChosen", &SQMRInputTrayEntry::chosenFeedDimension},
      {"InputTrayMediaDimXFeedDirChosen", &SQMRInputTrayEntry::chosenCrossFeedDimension},
  };
  for (const auto &k : kTrayKeys) {
    if (!is_key(key, k.key)) continue;
    const SQMRInputTrayEntry *tray = input_tray(index);
    if (tray == nullptr) return QMR_E_INDEX;
    *out = tray->*k.field;
    return QMR_OK;
  }
  return QMR_E_NOT_SUPPORTED;
}

int32_t CQMRDevCommOption::get_option(const char *key, bool *out, int32_t) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  if (is_key(key, "Scanner")) *out = has_device_index(kScannerIndex);
  else if (is_key(key, "Copier")) *out = has_device_index(kCopierIndex);
  else if (is_key(key, "FAXUnit")) *out = has_device_index(kFaxUnitIndex);
  else if (is_key(key, "HardDisk")) *out = m_hardDisk != 0;
  else if (is_key(key, "RamDisk")) *out = m_ramDisk != 0;
  else if (is_key(key, "DuplexModule")) *out = m_duplexModule != 0;
  else if (is_key(key, "InTrayMSI")) *out = m_manualFeedTray != 0;
  else return QMR_E_NOT_SUPPORTED;
  return QMR_OK;
}
