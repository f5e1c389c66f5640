#include "snmp/raw_packet.h"

#include <new>

#include "qmr.h"

CTqsRawPacket::~CTqsRawPacket() { free_area(); }

void CTqsRawPacket::free_area() {
  if (m_owned) delete[] m_data;
  m_data = nullptr;
  m_size = 0;
  m_start = 0;
  m_owned = false;
}

int32_t CTqsRawPacket::allocate(size_t n) {
  // The encoder asks for the same size on every request: keep the area.
  if (m_owned && m_data != nullptr && m_size == n) {
    m_start = 0;
    return QMR_OK;
  }
  free_area();
  // One byte at least, so that data() is never null for an allocated area.
  m_data = new (std::nothrow) uint8_t[n == 0 ? 1 : n];
  if (m_data == nullptr) return QMR_E_NO_MEMORY;
  m_size = n;
  m_owned = true;
  return QMR_OK;
}

void CTqsRawPacket::attach(uint8_t *data, size_t size, bool owned) {
  free_area();
  m_data = data;
  m_size = data != nullptr ? size : 0;
  m_owned = data != nullptr && owned;
}

uint8_t *CTqsRawPacket::detach() {
  uint8_t *p = m_data;
  m_data = nullptr;
  m_size = 0;
  m_start = 0;
  m_owned = false;
  return p;
}

void CTqsRawPacket::truncate(size_t n) {
  if (n > m_size) return;
  m_size = n;
  if (m_start > m_size) m_start = m_size;
}

bool CTqsRawPacket::set_start(const uint8_t *p) {
  if (m_data == nullptr || p < m_data || p > m_data + m_size) return false;
  m_start = static_cast<size_t>(p - m_data);
  return true;
}
