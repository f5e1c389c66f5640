#include "api/device_finder.h"

#include <cstring>
#include <new>

#include "api/plugin_usm.h"
#include "log/log.h"

namespace {

constexpr char kBroadcastIPv4[] = "255.255.255.255";
constexpr char kMulticastIPv6[] = "ff02::1";

template <size_t N>
bool fits(const char *text) {
  return std::strlen(text) < N;
}

template <size_t N>
void copy_text(char (&target)[N], const char *source) {
  std::memset(target, 0, N);
  std::strncpy(target, source, N - 1);
}

}  // namespace

SQMRFoundList::~SQMRFoundList() {
  std::unique_ptr<SQMRFoundDevice> node = std::move(first);
  while (node) node = std::move(node->next);
}

CQMRDeviceFinder::CQMRDeviceFinder()
    : m_filters{}, m_pModels(kQMRSupportedModels), m_community{}, m_pUsm(nullptr) {}

CQMRDeviceFinder::~CQMRDeviceFinder() = default;

CQMRDeviceFinder *CQMRDeviceFinder::create(int32_t *rc) {
  CQMRDeviceFinder *finder = new (std::nothrow) CQMRDeviceFinder();
  if (rc != nullptr) *rc = finder != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return finder;
}

void CQMRDeviceFinder::release() { delete this; }

int32_t CQMRDeviceFinder::find(const char *dest, EProtocol protocol, int32_t selector,
                               const QMRSecurityBlock *block, IQMRPluginUSM *usm,
                               const char *communityFind, uint32_t timeoutMs, uint32_t retries,
                               uint32_t maxMessageSize, int32_t *found) {
  if (usm == nullptr || found == nullptr) return QMR_E_INVALID_ARG;
  const char *target = dest;
  switch (protocol) {
    case ITqcNetworkAddress::IPv4:
    case ITqcNetworkAddress::IPX:
      if (target == nullptr) target = kBroadcastIPv4;
      break;
    case ITqcNetworkAddress::IPv6:
      if (target == nullptr) target = kMulticastIPv6;
      break;
    default: return QMR_E_NOT_SUPPORTED;
  }
  usm->load(selector, block);
  m_pUsm = usm;
  // A discovery community once set stays until another non-empty one comes.
  if (communityFind != nullptr && communityFind[0] != '\0' && fits<sizeof m_community>(communityFind))
    copy_text(m_community, communityFind);
  m_pFound.reset();
  m_pModels = kQMRSupportedModels;
  int32_t rc = run_discovery(target, protocol, timeoutMs, retries, maxMessageSize, found);
  m_pUsm = nullptr;
  return rc;
}

// The broadcast needs the session layer's find-device façade; until that
// layer is part of the library the façade cannot be made, which leaves the
// finder without a list, as any failure of this step does.
int32_t CQMRDeviceFinder::run_discovery(const char *, EProtocol, uint32_t, uint32_t, uint32_t,
                                        int32_t *) {
  const int32_t rc = QMR_E_NOT_SUPPORTED;
  log_qmr_failure("tqc_create_find_device_snmp()", rc);
  return rc;
}

bool CQMRDeviceFinder::start_list() {
  m_pFound.reset(new (std::nothrow) SQMRFoundList());
  return m_pFound != nullptr;
}

bool CQMRDeviceFinder::add_answer(const char *sysObjectId, const char *address) {
  if (!m_pFound || sysObjectId == nullptr || address == nullptr) return false;
  // Texts that do not fit a node field would be recorded cut; drop them.
  if (!fits<sizeof SQMRFoundDevice::sysObjectId>(sysObjectId) ||
      !fits<sizeof SQMRFoundDevice::address>(address))
    return false;
  const SQMRModelEntry *model = qmr_find_model(m_pModels, sysObjectId);
  if (model == nullptr) return false;
  if (m_filters[0][0] != '\0') {
    bool passed = false;
    for (const auto &filter : m_filters) {
      if (filter[0] == '\0') continue;
      if (std::strncmp(sysObjectId, filter, std::strlen(filter)) == 0) {
        passed = true;
        break;
      }
    }
    if (!passed) return false;
  }
  std::unique_ptr<SQMRFoundDevice> node(new (std::nothrow) SQMRFoundDevice());
  if (!node) return false;
  copy_text(node->sysObjectId, sysObjectId);
  copy_text(node->modelName, model->modelName);
  copy_text(node->address, address);
  node->next = std::move(m_pFound->first);
  m_pFound->first = std::move(node);
  m_pFound->count += 1;
  return true;
}

int32_t CQMRDeviceFinder::add_filter(const char *filter) {
  if (filter == nullptr) return QMR_E_INVALID_ARG;
  // A cut filter would accept models the caller meant to exclude.
  if (!fits<sizeof m_filters[0]>(filter)) return QMR_E_INVALID_ARG;
  for (auto &entry : m_filters) {
    if (entry[0] != '\0') continue;
    copy_text(entry, filter);
    return QMR_OK;
  }
  return QMR_OK;  // all entries in use: dropped
}

void CQMRDeviceFinder::clear_filters() { std::memset(m_filters, 0, sizeof m_filters); }

void CQMRDeviceFinder::reset_position() {
  if (m_pFound) m_pFound->cursor = 0;
}

bool CQMRDeviceFinder::get_next(char *address, char *model, char *zeroByte, char *sysObjectId) {
  if (address == nullptr || model == nullptr || zeroByte == nullptr || sysObjectId == nullptr)
    return false;
  if (!m_pFound || m_pFound->count <= 0 || m_pFound->cursor < 0 ||
      m_pFound->cursor >= m_pFound->count)
    return false;
  const SQMRFoundDevice *node = m_pFound->first.get();
  for (int32_t i = 0; i < m_pFound->cursor && node != nullptr; ++i) node = node->next.get();
  if (node == nullptr) return false;
  std::memcpy(address, node->address, sizeof node->address);
  std::memcpy(model, node->modelName, sizeof node->modelName);
  *zeroByte = 0;
  std::memcpy(sysObjectId, node->sysObjectId, sizeof node->sysObjectId);
  m_pFound->cursor += 1;
  return true;
}
