#include "snmp/sub_id_array.h"

#include <cstring>
#include <new>

bool CTqsSubIdArray::reserve(uint32_t count) {
  if (count <= m_capacity) return true;
  std::unique_ptr<uint32_t[]> bigger(new (std::nothrow) uint32_t[count]);
  if (!bigger) return false;
  if (m_count) std::memcpy(bigger.get(), m_pData, m_count * sizeof(uint32_t));
  m_heap = std::move(bigger);
  m_pData = m_heap.get();
  m_capacity = count;
  return true;
}

bool CTqsSubIdArray::append(const uint32_t *ids, uint32_t count) {
  if (count == 0) return true;
  if (count > UINT32_MAX / 2 - m_count) return false;
  // The source may lie inside this array, which reserve() may move.
  if (ids >= m_pData && ids < m_pData + m_count) {
    const uint32_t offset = static_cast<uint32_t>(ids - m_pData);
    if (!reserve(grown(m_count + count))) return false;
    std::memmove(m_pData + m_count, m_pData + offset, count * sizeof(uint32_t));
  } else {
    if (m_count + count > m_capacity && !reserve(grown(m_count + count))) return false;
    std::memcpy(m_pData + m_count, ids, count * sizeof(uint32_t));
  }
  m_count += count;
  return true;
}

bool CTqsSubIdArray::assign(const uint32_t *ids, uint32_t count) {
  if (ids == m_pData && count <= m_count) {
    m_count = count;
    return true;
  }
  if (count > m_capacity) {
    if (ids >= m_pData && ids < m_pData + m_count) {
      // Growing from a source inside this array: keep it alive while copying.
      std::unique_ptr<uint32_t[]> bigger(new (std::nothrow) uint32_t[count]);
      if (!bigger) return false;
      std::memcpy(bigger.get(), ids, count * sizeof(uint32_t));
      m_heap = std::move(bigger);
      m_pData = m_heap.get();
      m_capacity = m_count = count;
      return true;
    }
    if (!reserve(count)) return false;
  }
  if (count) std::memmove(m_pData, ids, count * sizeof(uint32_t));
  m_count = count;
  return true;
}

void CTqsSubIdArray::erase(uint32_t start, uint32_t count) {
  if (start >= m_count) return;
  if (count > m_count - start) count = m_count - start;
  std::memmove(m_pData + start, m_pData + start + count, (m_count - start - count) * sizeof(uint32_t));
  m_count -= count;
}
