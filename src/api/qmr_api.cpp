// The exported functions: check the arguments in order, unwrap the handle,
// make one call, return its code. The work lives in the handle's objects.
#include <cstring>

#include "api/library_handle.h"
#include "net/address_service.h"
#include "qmr.h"

namespace {

constexpr int32_t kPublicIPv4 = 1;
constexpr int32_t kPublicIPX = 2;
constexpr int32_t kPublicUnsupported = 3;  // passes the switch, no layer serves it
constexpr int32_t kPublicIPv6 = 5;
constexpr EProtocol kUnservedProtocol = static_cast<EProtocol>(3);
constexpr uint32_t kHighestJobSelector = 2;
constexpr uint32_t kHighestCharSetSelector = 1;
constexpr size_t kMaxAddressLength = 63;
constexpr size_t kMaxOptionText = 255;
constexpr uint32_t kDefaultMessageSize = 0;
constexpr int32_t kCommunitySelector = 0;
constexpr int16_t kTrue = 1;
constexpr int16_t kFalse = 0;

CQMRLibraryHandle *unwrap(void *h) { return static_cast<CQMRLibraryHandle *>(h); }

// Public protocol number to EProtocol; false for numbers outside 1, 2, 3, 5.
bool to_protocol(int32_t number, EProtocol *out) {
  switch (number) {
    case kPublicIPv4: *out = ITqcNetworkAddress::IPv4; return true;
    case kPublicIPX: *out = ITqcNetworkAddress::IPX; return true;
    case kPublicUnsupported: *out = kUnservedProtocol; return true;
    case kPublicIPv6: *out = ITqcNetworkAddress::IPv6; return true;
    default: return false;
  }
}

// Address texts longer than the device objects' 64-byte fields are refused.
bool address_fits(const char *text) { return std::strlen(text) <= kMaxAddressLength; }

// Yes only when the process-wide address service answers and says yes.
bool transport_available(EProtocol protocol) {
  bool available = false;
  return tqc_is_transport_available(protocol, &available) == QMR_OK && available;
}

const QMRSecurityBlock *copy_block(const void *block, QMRSecurityBlock *copy) {
  std::memcpy(copy, block, sizeof *copy);
  return copy;
}

}  // namespace

extern "C" {

QMR_EXPORT int32_t QMRInit(void **out) {
  if (out == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  CQMRLibraryHandle *handle = CQMRLibraryHandle::create(&rc);
  if (handle == nullptr) return rc;
  *out = handle;
  return QMR_OK;
}

QMR_EXPORT void QMRUnInit(void *h) { delete unwrap(h); }

QMR_EXPORT int32_t QMRCommandString(void *h, const char *command, const char *value) {
  if (h == nullptr || command == nullptr || value == nullptr) return QMR_E_INVALID_ARG;
  return unwrap(h)->command_string(command, value);
}

QMR_EXPORT int32_t QMRCommandInteger(void *h, int32_t, int32_t *value) {
  if (h == nullptr || value == nullptr) return QMR_E_INVALID_ARG;
  return QMR_E_NOT_SUPPORTED;  // no integer command exists
}

QMR_EXPORT int16_t QMRTransportAvailable(int32_t protocol) {
  EProtocol p;
  if (!to_protocol(protocol, &p) || p == kUnservedProtocol) return kFalse;
  return transport_available(p) ? kTrue : kFalse;
}

QMR_EXPORT int32_t QMRFindDeviceSNMP(void *h, const char *dest, int32_t protocol,
                                     uint32_t timeoutMs, uint32_t retries, int32_t *found) {
  EProtocol p;
  if (h == nullptr || (dest != nullptr && !address_fits(dest)) || !to_protocol(protocol, &p) ||
      found == nullptr)
    return QMR_E_INVALID_ARG;
  QMRSecurityBlock zero{};
  return unwrap(h)->find_devices(dest, p, kCommunitySelector, &zero, timeoutMs, retries, found);
}

QMR_EXPORT int32_t QMRFindDeviceSNMPEx(void *h, const char *dest, int32_t protocol,
                                       int32_t selector, const void *block, uint32_t timeoutMs,
                                       uint32_t retries, int32_t *found) {
  EProtocol p;
  if (h == nullptr || (dest != nullptr && !address_fits(dest)) || !to_protocol(protocol, &p) ||
      block == nullptr || found == nullptr)
    return QMR_E_INVALID_ARG;
  QMRSecurityBlock copy;
  return unwrap(h)->find_devices(dest, p, selector, copy_block(block, &copy), timeoutMs, retries,
                                 found);
}

QMR_EXPORT int32_t QMRFindAddFilter(void *h, const char *filter) {
  if (h == nullptr || filter == nullptr) return QMR_E_INVALID_ARG;
  return unwrap(h)->finder()->add_filter(filter);
}

QMR_EXPORT void QMRFindClearFilter(void *h) {
  if (h != nullptr) unwrap(h)->finder()->clear_filters();
}

QMR_EXPORT void QMRFindResetPosition(void *h) {
  if (h != nullptr) unwrap(h)->finder()->reset_position();
}

QMR_EXPORT int16_t QMRGetDeviceNext(void *h, char *address, char *model, char *zeroByte,
                                    char *sysObjectId) {
  if (h == nullptr) return kFalse;
  return unwrap(h)->finder()->get_next(address, model, zeroByte, sysObjectId) ? kTrue : kFalse;
}

QMR_EXPORT int32_t QMRInitDevice(void *h, const char *address, int32_t protocol,
                                 uint32_t timeoutMs, uint32_t retries) {
  EProtocol p;
  if (h == nullptr || address == nullptr || !address_fits(address) || !to_protocol(protocol, &p))
    return QMR_E_INVALID_ARG;
  QMRSecurityBlock zero{};
  return unwrap(h)->open_device(address, p, kCommunitySelector, &zero, timeoutMs, retries,
                                kDefaultMessageSize);
}

QMR_EXPORT int32_t QMRInitDeviceEx(void *h, const char *address, int32_t protocol,
                                   int32_t selector, const void *block, uint32_t timeoutMs,
                                   uint32_t retries) {
  EProtocol p;
  if (h == nullptr || address == nullptr || !address_fits(address) ||
      !to_protocol(protocol, &p) || block == nullptr)
    return QMR_E_INVALID_ARG;
  QMRSecurityBlock copy;
  return unwrap(h)->open_device(address, p, selector, copy_block(block, &copy), timeoutMs,
                                retries, kDefaultMessageSize);
}

QMR_EXPORT int16_t QMRIsSupportedOID(void *h, const char *oid) {
  if (h == nullptr) return static_cast<int16_t>(QMR_E_INVALID_ARG);
  CQMRQuinceDZRPVRTOption *option = unwrap(h)->option();
  if (option == nullptr) return kFalse;
  if (oid == nullptr || oid[0] == '\0') return kTrue;
  return option->is_supported_OID(oid) ? kTrue : kFalse;
}

QMR_EXPORT int32_t QMRRefreshOptions(void *h) {
  if (h == nullptr) return QMR_E_INVALID_ARG;
  CQMRQuinceDZRPVRTOption *option = unwrap(h)->option();
  if (option == nullptr) return QMR_E_NO_DEVICE;
  return option->refresh_options();
}

QMR_EXPORT int32_t QMRGetOptionValueBoolean(void *h, const char *key, uint16_t, int16_t *out) {
  if (h == nullptr || key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRQuinceDZRPVRTOption *option = unwrap(h)->option();
  if (option == nullptr) return QMR_E_NO_DEVICE;
  bool value = false;
  int32_t rc = option->get_option(key, &value, 0);  // no boolean option is indexed
  if (rc == QMR_OK) *out = value ? kTrue : kFalse;
  return rc;
}

QMR_EXPORT int32_t QMRGetOptionValueInteger(void *h, const char *key, uint16_t index,
                                            int32_t *out) {
  if (h == nullptr || key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRQuinceDZRPVRTOption *option = unwrap(h)->option();
  if (option == nullptr) return QMR_E_NO_DEVICE;
  return option->get_option(key, out, static_cast<int32_t>(index));
}

QMR_EXPORT int32_t QMRGetOptionValueUInteger(void *h, const char *key, uint16_t index,
                                             uint32_t *out) {
  if (h == nullptr || key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRQuinceDZRPVRTOption *option = unwrap(h)->option();
  if (option == nullptr) return QMR_E_NO_DEVICE;
  return option->get_option(key, out, static_cast<int32_t>(index));
}

QMR_EXPORT int32_t QMRGetOptionValueString(void *h, const char *key, uint16_t index, char *out) {
  if (h == nullptr || key == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRQuinceDZRPVRTOption *option = unwrap(h)->option();
  if (option == nullptr) return QMR_E_NO_DEVICE;
  const char *text = nullptr;
  int32_t rc = option->get_option(key, &text, static_cast<int32_t>(index));
  if (rc != QMR_OK) return rc;
  // The caller's buffer holds 256 bytes; never write past it.
  size_t len = strnlen(text, kMaxOptionText);
  std::memcpy(out, text, len);
  out[len] = '\0';
  return QMR_OK;
}

// Record functions: argument checks, then -8 without a status reader.
QMR_EXPORT int32_t QMRGetNumberOfStorageInfo(void *h, int32_t *count) {
  if (h == nullptr || count == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_storage(count);
}

QMR_EXPORT int32_t QMRGetStorageInfo(void *h, uint32_t index, QMRStorageInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_storage(index, out);
}

QMR_EXPORT int32_t QMRGetNumberOfDeviceInfo(void *h, int32_t *count) {
  if (h == nullptr || count == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_devices(count);
}

QMR_EXPORT int32_t QMRGetDeviceInfo(void *h, uint32_t index, QMRDeviceInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_device(index, out);
}

QMR_EXPORT int32_t QMRGetNumberOfInputTrayInfo(void *h, int32_t *count) {
  if (h == nullptr || count == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_input_trays(count);
}

QMR_EXPORT int32_t QMRGetInputTrayInfo(void *h, uint32_t index, QMRInputTrayInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_input_tray(index, out);
}

QMR_EXPORT int32_t QMRGetNumberOfOutputTrayInfo(void *h, int32_t *count) {
  if (h == nullptr || count == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_output_trays(count);
}

QMR_EXPORT int32_t QMRGetOutputTrayInfo(void *h, uint32_t index, QMROutputTrayInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_output_tray(index, out);
}

QMR_EXPORT int32_t QMRGetNumberOfTonerInfo(void *h, int32_t *count) {
  if (h == nullptr || count == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_toners(count);
}

QMR_EXPORT int32_t QMRGetTonerInfo(void *h, uint32_t index, QMRTonerInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_toner(index, out);
}

QMR_EXPORT int32_t QMRGetNumberOfAlertInfo(void *h, int32_t *count) {
  if (h == nullptr || count == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_alerts(count);
}

QMR_EXPORT int32_t QMRGetAlertInfo(void *h, uint32_t index, QMRAlertInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_alert(index, out);
}

QMR_EXPORT int32_t QMRGetPrinterInfo(void *h, QMRPrinterInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_printer(out);
}

QMR_EXPORT int32_t QMRGetNumberOfJobInfo(void *h, uint32_t selector, int32_t *count) {
  if (h == nullptr || selector > kHighestJobSelector || count == nullptr)
    return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->refresh_jobs(selector, count);
}

QMR_EXPORT int32_t QMRGetJobInfo(void *h, uint32_t index, QMRJobInfo *out) {
  if (h == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->get_job(index, out);
}

QMR_EXPORT int32_t QMRCancelJob(void *h, const char *jobId) {
  if (h == nullptr || jobId == nullptr) return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->cancel_job(jobId);
}

QMR_EXPORT int32_t QMRGetCharSet(void *h, uint32_t selector, int32_t *value) {
  if (h == nullptr || selector > kHighestCharSetSelector || value == nullptr)
    return QMR_E_INVALID_ARG;
  CQMRDeviceStatus *status = unwrap(h)->status();
  if (status == nullptr) return QMR_E_NO_DEVICE;
  return status->read_char_set(selector, value);
}

}  // extern "C"
