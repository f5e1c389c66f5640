#include "net/network_address.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "net/address_service.h"
#include "net/network_address_list.h"
#include "net/octet_buffer.h"
#include "net/socket_types.h"
#include "qmr.h"

namespace {

// A copy of an address text with the hexadecimal letters A-F in lower case
// (nothing else changes), so IPv6 and IPX texts are kept in one spelling.
// Numeric texts fit the stack buffer; a longer name goes to the heap.
class LoweredText {
 public:
  int32_t assign(const char *text) {
    const size_t length = std::strlen(text);
    char *out = m_small;
    if (length >= sizeof m_small) {
      try {
        m_large.assign(length, '\0');
      } catch (const std::bad_alloc &) {
        return QMR_E_NO_MEMORY;
      }
      out = &m_large[0];
    }
    for (size_t i = 0; i < length; ++i) {
      const char c = text[i];
      out[i] = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    out[length] = '\0';
    m_pText = out;
    m_length = length;
    return QMR_OK;
  }
  const char *c_str() const { return m_pText; }
  size_t size() const { return m_length; }

 private:
  // Room for the longest numeric text (IPv6 with an IPv4 tail and a scope).
  char m_small[64];
  std::string m_large;
  const char *m_pText = m_small;
  size_t m_length = 0;
};

class CTqcNetworkAddress final : public ITqcNetworkAddress {
 public:
  void release() override { delete this; }

  int32_t set_address(const char *text) override {
    if (text == nullptr) return QMR_E_INVALID_ARG;
    LoweredText lowered;
    int32_t rc = lowered.assign(text);
    if (rc != QMR_OK) return rc;
    EProtocol found = None;
    rc = tqc_protocol_of_address(lowered.c_str(), &found);
    if (rc != QMR_OK) return rc;
    if (found == None) return QMR_E_INVALID_ARG;
    if (m_protocol != None && m_protocol != found) return QMR_E_INVALID_ARG;
    rc = store(lowered);
    if (rc == QMR_OK) m_protocol = found;
    return rc;
  }

  int32_t set(const char *text, EProtocol protocol, uint16_t port) override {
    if (text == nullptr) return QMR_E_INVALID_ARG;
    LoweredText lowered;
    int32_t rc = lowered.assign(text);
    if (rc == QMR_OK) rc = store(lowered);
    if (rc != QMR_OK) return rc;
    if (protocol != None) m_protocol = protocol;
    if (port != 0) m_port = port;
    return QMR_OK;
  }

  const ITqsOctetBuffer *get_value() const override { return m_pText.get(); }

  int32_t get(const char **text, EProtocol *protocol, uint16_t *port) const override {
    if (text == nullptr) return QMR_E_INVALID_ARG;
    *text = get_address();
    if (protocol != nullptr) *protocol = m_protocol;
    if (port != nullptr) *port = m_port;
    return QMR_OK;
  }

  int32_t set_protocol(EProtocol protocol) override {
    m_protocol = protocol;
    return QMR_OK;
  }

  int32_t set_port(uint16_t port) override {
    m_port = port;
    return QMR_OK;
  }

  EProtocol get_protocol() const override { return m_protocol; }
  uint16_t get_port() const override { return m_port; }

  bool is_equal(const ITqcNetworkAddress *other) const override {
    if (other == nullptr) return false;
    bool same_text = false;
    if (tqc_compare_addresses(get_address(), other->get_address(), &same_text) != QMR_OK) return false;
    // One-sided: a port of 0 on the argument stands for any port.
    return same_text && m_protocol == other->get_protocol() && (other->get_port() == 0 || other->get_port() == m_port);
  }

  int32_t clone(ITqcNetworkAddress **copy) const override {
    if (copy == nullptr) return QMR_E_INVALID_ARG;
    *copy = nullptr;
    auto *made = new (std::nothrow) CTqcNetworkAddress();
    if (made == nullptr) return QMR_E_NO_MEMORY;
    if (m_pText) {
      int32_t rc = QMR_OK;
      made->m_pText.reset(m_pText->clone(&rc));
      if (!made->m_pText) {
        made->release();
        return rc != QMR_OK ? rc : QMR_E_NO_MEMORY;
      }
    }
    made->m_protocol = m_protocol;
    made->m_port = m_port;
    *copy = made;
    return QMR_OK;
  }

  bool is_valid() const override {
    bool is_address = false;
    return tqc_is_address(get_address(), &is_address) == QMR_OK && is_address;
  }

  int32_t normalize() override {
    int32_t rc = QMR_OK;
    TqcBufferPtr result(tqs_create_octet_buffer(&rc));
    if (!result) return rc;
    rc = tqc_normalize_address(get_address(), result.get());
    if (rc != QMR_OK) return rc;
    m_pText = std::move(result);
    return QMR_OK;
  }

  const char *get_address() const override { return m_pText ? m_pText->c_str() : ""; }

 private:
  int32_t store(const LoweredText &text) {
    if (!m_pText) {
      int32_t rc = QMR_OK;
      m_pText.reset(tqs_create_octet_buffer(&rc));
      if (!m_pText) return rc != QMR_OK ? rc : QMR_E_NO_MEMORY;
    }
    return m_pText->set(text.c_str(), static_cast<uint32_t>(text.size()));
  }

  TqcBufferPtr m_pText;
  EProtocol m_protocol = None;
  uint16_t m_port = 0;
};

}  // namespace

int tqc_family_of_protocol(EProtocol protocol) {
  switch (protocol) {
    case ITqcNetworkAddress::IPv4: return kTqcFamilyInet;
    case ITqcNetworkAddress::IPX: return kTqcFamilyIpx;
    case ITqcNetworkAddress::IPv6: return kTqcFamilyInet6;
    default: return kTqcFamilyUnspec;
  }
}

EProtocol tqc_protocol_of_family(int family) {
  switch (family) {
    case kTqcFamilyInet: return ITqcNetworkAddress::IPv4;
    case kTqcFamilyIpx: return ITqcNetworkAddress::IPX;
    case kTqcFamilyInet6: return ITqcNetworkAddress::IPv6;
    default: return ITqcNetworkAddress::None;
  }
}

ITqcNetworkAddress *tqc_create_network_address(int32_t *result) {
  ITqcNetworkAddress *made = new (std::nothrow) CTqcNetworkAddress();
  if (result != nullptr) *result = made != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return made;
}

ITqcNetworkAddress *tqc_make_network_address(const char *text, EProtocol protocol, uint16_t port, int32_t *result) {
  int32_t rc = QMR_OK;
  ITqcNetworkAddress *made = tqc_create_network_address(&rc);
  if (made != nullptr) {
    rc = made->set(text, protocol, port);
    if (rc != QMR_OK) {
      made->release();
      made = nullptr;
    }
  }
  if (result != nullptr) *result = rc;
  return made;
}

ITqcNetworkAddress *tqc_create_network_address(const char *text, uint16_t port, int32_t *result) {
  EProtocol protocol = ITqcNetworkAddress::None;
  int32_t rc = text == nullptr ? QMR_E_INVALID_ARG : tqc_protocol_of_address(text, &protocol);
  if (rc != QMR_OK) {
    if (result != nullptr) *result = rc;
    return nullptr;
  }
  return tqc_make_network_address(text, protocol, port, result);
}

CTqcNetworkAddressList::~CTqcNetworkAddressList() {
  for (ITqcNetworkAddress *a : m_items) a->release();
}

int32_t CTqcNetworkAddressList::append(ITqcNetworkAddress *address) {
  if (address == nullptr) return QMR_E_INVALID_ARG;
  try {
    m_items.push_back(address);
  } catch (const std::bad_alloc &) {
    address->release();
    return QMR_E_NO_MEMORY;
  }
  return QMR_OK;
}

CTqcNetworkAddressList *tqc_create_network_address_list(int32_t *result) {
  auto *made = new (std::nothrow) CTqcNetworkAddressList();
  if (result != nullptr) *result = made != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return made;
}
