// The octet buffer: bytes kept with one extra NUL after the last one.
#include "net/octet_buffer.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "qmr.h"

namespace {

class CTqsOctetBuffer final : public ITqsOctetBuffer {
 public:
  CTqsOctetBuffer() = default;
  CTqsOctetBuffer(const CTqsOctetBuffer &) = delete;
  CTqsOctetBuffer &operator=(const CTqsOctetBuffer &) = delete;

  void release() override { delete this; }
  uint32_t size() const override { return m_size; }
  const uint8_t *data() const override { return m_size ? m_pData : nullptr; }
  int32_t set(const void *bytes, uint32_t length) override {
    if (!bytes) length = 0;
    if (!fit(length)) return QMR_E_NO_MEMORY;
    // memmove: the source may lie inside this buffer (which then needs no
    // more room, so fit() kept it in place).
    if (length) std::memmove(m_pData, bytes, length);
    terminate(length);
    return QMR_OK;
  }
  int32_t set_text(const char *text) override { return set(text, text ? length_of(text) : 0); }
  int32_t append(const void *bytes, uint32_t length) override {
    if (!bytes) return length ? QMR_E_INVALID_ARG : QMR_OK;
    if (length > UINT32_MAX - 1 - m_size) return QMR_E_NO_MEMORY;
    const uint32_t old = m_size;
    // Copy first when the source lies inside this buffer: fit() may move it.
    if (inside(bytes)) {
      std::vector<uint8_t> copy(static_cast<const uint8_t *>(bytes), static_cast<const uint8_t *>(bytes) + length);
      if (!fit(old + length)) return QMR_E_NO_MEMORY;
      std::memcpy(m_pData + old, copy.data(), length);
    } else {
      if (!fit(old + length)) return QMR_E_NO_MEMORY;
      if (length) std::memcpy(m_pData + old, bytes, length);
    }
    terminate(old + length);
    return QMR_OK;
  }
  int32_t append_text(const char *text) override {
    if (!text) return QMR_E_INVALID_ARG;
    return append(text, length_of(text));
  }
  int32_t append_buffer(const ITqsOctetBuffer *other) override {
    if (!other) return QMR_E_INVALID_ARG;
    return append(other->data() ? other->data() : reinterpret_cast<const uint8_t *>(""), other->size());
  }
  ITqsOctetBuffer *clone(int32_t *result = nullptr) const override {
    CTqsOctetBuffer *copy = new (std::nothrow) CTqsOctetBuffer();
    int32_t rc = copy ? copy->set(data(), m_size) : QMR_E_NO_MEMORY;
    if (rc != QMR_OK && copy) {
      copy->release();
      copy = nullptr;
    }
    if (result) *result = rc;
    return copy;
  }
  bool equals(const void *bytes, uint32_t length) const override {
    if (!bytes) length = 0;
    return length == m_size && (length == 0 || std::memcmp(m_pData, bytes, length) == 0);
  }
  bool equals_text(const char *text) const override { return equals(text, text ? length_of(text) : 0); }
  bool equals_buffer(const ITqsOctetBuffer *other) const override {
    return other && equals(other->data(), other->size());
  }
  const char *c_str() const override {
    return m_size ? reinterpret_cast<const char *>(m_pData) : "";
  }

 private:
  static uint32_t length_of(const char *text) {
    const size_t n = std::strlen(text);
    return n > UINT32_MAX - 1 ? UINT32_MAX - 1 : static_cast<uint32_t>(n);
  }
  bool inside(const void *p) const {
    const uint8_t *b = static_cast<const uint8_t *>(p);
    return b >= m_pData && b < m_pData + m_capacity;
  }
  // Room for `length` bytes and the NUL; the content so far is kept.
  bool fit(uint32_t length) {
    const size_t needed = static_cast<size_t>(length) + 1;
    if (m_capacity >= needed) return true;
    // Growing by half again keeps a run of appends linear.
    size_t capacity = static_cast<size_t>(m_capacity) + m_capacity / 2;
    if (capacity < needed) capacity = needed;
    uint8_t *grown = new (std::nothrow) uint8_t[capacity];
    if (grown == nullptr) return false;
    std::memcpy(grown, m_pData, static_cast<size_t>(m_size) + 1);
    m_heap.reset(grown);
    m_pData = grown;
    m_capacity = capacity;
    return true;
  }
  void terminate(uint32_t length) {
    m_size = length;
    m_pData[length] = 0;
  }

  // Address texts, names and short values fit inline, so the common buffer
  // costs one allocation, not two.
  static constexpr size_t kInlineSize = 48;

  uint8_t m_inline[kInlineSize] = {};
  std::unique_ptr<uint8_t[]> m_heap;
  uint8_t *m_pData = m_inline;  // m_inline or m_heap; always NUL-terminated at m_size
  size_t m_capacity = kInlineSize;
  uint32_t m_size = 0;
};

}  // namespace

ITqsOctetBuffer *tqs_create_octet_buffer(int32_t *result) {
  ITqsOctetBuffer *buffer = new (std::nothrow) CTqsOctetBuffer();
  if (result) *result = buffer ? QMR_OK : QMR_E_NO_MEMORY;
  return buffer;
}
