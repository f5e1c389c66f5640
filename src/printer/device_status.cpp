#include "printer/device_status.h"

#include <cstring>
#include <new>

#include "printer/printer_read.h"
#include "session/plugin_usm.h"

namespace {

constexpr char kDefaultWriteCommunity[] = "private";

template <size_t N>
void copy_text(char (&target)[N], const char *source) {
  std::memset(target, 0, N);
  std::strncpy(target, source, N - 1);
}

template <typename T>
int32_t copy_out(const std::vector<T> &list, uint32_t index, T *out) {
  if (out == nullptr) return QMR_E_INVALID_ARG;
  if (index >= list.size()) return QMR_E_INDEX;
  std::memcpy(out, &list[index], sizeof(T));
  return QMR_OK;
}

}  // namespace

CQMRDeviceStatus::CQMRDeviceStatus()
    : m_protocol(ITqcNetworkAddress::None),
      m_address{},
      m_port(0),
      m_timeoutMs(0),
      m_retries(0),
      m_maxMessageSize(0),
      m_readCommunity{},
      m_readCommunitySet(0),
      m_writeCommunity{},
      m_printerInfo{},
      m_standardCharSet(0),
      m_privateCharSet(0),
      m_securitySelector(-1),
      m_usm{} {
  copy_text(m_writeCommunity, kDefaultWriteCommunity);
}

CQMRDeviceStatus::~CQMRDeviceStatus() = default;

CQMRDeviceStatus *CQMRDeviceStatus::create(int32_t *rc) {
  CQMRDeviceStatus *status = new (std::nothrow) CQMRDeviceStatus();
  if (rc != nullptr) *rc = status != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return status;
}

void CQMRDeviceStatus::release() { delete this; }

void CQMRDeviceStatus::set_read_community(const char *community) {
  if (community == nullptr) return;
  copy_text(m_readCommunity, community);
  m_readCommunitySet = 1;
}

void CQMRDeviceStatus::set_write_community(const char *community) {
  if (community == nullptr) return;
  copy_text(m_writeCommunity, community);
}

int32_t CQMRDeviceStatus::init(EProtocol protocol, const char *address, IQMRPluginUSM *usm,
                               uint32_t timeoutMs, uint32_t retries, uint32_t maxMessageSize) {
  if (address == nullptr || usm == nullptr) return QMR_E_INVALID_ARG;
  if (std::strlen(address) >= sizeof m_address) return QMR_E_INVALID_ARG;
  uint16_t port = 0;
  if (qmr_snmp_port_of(protocol, &port) != QMR_OK) return QMR_E_INVALID_ARG;
  copy_text(m_address, address);
  m_protocol = protocol;
  m_port = port;
  m_timeoutMs = timeoutMs;
  m_retries = retries;
  m_maxMessageSize = maxMessageSize;
  m_securitySelector = usm->get_selector();
  m_usm = tqc_usm_record_of(*usm);
  return QMR_OK;
}

SQMRDeviceTarget CQMRDeviceStatus::target(bool forWrite) const {
  SQMRDeviceTarget c{};
  c.protocol = m_protocol;
  c.address = m_address;
  c.port = m_port;
  c.version = m_securitySelector;
  c.usm = m_usm;
  c.timeoutMs = m_timeoutMs;
  c.retries = m_retries;
  c.maxMessageSize = m_maxMessageSize;
  c.bulkWalk = m_bulkWalk;
  c.bulkShare = m_pBulkShare;
  // Writes always name their community ("private" unless one was set);
  // reads leave the façade's default unless the application set one.
  if (forWrite) c.community = m_writeCommunity;
  else c.community = m_readCommunitySet != 0 ? m_readCommunity : nullptr;
  return c;
}

int32_t CQMRDeviceStatus::walk_table(const char *const *columns, size_t count,
                                     TqcOwned<ITqsPduList> *rows) const {
  return qmr_read_columns(target(false), columns, count, rows);
}

int32_t CQMRDeviceStatus::get_storage(uint32_t i, QMRStorageInfo *out) const {
  return copy_out(m_storage, i, out);
}
int32_t CQMRDeviceStatus::get_device(uint32_t i, QMRDeviceInfo *out) const {
  return copy_out(m_devices, i, out);
}
int32_t CQMRDeviceStatus::get_input_tray(uint32_t i, QMRInputTrayInfo *out) const {
  return copy_out(m_inputTrays, i, out);
}
int32_t CQMRDeviceStatus::get_output_tray(uint32_t i, QMROutputTrayInfo *out) const {
  return copy_out(m_outputTrays, i, out);
}
int32_t CQMRDeviceStatus::get_toner(uint32_t i, QMRTonerInfo *out) const {
  return copy_out(m_toners, i, out);
}
int32_t CQMRDeviceStatus::get_alert(uint32_t i, QMRAlertInfo *out) const {
  return copy_out(m_alerts, i, out);
}
int32_t CQMRDeviceStatus::get_job(uint32_t i, QMRJobInfo *out) const {
  return copy_out(m_jobs, i, out);
}
