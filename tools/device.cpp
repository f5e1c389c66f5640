#include "device.h"

#include "net/address_service.h"
#include "net/network_address_list.h"

namespace {

using EProtocol = ITqcNetworkAddress::EProtocol;

constexpr char kCmdRead[] = "CmdSetCommunityGetOption";
constexpr char kCmdBulkWalk[] = "CmdSetBulkWalk";
constexpr char kCmdFind[] = "CmdSetCommunityFind";
constexpr char kCmdWrite[] = "CmdSetCommunityWrite";

// The two supported models; the more specific object id first, since the
// test below is a plain prefix test.
const struct {
  const char *oid;
  const char *name;
} kModels[] = {
    {"1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6", "Vellumcraft 7300P"},
    {"1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5", "Vellumcraft 7300"},
};

int32_t public_protocol(EProtocol protocol) {
  switch (protocol) {
    case ITqcNetworkAddress::IPv4: return kProtocolIPv4;
    case ITqcNetworkAddress::IPv6: return kProtocolIPv6;
    case ITqcNetworkAddress::IPX: return kProtocolIPX;
    default: return 0;
  }
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
  f.step = "address " + operand;
  EProtocol protocol = ITqcNetworkAddress::None;
  if (tqc_protocol_of_address(operand.c_str(), &protocol) == QMR_OK && public_protocol(protocol) != 0) {
    out->text = operand;
    out->protocol = wanted != 0 ? wanted : public_protocol(protocol);
    return Failure{};
  }
  ITqcAddressService *service = tqc_address_service(&f.code);
  if (service == nullptr) return f;
  f.step = "resolve host name " + operand;
  CTqcNetworkAddressList *list = nullptr;
  f.code = service->resolve(operand.c_str(), &list);
  if (f.failed()) return f;
  const int32_t order[] = {wanted, kProtocolIPv4, kProtocolIPv6};
  for (int32_t p : order) {
    if (p == 0) continue;
    for (uint32_t i = 0; i < list->count(); ++i) {
      const ITqcNetworkAddress *a = list->get(i);
      if (public_protocol(a->get_protocol()) == p) {
        out->text = a->get_address();
        out->protocol = p;
        list->release();
        return Failure{};
      }
    }
    if (wanted != 0) break;  // an explicit protocol allows no other
  }
  list->release();
  f.code = QMR_E_FAILED;
  return f;
}

Failure open_device(void *handle, const CliOptions &options, const DeviceAddress &address) {
  Failure f;
  f.step = "open " + address.text;
  if (options.v3()) {
    const QMRSecurityBlock block = options.security_block();
    f.code = QMRInitDeviceEx(handle, address.text.c_str(), address.protocol, kSelectorV3, &block,
                             options.timeout_ms, options.retries);
  } else if (options.bulk) {
    // GetBulk needs SNMPv2c: the community device is opened as one.
    const QMRSecurityBlock none{};
    f.code = QMRInitDeviceEx(handle, address.text.c_str(), address.protocol, kSelectorV2c, &none,
                             options.timeout_ms, options.retries);
  } else {
    f.code = QMRInitDevice(handle, address.text.c_str(), address.protocol, options.timeout_ms, options.retries);
  }
  return f;
}

std::string opened_model(void *handle) {
  for (const auto &m : kModels) {
    if (QMRIsSupportedOID(handle, m.oid) == 1) return m.name;
  }
  return "";
}
