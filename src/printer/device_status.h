// The device status reader: reads the information records of one opened
// device on request and keeps them for copy-out by index.
#ifndef QMR_PRINTER_DEVICE_STATUS_H
#define QMR_PRINTER_DEVICE_STATUS_H

#include <cstdint>
#include <vector>

#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "session/usm_record.h"
#include "snmp/object_list.h"

class IQMRPluginUSM;
class ITqcBulkShare;
class CQMRStatusRow;
struct SQMRDeviceTarget;

// Every read opens its own get/set façade with the stored connection
// settings and writes a "QMR" line for each failing step. Results are 0 or
// the code of the failing step, passed on unchanged.
class CQMRDeviceStatus {
 public:
  // Null and -3 through rc when memory runs out.
  static CQMRDeviceStatus *create(int32_t *rc);
  virtual ~CQMRDeviceStatus();
  CQMRDeviceStatus(const CQMRDeviceStatus &) = delete;
  CQMRDeviceStatus &operator=(const CQMRDeviceStatus &) = delete;

  void release();
  // The read community is only handed to the façade once set here.
  void set_read_community(const char *community);
  void set_write_community(const char *community);
  // Walks of SNMPv2c and SNMPv3 devices in bulk (off at creation).
  void set_bulk_walk(bool on) { m_bulkWalk = on; }
  // Stores the connection settings as the option object does: 0, or -2 for
  // another protocol, a null or 64-character address, or a null usm.
  int32_t init(EProtocol protocol, const char *address, IQMRPluginUSM *usm, uint32_t timeoutMs,
               uint32_t retries, uint32_t maxMessageSize);

  // Each refresh empties its list first, so a failed one leaves it empty;
  // the count is written on success only.
  int32_t refresh_storage(int32_t *count);
  int32_t refresh_devices(int32_t *count);
  // Both fields start at 0; the last hrPrinterTable row decides. `out` is
  // written on success only.
  int32_t refresh_printer(QMRPrinterInfo *out);
  int32_t refresh_input_trays(int32_t *count);
  int32_t refresh_output_trays(int32_t *count);
  int32_t refresh_toners(int32_t *count);
  int32_t refresh_alerts(int32_t *count);
  // selector: 0 all jobs, 1 class other than 17, 2 class 17. Reads the
  // private character set first while it is 0 (a failure there keeps the
  // old list). A failure inside a row keeps the records appended before it.
  int32_t refresh_jobs(uint32_t selector, int32_t *count);
  // selector: 0 standard, 1 private. Answers the stored value after the read
  // (0 before any row was read); `value` is written on success only.
  int32_t read_char_set(uint32_t selector, int32_t *value);
  // Sets the job's cancel object to 1414 with the write community; -7 when
  // the device refuses.
  int32_t cancel_job(const char *jobId);

  // Copy-out by index: -11 (nothing written) unless index is below the count
  // of the last refresh of that kind.
  int32_t get_storage(uint32_t index, QMRStorageInfo *out) const;
  int32_t get_device(uint32_t index, QMRDeviceInfo *out) const;
  int32_t get_input_tray(uint32_t index, QMRInputTrayInfo *out) const;
  int32_t get_output_tray(uint32_t index, QMROutputTrayInfo *out) const;
  int32_t get_toner(uint32_t index, QMRTonerInfo *out) const;
  int32_t get_alert(uint32_t index, QMRAlertInfo *out) const;
  int32_t get_job(uint32_t index, QMRJobInfo *out) const;

 private:
  CQMRDeviceStatus();

  // The settings a request opens its façade with: the read community when
  // one was set, or always the write community.
  SQMRDeviceTarget target(bool forWrite) const;
  // Walks `columns` together, the first as root, with the read settings.
  int32_t walk_table(const char *const *columns, size_t count, TqcOwned<ITqsPduList> *rows) const;
  // Walks `walkColumn`, then reads "valueColumn.D.L" for each row into
  // `stored` (0 and the code when such a read fails).
  int32_t read_char_set_value(const char *walkColumn, const char *valueColumn,
                              int32_t *stored) const;
  int32_t fill_job(const CQMRStatusRow &row, QMRJobInfo *job) const;
  int32_t lookup_text(const CQMRStatusRow &row, size_t column, const char *columnOid,
                      char *field, size_t width) const;

  EProtocol m_protocol;
  char m_address[64];
  uint16_t m_port;
  uint32_t m_timeoutMs;
  uint32_t m_retries;
  uint32_t m_maxMessageSize;
  char m_readCommunity[256];
  uint8_t m_readCommunitySet;
  char m_writeCommunity[256];
  std::vector<QMRStorageInfo> m_storage;
  std::vector<QMRDeviceInfo> m_devices;
  QMRPrinterInfo m_printerInfo;
  std::vector<QMRInputTrayInfo> m_inputTrays;
  std::vector<QMROutputTrayInfo> m_outputTrays;
  std::vector<QMRTonerInfo> m_toners;
  std::vector<QMRAlertInfo> m_alerts;
  std::vector<QMRJobInfo> m_jobs;
  int32_t m_standardCharSet;
  int32_t m_privateCharSet;
  int32_t m_securitySelector;
  STqcUsmRecord m_usm;  // texts lent by the security parameters
  bool m_bulkWalk = false;
  ITqcBulkShare *m_pBulkShare = nullptr;  // the running call's planned reads
};

#endif  // QMR_PRINTER_DEVICE_STATUS_H
