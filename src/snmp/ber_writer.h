// Backward BER writer over a caller's byte area.
//
// Contract: every write puts its bytes immediately before the bytes already
// written, so an element's content is written first and its length and tag
// after it, when the content size is known. Only this class checks room: a
// write that does not fit sets the sticky overflow flag and writes nothing;
// callers look at the flag once per element. The put_* helpers return the
// element's full size (tag + length octets + content) so that the enclosing
// element can sum its children's sizes without re-measuring the buffer.
#ifndef QMR_SNMP_BER_WRITER_H
#define QMR_SNMP_BER_WRITER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "snmp/ber_simd.h"
#include "snmp/ber_tags.h"

class BerWriter {
 public:
  // Writes into [begin, end); the first byte written lands at end - 1.
  BerWriter(uint8_t *begin, uint8_t *end) : m_begin(begin), m_end(end), m_pos(end) {}
  BerWriter() = default;
  void reset(uint8_t *begin, uint8_t *end) {
    m_begin = begin;
    m_end = end;
    m_pos = end;
    m_overflow = false;
  }
  BerWriter(const BerWriter &) = delete;
  BerWriter &operator=(const BerWriter &) = delete;

  bool overflow() const { return m_overflow; }
  uint8_t *position() const { return m_pos; }
  size_t written() const { return static_cast<size_t>(m_end - m_pos); }
  size_t room() const { return static_cast<size_t>(m_pos - m_begin); }

  void write_byte(uint8_t b) {
    if (m_pos == m_begin) {
      m_overflow = true;
      return;
    }
    *--m_pos = b;
  }

  // Copies n bytes so that they read in their given order.
  void write_bytes(const uint8_t *p, size_t n) {
    if (n > room()) {
      m_overflow = true;
      return;
    }
    m_pos -= n;
    if (n != 0) memcpy(m_pos, p, n);
  }

  // Definite-form length: one octet below 128, else the minimum number of
  // big-endian octets after 0x80 + count. Returns the octets written.
  size_t write_length(size_t len) {
    if (len < 0x80) {
      write_byte(static_cast<uint8_t>(len));
      return 1;
    }
    size_t count = 0;
    uint8_t tmp[sizeof(size_t) + 1];
    uint8_t *p = tmp + sizeof(tmp);
    while (len != 0) {
      *--p = static_cast<uint8_t>(len);
      len >>= 8;
      ++count;
    }
    *--p = static_cast<uint8_t>(0x80 + count);
    write_bytes(p, count + 1);
    return count + 1;
  }

  static size_t sub_identifier_length(uint32_t v) {
    if (v < (1u << 7)) return 1;
    if (v < (1u << 14)) return 2;
    if (v < (1u << 21)) return 3;
    if (v < (1u << 28)) return 4;
    return 5;
  }

  // One base-128 sub-identifier; 1 to 5 octets.
  size_t write_sub_identifier(uint32_t v) {
    size_t n = sub_identifier_length(v);
    if (n > room()) {
      m_overflow = true;
      return n;
    }
    m_pos = put_sub_identifier_unchecked(m_pos, v);
    return n;
  }
  // Content octet counts of the shortest forms.
  static size_t int32_length(int32_t v) {
    if (v >= -128 && v <= 127) return 1;
    if (v >= -32768 && v <= 32767) return 2;
    if (v >= -8388608 && v <= 8388607) return 3;
    return 4;
  }
  // Unsigned: the top bit of the first octet must be clear, hence 5 octets above 2^31 - 1.
  static size_t uint32_length(uint32_t v) {
    if (v <= 0x7Fu) return 1;
    if (v <= 0x7FFFu) return 2;
    if (v <= 0x7FFFFFu) return 3;
    if (v <= 0x7FFFFFFFu) return 4;
    return 5;
  }

  // Octets of a definite length: 1 below 128, else 1 + the minimum number of
  // big-endian octets.
  static size_t length_octets(size_t len) {
    if (len < 0x80) return 1;
    size_t n = 1;
    for (; len != 0; len >>= 8) ++n;
    return n;
  }

  // The element writers below check room once for the whole element and
  // write it with a local cursor; an element that does not fit writes nothing.

  // Tag and length for `content` octets already written; returns the element size.
  size_t put_header(uint8_t tag, size_t content) {
    if (content < 0x80) {
      if (uint8_t *p = claim(2)) {
        p[0] = tag;
        p[1] = static_cast<uint8_t>(content);
      }
      return content + 2;
    }
    size_t count = length_octets(content) - 1;
    if (uint8_t *p = claim(count + 2)) {
      p[0] = tag;
      p[1] = static_cast<uint8_t>(0x80 + count);
      store_big_endian(p + 2, content, count);
    }
    return content + count + 2;
  }

  size_t put_int32(uint8_t tag, int32_t v) { return put_number(tag, static_cast<uint32_t>(v), int32_length(v)); }

  size_t put_uint32(uint8_t tag, uint32_t v) { return put_number(tag, v, uint32_length(v)); }

  // high * 2^32 + low, shortest unsigned form: 1 to 9 octets.
  size_t put_counter64(uint8_t tag, uint32_t high, uint32_t low) {
    if (high == 0) return put_uint32(tag, low);
    size_t nh = uint32_length(high);
    if (uint8_t *p = claim(nh + 6)) {
      p[0] = tag;
      p[1] = static_cast<uint8_t>(nh + 4);
      store_big_endian(p + 2, high, nh);
      store_big_endian(p + 2 + nh, low, 4);
    }
    return nh + 6;
  }

  size_t put_octets(uint8_t tag, const uint8_t *bytes, size_t n) {
    size_t header = length_octets(n) + 1;
    if (uint8_t *p = claim(header + n)) {
      p[0] = tag;
      if (n < 0x80) {
        p[1] = static_cast<uint8_t>(n);
      } else {
        p[1] = static_cast<uint8_t>(0x80 + header - 2);
        store_big_endian(p + 2, n, header - 2);
      }
      if (n != 0) memcpy(p + header, bytes, n);
    }
    return header + n;
  }

  // NULL and the exception values: tag and length 0.
  size_t put_empty(uint8_t tag) {
    if (uint8_t *p = claim(2)) {
      p[0] = tag;
      p[1] = 0;
    }
    return 2;
  }

  // Sub-identifiers sub[0..n-1]: the first two joined as X * 40 + Y. One
  // sub-identifier cannot be encoded (QMR_E_INVALID_ARG via the caller); this
  // returns false then and writes nothing. *size gets the element size.
  bool put_oid(const uint32_t *sub, size_t n, size_t *size) {
    if (n == 1) return false;
    size_t content = 0;
    if (n >= 2) {
      if (room() >= kMaxSubIdentifierOctets * n) {
        // Room for the longest form of every sub-identifier: check once.
        uint8_t *end = m_pos;
        uint8_t *p = end;
        // sub[2..i-1] are still to be written, from the back. One-octet
        // sub-identifiers go in blocks of eight, then four, the usual case;
        // from the first block with a longer one on, one at a time.
        size_t i = n;
        while (i - 2 >= 8 && ber_narrow8(sub + i - 8, p - 8)) {
          p -= 8;
          i -= 8;
        }
        if (i - 2 < 8) {
          if (i - 2 >= 4 && ber_narrow4(sub + i - 4, p - 4)) {
            p -= 4;
            i -= 4;
          }
          // The last one to three as the block sub[2..5], which overlaps
          // octets already written by blocks with the same values.
          if (i > 2 && i - 2 < 4 && n >= 6 && ber_narrow4(sub + 2, p - (i - 2))) {
            p -= i - 2;
            i = 2;
          }
        }
        while (i > 2) {
          uint32_t v = sub[--i];
          if (v < 0x80) {
            *--p = static_cast<uint8_t>(v);
          } else {
            p = put_sub_identifier_unchecked(p, v);
          }
        }
        p = put_sub_identifier_unchecked(p, sub[0] * 40 + sub[1]);
        m_pos = p;
        content = static_cast<size_t>(end - p);
      } else {
        for (size_t i = n - 1; i >= 2; --i) content += write_sub_identifier(sub[i]);
        content += write_sub_identifier(sub[0] * 40 + sub[1]);
      }
    }
    *size = put_header(kBerTagOid, content);
    return true;
  }

 private:
  static constexpr size_t kMaxSubIdentifierOctets = 5;

  // Moves the cursor n bytes back and returns it, or sets the overflow flag
  // and returns null when they do not fit.
  uint8_t *claim(size_t n) {
    if (n > room()) {
      m_overflow = true;
      return nullptr;
    }
    m_pos -= n;
    return m_pos;
  }

  // The n low octets of v, most significant first, at p; octets beyond v's
  // width come out as 0x00 (the unsigned 5-octet form).
  static void store_big_endian(uint8_t *p, uint64_t v, size_t n) {
    for (size_t i = n; i-- > 0; v >>= 8) p[i] = static_cast<uint8_t>(v);
  }

  size_t put_number(uint8_t tag, uint32_t v, size_t n) {
    if (uint8_t *p = claim(n + 2)) {
      p[0] = tag;
      p[1] = static_cast<uint8_t>(n);
      store_big_endian(p + 2, v, n);
    }
    return n + 2;
  }

  // Writes v before p, whose room the caller has checked; returns the new position.
  static uint8_t *put_sub_identifier_unchecked(uint8_t *p, uint32_t v) {
    *--p = static_cast<uint8_t>(v & 0x7F);
    for (v >>= 7; v != 0; v >>= 7) *--p = static_cast<uint8_t>(kBerSubIdMore | (v & 0x7F));
    return p;
  }

  uint8_t *m_begin = nullptr;
  uint8_t *m_end = nullptr;
  uint8_t *m_pos = nullptr;
  bool m_overflow = false;
};

#endif  // QMR_SNMP_BER_WRITER_H
