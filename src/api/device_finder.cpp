#include "api/device_finder.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <new>

#include "api/plugin_usm.h"
#include "log/log.h"
#include "net/octet_buffer.h"
#include "net/owned.h"
#include "printer/printer_read.h"
#include "session/usm_record.h"
#include "snmp/pdu.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "snmp/snmp_value.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr char kBroadcastIPv4[] = "255.255.255.255";
constexpr char kMulticastIPv6[] = "ff02::1";
constexpr char kOidSysObjectId[] = "1.3.6.1.2.1.1.2";
// Room for any value text an answer may carry; longer ones are cut here and
// then refused as too long for a node field.
constexpr size_t kAnswerTextSize = 256;

// The first varbind's value as text, cut to size - 1 characters. False when
// there is no value or it has no text form. `form` is scratch space, reused
// across answers so that reading one allocates nothing.
bool first_value_text(const ITqsPdu *pdu, ITqsOctetBuffer *form, char *text, size_t size) {
  if (pdu == nullptr) return false;
  const ITqsVarBindList *list = pdu->get_var_bind_list();
  const ITqsVarBind *first = (list != nullptr && list->count() != 0) ? list->get_at(0) : nullptr;
  const ITqsSnmpValue *value = first != nullptr ? first->get_value() : nullptr;
  if (value == nullptr) return false;
  if (value->write_text(form) != QMR_OK || form->size() == 0) return false;
  const size_t length = form->size() < size - 1 ? form->size() : size - 1;
  std::memcpy(text, form->data(), length);
  text[length] = '\0';
  return true;
}

template <size_t N>
bool fits(const char *text) {
  return std::strlen(text) < N;
}

// A walk output: the text, cut to the room, zero-padded.
void put_text(char *target, const char *source) {
  std::memset(target, 0, kQMRFoundTextSize);
  std::strncpy(target, source, kQMRFoundTextSize - 1);
}

template <size_t N>
void copy_text(char (&target)[N], const char *source) {
  std::memset(target, 0, N);
  std::strncpy(target, source, N - 1);
}

}  // namespace

CQMRDeviceFinder::CQMRDeviceFinder()
    : m_filters{}, m_pModels(kQMRSupportedModels), m_community{}, m_pUsm(nullptr) {}

// Found nodes and list first, then the façade.
CQMRDeviceFinder::~CQMRDeviceFinder() { m_pFound.reset(); }

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
  m_pFindDeviceSnmp.reset();
  drop_list();
  int32_t rc = run_discovery(target, protocol, timeoutMs, retries, maxMessageSize, found);
  m_pUsm = nullptr;
  return rc;
}

int32_t CQMRDeviceFinder::run_discovery(const char *dest, EProtocol protocol, uint32_t timeoutMs,
                                        uint32_t retries, uint32_t maxMessageSize, int32_t *found) {
  int32_t rc = QMR_OK;
  m_pFindDeviceSnmp.reset(tqc_create_find_device_snmp(&rc));
  if (!m_pFindDeviceSnmp) {
    log_qmr_failure("tqc_create_find_device_snmp()", rc);
    return rc;
  }
  ITqcFindDeviceSnmp *facade = m_pFindDeviceSnmp.get();
  EProtocol named = ITqcNetworkAddress::None;
  if ((rc = facade->protocol_of(dest, &named)) != QMR_OK) return rc;
  if (named != protocol) return QMR_E_INVALID_ARG;
  uint16_t port = 0;
  if ((rc = qmr_snmp_port_of(protocol, &port)) != QMR_OK) return rc;
  if (m_community[0] != '\0' && (rc = facade->set_community(m_community)) != QMR_OK) return rc;
  const STqcUsmRecord record = tqc_usm_record_of(*m_pUsm);
  rc = facade->init(dest, protocol, port, m_pUsm->get_selector(), &record, static_cast<int32_t>(timeoutMs),
                    static_cast<int32_t>(retries), maxMessageSize);
  if (rc != QMR_OK) {
    log_qmr_failure("m_pFindDeviceSnmp->init()", rc);
    return rc;
  }
  if (!start_list()) return QMR_E_NO_MEMORY;
  *found = 0;
  m_pModels = kQMRSupportedModels;
  if ((rc = facade->add_oid_string(kOidSysObjectId)) != QMR_OK) {
    log_qmr_failure("m_pFindDeviceSnmp->add_oid_string()", rc);
    return rc;
  }
  ITqsSnmpPacketList *received = nullptr;
  if ((rc = facade->send_broad_cast(&received)) != QMR_OK) {
    log_qmr_failure("m_pFindDeviceSnmp->send_broad_cast()", rc);
    return rc;
  }
  TqcOwned<ITqsSnmpPacketList> answers(received);
  TqcOwned<ITqsListIterator> it(answers->new_iterator(&rc));
  if (!it) return rc;
  TqcOwned<ITqsOctetBuffer> form(tqs_create_octet_buffer(&rc));
  if (!form) return rc;
  if (!reserve_answers(answers->count())) return QMR_E_NO_MEMORY;
  char sysObjectId[kAnswerTextSize];
  for (const ITqsSnmpPacket *packet = answers->element_at(it.get()); packet != nullptr;
       answers->step(it.get()), packet = answers->element_at(it.get())) {
    // Answers without a readable address or value are no devices.
    const ITqsSnmpTarget *from = packet->get_target();
    if (from == nullptr || from->get_address() == nullptr ||
        !first_value_text(packet->get_pdu(), form.get(), sysObjectId, sizeof sysObjectId))
      continue;
    add_answer(sysObjectId, from->get_address()->get_address());
  }
  *found = m_pFound->count;
  return QMR_OK;
}

void CQMRDeviceFinder::drop_list() {
  if (!m_pFound) return;
  // The storage stays for the next list: a fresh one for thousands of nodes
  // costs a page fault per 4 KiB when it is first filled.
  m_spare.nodes.swap(m_pFound->nodes);
  m_spare.texts.swap(m_pFound->texts);
  m_spare.nodes.clear();
  m_spare.texts.clear();
  m_pFound.reset();
}

bool CQMRDeviceFinder::start_list() {
  drop_list();
  m_pFound.reset(new (std::nothrow) SQMRFoundList());
  if (!m_pFound) return false;
  m_pFound->nodes.swap(m_spare.nodes);
  m_pFound->texts.swap(m_spare.texts);
  return true;
}

bool CQMRDeviceFinder::reserve_answers(uint32_t answers) {
  if (!m_pFound) return false;
  std::vector<SQMRFoundDevice> &nodes = m_pFound->nodes;
  std::vector<char> &texts = m_pFound->texts;
  try {
    nodes.reserve(nodes.size() + answers);
    // Room for two full texts per answer; only the part filled is touched.
    texts.reserve(texts.size() + static_cast<size_t>(answers) * 2 * kQMRFoundTextSize);
  } catch (const std::exception &) {  // bad_alloc, or length_error past max_size
    return false;
  }
  return true;
}

bool CQMRDeviceFinder::add_answer(const char *sysObjectId, const char *address) {
  if (!m_pFound || sysObjectId == nullptr || address == nullptr) return false;
  // Texts that do not fit a node field would be recorded cut; drop them.
  if (!fits<kQMRFoundTextSize>(sysObjectId) || !fits<kQMRFoundTextSize>(address)) return false;
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
  if (m_pFound->count == INT32_MAX) return false;  // the walk counts in 32 bits
  std::vector<char> &texts = m_pFound->texts;
  const size_t oidSize = std::strlen(sysObjectId) + 1;
  const size_t addressSize = std::strlen(address) + 1;
  if (texts.size() > UINT32_MAX - oidSize - addressSize) return false;  // offsets are 32-bit
  const uint32_t at = static_cast<uint32_t>(texts.size());
  // Within the room a discovery reserved: no allocation.
  try {
    texts.insert(texts.end(), sysObjectId, sysObjectId + oidSize);
    texts.insert(texts.end(), address, address + addressSize);
    m_pFound->nodes.push_back(SQMRFoundDevice{model->modelName, at, static_cast<uint32_t>(at + oidSize)});
  } catch (const std::bad_alloc &) {
    texts.resize(at);
    return false;
  }
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
  // Position 0 is the front, the last node added.
  const SQMRFoundDevice &node = m_pFound->nodes[static_cast<size_t>(m_pFound->count - 1 - m_pFound->cursor)];
  const char *texts = m_pFound->texts.data();
  put_text(address, texts + node.addressAt);
  put_text(model, node.modelName);
  *zeroByte = 0;
  put_text(sysObjectId, texts + node.sysObjectIdAt);
  m_pFound->cursor += 1;
  return true;
}
