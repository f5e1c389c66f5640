// The library handle of one qmr run and the opening of a printer on it.
#ifndef QMR_TOOLS_DEVICE_H
#define QMR_TOOLS_DEVICE_H

#include <cstdint>
#include <string>
#include <vector>

#include "cli_options.h"

// A failed step: the library's code and what was being done.
struct Failure {
  int32_t code = QMR_OK;
  std::string step;
  bool failed() const { return code != QMR_OK; }
};

class LibraryHandle {
 public:
  LibraryHandle() = default;
  ~LibraryHandle() { QMRUnInit(m_handle); }
  LibraryHandle(const LibraryHandle &) = delete;
  LibraryHandle &operator=(const LibraryHandle &) = delete;

  // QMRInit, the trace log (QMRCommandString "CmdSetTraceLog") and the
  // communities of `options`.
  Failure init(const CliOptions &options);
  void *get() const { return m_handle; }

 private:
  void *m_handle = nullptr;
};

// A device address ready for the library: numeric text and public protocol.
struct DeviceAddress {
  std::string text;
  int32_t protocol = 0;
};

// Numeric addresses are taken as they are; a host name is resolved by the
// system's resolver, preferring the protocol asked for (else IPv4, then
// IPv6).
Failure resolve_device_address(const std::string &operand, int32_t wanted_protocol, DeviceAddress *out);

// QMRInitDevice, or QMRInitDeviceEx with the SNMPv3 block when a user is set.
Failure open_device(void *handle, const CliOptions &options, const DeviceAddress &address);

// "ipv4", "ipv6", "ipx".
const char *protocol_name(int32_t protocol);
// The model of the device at `address` ("Vellumcraft 7300P") as the
// library's discovery names it; empty when it does not answer as a
// supported model.
std::string opened_model(void *handle, const CliOptions &options, const DeviceAddress &address);

#endif  // QMR_TOOLS_DEVICE_H
