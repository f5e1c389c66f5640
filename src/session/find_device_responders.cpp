#include "session/find_device_responders.h"

#include <cstring>

#include "net/address_service.h"
#include "qmr.h"

namespace {

// Width of the network number at the front of an IPX address text.
constexpr size_t kIpxNetworkLength = 8;
constexpr char kIpxAnyNetwork[] = "00000000";

std::string with_port(const std::string &key, uint16_t port) { return key + '#' + std::to_string(port); }

}  // namespace

bool tqc_broadcast_accepts(const ITqcNetworkAddress *destination, const ITqcNetworkAddress *source) {
  if (destination == nullptr || source == nullptr) return false;
  const EProtocol protocol = destination->get_protocol();
  if (protocol == ITqcNetworkAddress::IPv4 || protocol == ITqcNetworkAddress::IPv6) return true;
  const char *wanted = destination->get_address();
  const char *from = source->get_address();
  if (std::strlen(wanted) < kIpxNetworkLength || std::strlen(from) < kIpxNetworkLength) return false;
  return std::strncmp(wanted, kIpxAnyNetwork, kIpxNetworkLength) == 0 ||
         std::strncmp(wanted, from, kIpxNetworkLength) == 0;
}

int32_t CTqcResponderSet::contains(const ITqcNetworkAddress *source, bool *listed, std::string *key) {
  if (source == nullptr || listed == nullptr || key == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  if (!m_pScratch) {
    m_pScratch.reset(tqs_create_octet_buffer(&rc));
    if (!m_pScratch) return rc;
  }
  if ((rc = tqc_normalize_address(source->get_address(), m_pScratch.get())) != QMR_OK) return rc;
  key->assign(std::to_string(static_cast<int32_t>(source->get_protocol())));
  key->push_back(' ');
  key->append(reinterpret_cast<const char *>(m_pScratch->data()), m_pScratch->size());
  *listed = m_anyPort.count(*key) != 0 || m_exact.count(with_port(*key, source->get_port())) != 0;
  return QMR_OK;
}

void CTqcResponderSet::insert(const ITqcNetworkAddress *source, std::string key) {
  if (source->get_port() == 0) {
    m_anyPort.insert(std::move(key));
  } else {
    m_exact.insert(with_port(key, source->get_port()));
  }
  ++m_count;
}
