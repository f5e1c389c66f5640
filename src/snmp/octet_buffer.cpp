// The octet buffer: bytes kept with one extra NUL after the last one.
#include "snmp/octet_buffer.h"

#include <cstring>
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
  const uint8_t *data() const override { return m_size ? m_bytes.data() : nullptr; }
  int32_t set(const void *bytes, uint32_t length) override {
    if (!bytes) length = 0;
    if (!fit(length)) return QMR_E_NO_MEMORY;
    // memmove: the source may lie inside this buffer.
    if (length) std::memmove(m_bytes.data(), bytes, length);
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
      std::memcpy(m_bytes.data() + old, copy.data(), length);
    } else {
      if (!fit(old + length)) return QMR_E_NO_MEMORY;
      if (length) std::memcpy(m_bytes.data() + old, bytes, length);
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
    return length == m_size && (length == 0 || std::memcmp(m_bytes.data(), bytes, length) == 0);
  }
  bool equals_text(const char *text) const override { return equals(text, text ? length_of(text) : 0); }
  bool equals_buffer(const ITqsOctetBuffer *other) const override {
    return other && equals(other->data(), other->size());
  }
  const char *c_str() const override {
    return m_size ? reinterpret_cast<const char *>(m_bytes.data()) : "";
  }

 private:
  static uint32_t length_of(const char *text) {
    const size_t n = std::strlen(text);
    return n > UINT32_MAX - 1 ? UINT32_MAX - 1 : static_cast<uint32_t>(n);
  }
  bool inside(const void *p) const {
    const uint8_t *b = static_cast<const uint8_t *>(p);
    return !m_bytes.empty() && b >= m_bytes.data() && b < m_bytes.data() + m_bytes.size();
  }
  // Room for `length` bytes and the NUL.
  bool fit(uint32_t length) {
    const size_t needed = static_cast<size_t>(length) + 1;
    if (m_bytes.size() >= needed) return true;
    try {
      m_bytes.resize(needed);
    } catch (const std::bad_alloc &) {
      return false;
    }
    return true;
  }
  void terminate(uint32_t length) {
    m_size = length;
    m_bytes[length] = 0;
  }

  std::vector<uint8_t> m_bytes;  // at least m_size + 1 bytes once used
  uint32_t m_size = 0;
};

}  // namespace

ITqsOctetBuffer *tqs_create_octet_buffer(int32_t *result) {
  ITqsOctetBuffer *buffer = new (std::nothrow) CTqsOctetBuffer();
  if (result) *result = buffer ? QMR_OK : QMR_E_NO_MEMORY;
  return buffer;
}
