// The sub-identifier storage of an OID: a small inline array that moves to
// the heap only for long identifiers, so typical OIDs never allocate.
#ifndef QMR_SNMP_SUB_ID_ARRAY_H
#define QMR_SNMP_SUB_ID_ARRAY_H

#include <cstdint>
#include <memory>

class CTqsSubIdArray {
 public:
  // Enough for the MIB objects and table indexes the library reads.
  static constexpr uint32_t kInlineCount = 32;

  CTqsSubIdArray() = default;
  CTqsSubIdArray(const CTqsSubIdArray &) = delete;
  CTqsSubIdArray &operator=(const CTqsSubIdArray &) = delete;

  uint32_t size() const { return m_count; }
  bool empty() const { return m_count == 0; }
  const uint32_t *data() const { return m_pData; }
  uint32_t operator[](uint32_t i) const { return m_pData[i]; }

  // False when the memory cannot be had; the content is then unchanged.
  bool reserve(uint32_t count);
  bool push_back(uint32_t id) {
    if (m_count == m_capacity && !reserve(grown(m_count + 1))) return false;
    m_pData[m_count++] = id;
    return true;
  }
  bool append(const uint32_t *ids, uint32_t count);
  bool assign(const uint32_t *ids, uint32_t count);
  // Removes `count` entries from `start` (both already within the array).
  void erase(uint32_t start, uint32_t count);
  void clear() { m_count = 0; }
  // For filling in place (the decoder): the content is dropped and the
  // storage for `count` entries returned, null when the memory cannot be
  // had; set_size() then says how many were written.
  uint32_t *storage(uint32_t count) {
    m_count = 0;
    return count <= m_capacity || reserve(count) ? m_pData : nullptr;
  }
  void set_size(uint32_t count) { m_count = count; }

 private:
  static uint32_t grown(uint32_t needed) { return needed < 2 * needed ? 2 * needed : needed; }

  uint32_t m_inline[kInlineCount];
  std::unique_ptr<uint32_t[]> m_heap;
  uint32_t *m_pData = m_inline;
  uint32_t m_count = 0;
  uint32_t m_capacity = kInlineCount;
};

#endif  // QMR_SNMP_SUB_ID_ARRAY_H
