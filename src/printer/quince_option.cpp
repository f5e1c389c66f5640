#include "printer/quince_option.h"

#include <cstring>

#include "log/log.h"

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

// Reading sysObjectID needs the get/set façade of the session layer; until
// that layer is part of the library the façade cannot be made.
int32_t CQMRQuinceDZRPVRTOption::is_supported_device() const {
  const int32_t rc = QMR_E_NOT_SUPPORTED;
  log_qmr_failure("tqc_create_get_data()", rc);
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
