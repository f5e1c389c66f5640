// Forward BER reader over a received datagram.
//
// Bounds: only the bytes in [position(), end()) are ever looked at; end() can
// only move towards the start (set_end). Every read checks the bytes it needs
// against what is left before end() and fails with QMR_E_DECODE otherwise,
// setting the exhausted flag when the input ran out. Declared lengths are
// compared with remaining() and never added to a pointer before that check.
#ifndef QMR_SNMP_BER_READER_H
#define QMR_SNMP_BER_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "qmr.h"
#include "snmp/ber_simd.h"
#include "snmp/ber_tags.h"

class BerReader {
 public:
  BerReader(const uint8_t *begin, const uint8_t *end) : m_begin(begin), m_pos(begin), m_end(end) {}
  BerReader() = default;
  void reset(const uint8_t *begin, const uint8_t *end) {
    m_begin = begin;
    m_pos = begin;
    m_end = end;
    m_exhausted = false;
  }
  BerReader(const BerReader &) = delete;
  BerReader &operator=(const BerReader &) = delete;

  const uint8_t *begin() const { return m_begin; }
  const uint8_t *position() const { return m_pos; }
  const uint8_t *end() const { return m_end; }
  size_t remaining() const { return static_cast<size_t>(m_end - m_pos); }
  size_t consumed() const { return static_cast<size_t>(m_pos - m_begin); }
  bool exhausted() const { return m_exhausted; }

  // Shortens the input (trailing bytes after the message); never lengthens it.
  void set_end(const uint8_t *end) {
    if (end >= m_pos && end < m_end) m_end = end;
  }

  int32_t peek_tag(uint8_t *tag) const {
    if (m_pos == m_end) return QMR_E_DECODE;
    *tag = *m_pos;
    return QMR_OK;
  }

  int32_t read_byte(uint8_t *b) {
    if (m_pos == m_end) return ran_out();
    *b = *m_pos++;
    return QMR_OK;
  }

  // Definite length. Long-form octets shift through 32 bits; the result is
  // only a claim, which callers compare with remaining().
  int32_t read_length(uint32_t *len) {
    uint8_t b;
    if (read_byte(&b) != QMR_OK) return QMR_E_DECODE;
    if (b < kBerLengthLongForm) {
      *len = b;
      return QMR_OK;
    }
    if (b == kBerLengthLongForm) return QMR_E_DECODE;  // indefinite form
    uint32_t count = b & 0x7Fu;
    if (count > remaining()) return ran_out();
    uint32_t v = 0;
    for (uint32_t i = 0; i < count; ++i) v = (v << 8) | *m_pos++;
    *len = v;
    return QMR_OK;
  }

  // Tag octet, which must be `expected`, then the length.
  int32_t read_header(uint8_t expected, uint32_t *len) {
    uint8_t tag;
    if (read_byte(&tag) != QMR_OK || tag != expected) return QMR_E_DECODE;
    return read_length(len);
  }

  // Two's complement content of n octets as a 32-bit pattern, sign-extended
  // from the first octet. Five octets are accepted only with a leading 0x00
  // (the unsigned form of values above 2^31 - 1); longer contents cannot fit
  // 32 bits and are refused instead of silently losing their top octets.
  int32_t read_integer_content(uint32_t n, uint32_t *bits) {
    if (n > remaining()) return ran_out();
    if (n == 0) {
      *bits = 0;
      return QMR_OK;
    }
    if (n > 5 || (n == 5 && m_pos[0] != 0)) return QMR_E_DECODE;
    uint32_t v = (m_pos[0] & 0x80u) ? 0xFFFFFFFFu : 0;
    for (uint32_t i = 0; i < n; ++i) v = (v << 8) | *m_pos++;
    *bits = v;
    return QMR_OK;
  }

  // Whole INTEGER-like element with the given tag.
  int32_t read_integer(uint8_t tag, uint32_t *bits) {
    uint32_t len;
    if (read_header(tag, &len) != QMR_OK) return QMR_E_DECODE;
    return read_integer_content(len, bits);
  }

  // Counter64 content: the last 4 octets are the low half, the ones before
  // them the high half. At most 9 octets, and 9 only with a leading 0x00.
  int32_t read_counter64_content(uint32_t n, uint32_t *high, uint32_t *low) {
    if (n > remaining()) return ran_out();
    if (n > 9 || (n == 9 && m_pos[0] != 0)) return QMR_E_DECODE;
    uint32_t h = 0;
    uint32_t l = 0;
    uint32_t nh = n > 4 ? n - 4 : 0;
    for (uint32_t i = 0; i < nh; ++i) h = (h << 8) | *m_pos++;
    for (uint32_t i = nh; i < n; ++i) l = (l << 8) | *m_pos++;
    *high = h;
    *low = l;
    return QMR_OK;
  }

  // n content octets, lent from the input (no copy).
  int32_t read_octets(uint32_t n, const uint8_t **p) {
    if (n > remaining()) return ran_out();
    *p = m_pos;
    m_pos += n;
    return QMR_OK;
  }

  // One base-128 sub-identifier not reaching past `limit` (<= end()). A value
  // wider than 32 bits is refused rather than wrapped (X.690 8.19.2 sets no
  // limit, but SNMP sub-identifiers are 32-bit, RFC 2578 3.5).
  int32_t read_sub_identifier(const uint8_t *limit, uint32_t *v) {
    uint32_t acc = 0;
    for (;;) {
      if (m_pos == limit) return ran_out();
      uint8_t b = *m_pos++;
      if (acc > (0xFFFFFFFFu >> 7)) return QMR_E_DECODE;
      acc = (acc << 7) | (b & 0x7Fu);
      if ((b & kBerSubIdMore) == 0) break;
    }
    *v = acc;
    return QMR_OK;
  }

  // All sub-identifiers from the position up to `limit` (<= end()) into
  // out[1..]; out needs room for (limit - position()) + 1 entries, since
  // the caller splits the first one into two. *count gets the number stored
  // from out[1] on. Fails when the content ends inside a sub-identifier
  // (exhausted() is then set) or one is wider than 32 bits.
  int32_t read_sub_identifiers(const uint8_t *limit, uint32_t *out, size_t *count) {
    const uint8_t *p = m_pos;
    uint32_t *o = out + 1;
    while (p != limit) {
      if (limit - p >= 8 && ber_widen8(p, o)) {
        p += 8;
        o += 8;
        continue;
      }
      // One-octet sub-identifiers up to the next longer one (or the end).
      uint8_t b = *p++;
      while (b < kBerSubIdMore) {
        *o++ = b;
        if (p == limit) break;
        b = *p++;
      }
      if (b < kBerSubIdMore) break;
      uint32_t acc = b & 0x7Fu;
      do {
        if (p == limit) {
          m_pos = p;
          return ran_out();
        }
        if (acc > (0xFFFFFFFFu >> 7)) {
          m_pos = p;
          return QMR_E_DECODE;
        }
        b = *p++;
        acc = (acc << 7) | (b & 0x7Fu);
      } while (b & kBerSubIdMore);
      *o++ = acc;
    }
    m_pos = p;
    *count = static_cast<size_t>(o - (out + 1));
    return QMR_OK;
  }

 private:
  int32_t ran_out() {
    m_exhausted = true;
    return QMR_E_DECODE;
  }

  const uint8_t *m_begin = nullptr;
  const uint8_t *m_pos = nullptr;
  const uint8_t *m_end = nullptr;
  bool m_exhausted = false;
};

#endif  // QMR_SNMP_BER_READER_H
