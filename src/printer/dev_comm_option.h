// The options of one opened device, read by fixed string keys. Exported: the
// field order and the order of the virtual operations are part of the
// library's binary interface and must not change.
#ifndef QMR_PRINTER_DEV_COMM_OPTION_H
#define QMR_PRINTER_DEV_COMM_OPTION_H

#include <cstdint>

#include "net/network_address.h"
#include "qmr.h"

class IQMRPluginUSM;
struct SQMRDeviceTarget;

struct SQMRDeviceIndexEntry {
  int32_t index;
  int32_t status;
  char description[64];
};

struct SQMRInputTrayEntry {
  int32_t trayNumber;  // 1-based row position in the answer
  int32_t inputType;
  int32_t mediaSizeCode;
  int32_t feedDirectionCode;
  int32_t maxCapacityInSheets;
  int32_t currentLevelInPercent;
  int32_t chosenFeedDimension;
  int32_t chosenCrossFeedDimension;
  char name[64];
  char modelName[64];
  char description[256];
  char mediaType[256];
};

struct SQMROutputTrayEntry {
  int32_t trayNumber;
  int32_t outputType;
  int32_t offsetStacking;
};

constexpr int32_t kQMRMaxDeviceIndexEntries = 50;
constexpr int32_t kQMRMaxTrayEntries = 20;

class QMR_EXPORT CQMRDevCommOption {
  friend void qmr_set_option_bulk_walk(CQMRDevCommOption *option, bool on);
  friend class CQMROptionReadPlan;

 public:
  CQMRDevCommOption();
  CQMRDevCommOption(const CQMRDevCommOption &other);
  CQMRDevCommOption &operator=(const CQMRDevCommOption &other);

  virtual void destroy();
  // Copies at most 255 characters; later reads hand it to the façade.
  virtual void SetCommunityStr(const char *community);
  // Clears the options and reads them again from the device.
  virtual int32_t refresh_options();
  // Stores the connection settings: 0, or -2 for a protocol other than
  // IPv4, IPX or IPv6, a null or 64-character address, or a null usm.
  virtual int32_t Init(EProtocol protocol, const char *address, IQMRPluginUSM *usm,
                       uint32_t timeoutMs, uint32_t retries, uint32_t maxMessageSize);
  virtual bool is_supported_OID(const char *oid) = 0;
  // Each form: -2 null key or output, -5 unknown key, -11 tray index outside
  // the input-tray table, else 0. Texts point into this object and stay
  // valid until the next refresh_options or destruction.
  virtual int32_t get_option(const char *key, const char **out, int32_t index) const;
  virtual int32_t get_option(const char *key, uint32_t *out, int32_t index) const;
  virtual int32_t get_option(const char *key, int32_t *out, int32_t index) const;
  virtual int32_t get_option(const char *key, bool *out, int32_t index) const;
  virtual ~CQMRDevCommOption();

 protected:
  // Reads behind refresh_options; each answers 0 or a code.
  int32_t refresh_system_attributes();
  int32_t get_sysLocation();
  int32_t refresh_hrdevice_table();
  int32_t refresh_input_tray_table();
  int32_t refresh_output_tray_table();
  int32_t refresh_memory_size();
  int32_t refresh_storage_info();
  int32_t refresh_prt_media_table();
  int32_t refresh_netware_attributes();

  // Clears every option field, as the first step of refresh_options does.
  void initialize_data();
  // Controller version from PrinterRomVersion: 0, or -1 when the text has
  // another form.
  int32_t parse_version_value();
  bool has_device_index(int32_t index) const;
  const SQMRInputTrayEntry *input_tray(int32_t index) const;
  // Media-size code and feed direction code of micrometre dimensions; both
  // outputs stay untouched for other units or sizes outside the table.
  static void MediaDimensionToMediumSize(int32_t unit, int32_t feedDimension,
                                         int32_t crossFeedDimension, int32_t *code,
                                         int32_t *direction);
  // Maximum and percent of a capacity counted in sheets (untouched for other
  // units); percent -1 for a negative level or a maximum below 1.
  static void ConvertMediumLevel(int32_t capacityUnit, int32_t maxCapacity, int32_t level,
                                 int32_t *maxOut, int32_t *percent);
  // The settings the reads hand to the façade.
  void device_target(SQMRDeviceTarget *target) const;

  // Connection settings, from Init.
  EProtocol m_protocol;
  char m_address[64];
  uint16_t m_port;
  // Walks in bulk (SNMPv2c and SNMPv3 devices). It sits in the padding
  // before the next 32-bit field, so the exported layout stays as it was;
  // set by the library handle at opening, through the friend below.
  bool m_bulkWalk;
  uint32_t m_timeoutMs;
  uint32_t m_retries;
  uint32_t m_maxMessageSize;
  int32_t m_securitySelector;
  const char *m_pUserName;
  int32_t m_choice1;
  int32_t m_choice2;
  int32_t m_choice3;
  const char *m_pPassPhrase1;
  const char *m_pPassPhrase2;
  const char *m_pText3;
  char m_community[256];
  uint8_t m_communitySet;

  // Options, from refresh_options.
  char m_printerRomVersion[64];
  char m_sysName[256];
  char m_sysLocation[256];
  char m_netWareSAPUnitName[256];
  uint8_t m_duplexModule;
  uint8_t m_reserved1;
  uint8_t m_manualFeedTray;
  uint8_t m_offsetStacking;
  uint8_t m_reserved2;
  uint8_t m_device105Running;
  uint8_t m_device108Running;
  uint8_t m_reserved3[4];
  uint8_t m_hardDisk;
  uint8_t m_ramDisk;
  uint8_t m_notCentreTray;  // 1 when the last output tray is not the centre tray
  int32_t m_memorySizeKB;
  int32_t m_reserved4;
  int32_t m_controllerVersion[3];
  int32_t m_deviceIndexCount;
  SQMRDeviceIndexEntry m_deviceIndex[kQMRMaxDeviceIndexEntries];
  int32_t m_inputTrayCount;
  SQMRInputTrayEntry m_inputTrays[kQMRMaxTrayEntries];
  int32_t m_outputTrayCount;
  SQMROutputTrayEntry m_outputTrays[kQMRMaxTrayEntries];
};

// Walks of SNMPv2c and SNMPv3 devices in bulk; a free function, so that
// the exported class gains no member.
void qmr_set_option_bulk_walk(CQMRDevCommOption *option, bool on);

// While it lives, the reads of `option`'s refresh_options on this thread
// are planned together and share bulk exchanges. The plan is kept beside
// the object, as the exported layout has no room for it.
class CQMROptionReadPlan {
 public:
  explicit CQMROptionReadPlan(const CQMRDevCommOption *option);
  ~CQMROptionReadPlan();
  CQMROptionReadPlan(const CQMROptionReadPlan &) = delete;
  CQMROptionReadPlan &operator=(const CQMROptionReadPlan &) = delete;
};

#endif  // QMR_PRINTER_DEV_COMM_OPTION_H
