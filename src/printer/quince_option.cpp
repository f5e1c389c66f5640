#include "printer/quince_option.h"

#include <cstring>

#include "printer/printer_read.h"
#include "printer/supported_models.h"

namespace {

constexpr char kOidSysObjectId[] = "1.3.6.1.2.1.1.2";

}  // namespace

CQMRQuinceDZRPVRTOption::CQMRQuinceDZRPVRTOption() : m_sysObjectId{} {}
CQMRQuinceDZRPVRTOption::CQMRQuinceDZRPVRTOption(const CQMRQuinceDZRPVRTOption &other) = default;
CQMRQuinceDZRPVRTOption &CQMRQuinceDZRPVRTOption::operator=(
    const CQMRQuinceDZRPVRTOption &other) = default;
CQMRQuinceDZRPVRTOption::~CQMRQuinceDZRPVRTOption() = default;

int32_t CQMRQuinceDZRPVRTOption::Init(EProtocol protocol, const char *address, IQMRPluginUSM *usm,
                                      uint32_t timeoutMs, uint32_t retries,
                                      uint32_t maxMessageSize) {
  int32_t rc = CQMRDevCommOption::Init(protocol, address, usm, timeoutMs, retries, maxMessageSize);
  if (rc != QMR_OK) return rc;
  return is_supported_device();
}

int32_t CQMRQuinceDZRPVRTOption::is_supported_device() const {
  QMRGetDataPtr facade;
  int32_t rc = qmr_create_get_data(&facade);
  if (rc != QMR_OK) return rc;
  // An address text of another protocol than the one asked for is refused
  // before anything is sent.
  EProtocol actual = ITqcNetworkAddress::None;
  if ((rc = facade->protocol_of(m_address, &actual)) != QMR_OK) return rc;
  if (actual != m_protocol) return QMR_E_INVALID_ARG;
  SQMRDeviceTarget target;
  device_target(&target);
  if ((rc = qmr_init_get_data(facade.get(), target)) != QMR_OK) return rc;
  if ((rc = qmr_add_oid(facade.get(), kOidSysObjectId, EQMRInstance::kScalar)) != QMR_OK)
    return rc;
  char sysObjectId[sizeof m_sysObjectId] = {};
  if ((rc = facade->get_data(sysObjectId, sizeof sysObjectId)) != QMR_OK) return rc;
  rc = qmr_find_model(kQMRSupportedModels, sysObjectId) != nullptr ? QMR_OK : QMR_E_INVALID_ARG;
  // Kept for is_supported_OID whether the model is served or not.
  std::memcpy(m_sysObjectId, sysObjectId, sizeof m_sysObjectId);
  return rc;
}

bool CQMRQuinceDZRPVRTOption::is_supported_OID(const char *oid) {
  if (oid == nullptr) return true;
  return std::strncmp(m_sysObjectId, oid, std::strlen(oid)) == 0;
}

int32_t CQMRQuinceDZRPVRTOption::get_option(const char *key, const char **out,
                                            int32_t index) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  return CQMRDevCommOption::get_option(key, out, index);
}

int32_t CQMRQuinceDZRPVRTOption::get_option(const char *key, int32_t *out, int32_t index) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  return CQMRDevCommOption::get_option(key, out, index);
}

int32_t CQMRQuinceDZRPVRTOption::get_option(const char *key, bool *out, int32_t index) const {
  if (key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  return CQMRDevCommOption::get_option(key, out, index);
}
