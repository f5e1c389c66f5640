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

// The integer reads sit on the decoder's hot path (a dozen per varbind
// list): keep them inlined even where the compiler would count call sites.
#if defined(__GNUC__)
#define QMR_BER_HOT inline __attribute__((always_inline))
#else
#define QMR_BER_HOT inline
#endif

// The value range an integer content must fit.
enum class EBerNumber { kSigned32, kUnsigned32, kUnsigned64 };

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

  // Definite length. Long-form octets may start with zeros (some agents pad
  // to a fixed width); a length that needs more than 32 bits is refused
  // rather than cut. The result is only a claim, which callers compare with
  // remaining().
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
    const uint8_t *p = m_pos;
    m_pos += count;
    // Octets before the last four may only be zeros.
    for (; count > 4; --count, ++p) {
      if (*p != 0) return QMR_E_DECODE;
    }
    uint32_t v = 0;
    for (; p != m_pos; ++p) v = (v << 8) | *p;
    *len = v;
    return QMR_OK;
  }

  // Tag octet, which must be `expected`, then the length.
  int32_t read_header(uint8_t expected, uint32_t *len) {
    uint8_t tag;
    if (read_byte(&tag) != QMR_OK || tag != expected) return QMR_E_DECODE;
    return read_length(len);
  }

  // Two's complement content of n octets, of any length, as a value of the
  // given kind: the octets before the kind's width may only repeat the sign
  // (0x00 before a non-negative value, 0xFF before a negative INTEGER), as
  // agents that pad numbers to a fixed width send them. A value outside the
  // kind's range is refused, never cut; an empty content is 0. Signed
  // values come back sign-extended to 64 bits.
  QMR_BER_HOT int32_t read_integer_content(uint32_t n, EBerNumber kind, uint64_t *value) {
    if (n > remaining()) return ran_out();
    const uint8_t *p = m_pos;
    m_pos += n;
    const bool negative = n != 0 && (*p & 0x80u) != 0;
    if (n > 4) return read_padded_integer(p, p + n, negative, kind, value);
    // Within every kind's width: only the sign can rule the value out.
    if (negative && kind != EBerNumber::kSigned32) return QMR_E_DECODE;
    uint64_t v = negative ? ~uint64_t{0} : 0;
    for (uint32_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    *value = v;
    return QMR_OK;
  }

  // Whole INTEGER-like element with the given tag: INTEGER reads as a signed
  // 32-bit value, the other tags as unsigned 32-bit ones; *bits gets the
  // value's 32-bit pattern.
  QMR_BER_HOT int32_t read_integer(uint8_t tag, uint32_t *bits) {
    uint32_t len;
    uint64_t v;
    if (read_header(tag, &len) != QMR_OK ||
        read_integer_content(len, tag == kBerTagInteger ? EBerNumber::kSigned32 : EBerNumber::kUnsigned32, &v) !=
            QMR_OK) {
      return QMR_E_DECODE;
    }
    *bits = static_cast<uint32_t>(v);
    return QMR_OK;
  }

  // Counter64 content as its high and low halves.
  int32_t read_counter64_content(uint32_t n, uint32_t *high, uint32_t *low) {
    uint64_t v;
    if (read_integer_content(n, EBerNumber::kUnsigned64, &v) != QMR_OK) return QMR_E_DECODE;
    *high = static_cast<uint32_t>(v >> 32);
    *low = static_cast<uint32_t>(v);
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
  // The rest of read_integer_content, for contents longer than 4 octets;
  // out of line, so that the common short contents stay inlined.
  static int32_t read_padded_integer(const uint8_t *p, const uint8_t *e, bool negative, EBerNumber kind,
                                     uint64_t *value);

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
