// The one object the host application holds: the device finder, the SNMPv3
// parameters, the three communities and, once a device is opened, the option
// object and the status reader.
#ifndef QMR_API_LIBRARY_HANDLE_H
#define QMR_API_LIBRARY_HANDLE_H

#include <cstdint>
#include <memory>

#include "api/device_finder.h"
#include "api/plugin_usm.h"
#include "net/network_address.h"
#include "printer/device_status.h"
#include "printer/quince_option.h"
#include "qmr.h"

// Owned members go through their own release operation.
struct SQMRReleaser {
  void operator()(CQMRQuinceDZRPVRTOption *p) const { p->destroy(); }
  void operator()(CQMRDeviceFinder *p) const { p->release(); }
  void operator()(CQMRDeviceStatus *p) const { p->release(); }
  void operator()(IQMRPluginUSM *p) const { p->release(); }
};

class CQMRLibraryHandle {
 public:
  // The handle with its finder and security parameters; null and -3 through
  // rc when memory runs out (nothing is left allocated).
  static CQMRLibraryHandle *create(int32_t *rc);
  // Destroys the option object, the finder, the status reader and the
  // security parameters, in that order.
  virtual ~CQMRLibraryHandle();
  CQMRLibraryHandle(const CQMRLibraryHandle &) = delete;
  CQMRLibraryHandle &operator=(const CQMRLibraryHandle &) = delete;

  // Exact command names only (the three communities, "CmdSetTraceLog" for
  // the process-wide trace log, "CmdSetBulkWalk"): 0, -5 for another
  // command, -2 for a null text, a value of 256 characters or more, or a
  // malformed trace or bulk-walk value. "CmdSetBulkWalk" takes "1"/"on" or
  // "0"/"off" and, like the communities, applies from the next opening.
  int32_t command_string(const char *command, const char *value);

  // Opens a device: a new option object (kept even when its model check
  // fails), then a new status reader. 0 or the code of the failed step.
  int32_t open_device(const char *address, EProtocol protocol, int32_t selector,
                      const QMRSecurityBlock *block, uint32_t timeoutMs, uint32_t retries,
                      uint32_t maxMessageSize);
  int32_t find_devices(const char *dest, EProtocol protocol, int32_t selector,
                       const QMRSecurityBlock *block, uint32_t timeoutMs, uint32_t retries,
                       int32_t *found);

  CQMRQuinceDZRPVRTOption *option() const { return m_option.get(); }
  CQMRDeviceStatus *status() const { return m_status.get(); }
  CQMRDeviceFinder *finder() const { return m_finder.get(); }

 private:
  CQMRLibraryHandle();

  std::unique_ptr<CQMRQuinceDZRPVRTOption, SQMRReleaser> m_option;
  std::unique_ptr<CQMRDeviceFinder, SQMRReleaser> m_finder;
  char m_communityFind[256];
  char m_communityGetOption[256];
  char m_communityWrite[256];
  std::unique_ptr<CQMRDeviceStatus, SQMRReleaser> m_status;
  std::unique_ptr<IQMRPluginUSM, SQMRReleaser> m_usm;
  bool m_bulkWalk = false;  // "CmdSetBulkWalk"
};

#endif  // QMR_API_LIBRARY_HANDLE_H
