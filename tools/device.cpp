#include "device.h"

#include <netdb.h>
#include <sys/socket.h>

#include <cctype>
#include <cstring>

namespace {

constexpr char kCmdRead[] = "CmdSetCommunityGetOption";
constexpr char kCmdBulkWalk[] = "CmdSetBulkWalk";
constexpr char kCmdFind[] = "CmdSetCommunityFind";
constexpr char kCmdWrite[] = "CmdSetCommunityWrite";
constexpr char kCmdTraceLog[] = "CmdSetTraceLog";
constexpr size_t kDeviceTextBytes = 64;  // QMRGetDeviceNext outputs

// "nnnnnnnn:hhhhhhhhhhhh": network number and node, as the library writes
// IPX addresses.
bool is_ipx_text(const std::string &text) {
  if (text.size() != 21 || text[8] != ':') return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != 8 && !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

int32_t public_protocol(int family) {
  switch (family) {
    case AF_INET: return kProtocolIPv4;
    case AF_INET6: return kProtocolIPv6;
    default: return 0;
  }
}

// The addresses of `host` (numeric only when `numeric`), as numeric texts
// with their public protocol; false when the host has none.
bool lookup(const std::string &host, bool numeric, std::vector<DeviceAddress> *found) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = numeric ? AI_NUMERICHOST : 0;
  addrinfo *list = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0) return false;
  for (const addrinfo *a = list; a != nullptr; a = a->ai_next) {
    char text[NI_MAXHOST];
    const int32_t protocol = public_protocol(a->ai_family);
    if (protocol == 0 ||
        getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0)
      continue;
    found->push_back({numeric ? host : std::string(text), protocol});
  }
  freeaddrinfo(list);
  return !found->empty();
}

}  // namespace

const char *protocol_name(int32_t protocol) {
  switch (protocol) {
    case kProtocolIPv4: return "ipv4";
    case kProtocolIPv6: return "ipv6";
    case kProtocolIPX: return "ipx";
    default: return "none";
  }
}

Failure LibraryHandle::init(const CliOptions &options) {
  Failure f;
  f.step = "QMRInit";
  f.code = QMRInit(&m_handle);
  if (f.failed()) return f;
  if (!options.trace.empty()) {
    // "LEVEL[,FILE]": the level mask, then the file when one was given.
    uint32_t mask = 0;
    parse_trace_levels(options.trace, &mask);
    std::string value = std::to_string(mask);
    if (!options.trace_file.empty()) value += "," + options.trace_file;
    f.step = "start the trace log";
    f.code = QMRCommandString(m_handle, kCmdTraceLog, value.c_str());
    if (f.failed()) return f;
  }
  const std::string &find = options.find_community.empty() ? options.community : options.find_community;
  const struct {
    const char *command;
    const std::string &value;
  } settings[] = {{kCmdRead, options.community}, {kCmdFind, find}, {kCmdWrite, options.write_community}};
  for (const auto &s : settings) {
    if (s.value.empty()) continue;
    f.step = std::string("set community (") + s.command + ")";
    f.code = QMRCommandString(m_handle, s.command, s.value.c_str());
    if (f.failed()) return f;
  }
  if (options.bulk) {
    f.step = std::string("bulk walks (") + kCmdBulkWalk + ")";
    f.code = QMRCommandString(m_handle, kCmdBulkWalk, "on");
    if (f.failed()) return f;
  }
  return Failure{};
}

Failure resolve_device_address(const std::string &operand, int32_t wanted, DeviceAddress *out) {
  Failure f;
  std::vector<DeviceAddress> found;
  if (is_ipx_text(operand) || lookup(operand, true, &found)) {
    out->text = operand;
    out->protocol = wanted != 0 ? wanted : found.empty() ? kProtocolIPX : found.front().protocol;
    return Failure{};
  }
  f.step = "resolve host name " + operand;
  if (lookup(operand, false, &found)) {
    const int32_t order[] = {wanted, kProtocolIPv4, kProtocolIPv6};
    for (int32_t p : order) {
      if (p == 0) continue;
      for (const DeviceAddress &a : found) {
        if (a.protocol == p) {
          *out = a;
          return Failure{};
        }
      }
      if (wanted != 0) break;  // an explicit protocol allows no other
    }
  }
  f.code = QMR_E_FAILED;
  return f;
}

Failure open_device(void *handle, const CliOptions &options, const DeviceAddress &address) {
  Failure f;
  f.step = "open " + address.text;
  const int32_t selector = options.security_selector();
  if (selector != 0) {
    const QMRSecurityBlock block = options.security_block();
    f.code = QMRInitDeviceEx(handle, address.text.c_str(), address.protocol, selector, &block,
                             options.timeout_ms, options.retries);
  } else if (options.bulk && options.snmp_version != kSnmpV1) {
    // GetBulk needs SNMPv2c: the community device is opened as one, unless
    // SNMPv1 was asked for (then tables are read row by row).
    const QMRSecurityBlock none{};
    f.code = QMRInitDeviceEx(handle, address.text.c_str(), address.protocol, kSelectorV2c, &none,
                             options.timeout_ms, options.retries);
  } else {
    f.code = QMRInitDevice(handle, address.text.c_str(), address.protocol, options.timeout_ms, options.retries);
  }
  return f;
}

std::string opened_model(void *handle, const CliOptions &options, const DeviceAddress &address) {
  // The library names the model of a device that answers its discovery
  // query; asked of this one address only.
  int32_t found = 0;
  int32_t rc = QMR_OK;
  if (options.v3()) {
    const QMRSecurityBlock block = options.security_block();
    rc = QMRFindDeviceSNMPEx(handle, address.text.c_str(), address.protocol, kSelectorV3, &block, options.timeout_ms,
                             options.retries, &found);
  } else {
    rc = QMRFindDeviceSNMP(handle, address.text.c_str(), address.protocol, options.timeout_ms, options.retries,
                           &found);
  }
  char text[kDeviceTextBytes], model[kDeviceTextBytes], zero[1], oid[kDeviceTextBytes];
  if (rc != QMR_OK || found < 1 || QMRGetDeviceNext(handle, text, model, zero, oid) != 1) return "";
  return std::string(model, strnlen(model, sizeof model));
}
