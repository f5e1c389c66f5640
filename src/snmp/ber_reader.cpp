#include "snmp/ber_reader.h"

int32_t BerReader::read_padded_integer(const uint8_t *p, const uint8_t *e, bool negative, EBerNumber kind,
                                       uint64_t *value) {
  uint64_t v = 0;
  if (negative) {
    if (kind != EBerNumber::kSigned32) return QMR_E_DECODE;
    while (e - p > 4 && p[0] == 0xFFu && (p[1] & 0x80u)) ++p;
    if (e - p > 4) return QMR_E_DECODE;
    v = ~uint64_t{0};
  } else {
    while (p != e && *p == 0) ++p;
    const ptrdiff_t width = kind == EBerNumber::kUnsigned64 ? 8 : 4;
    if (e - p > width) return QMR_E_DECODE;
    if (kind == EBerNumber::kSigned32 && e - p == 4 && (*p & 0x80u)) return QMR_E_DECODE;  // above 2^31 - 1
  }
  for (; p != e; ++p) v = (v << 8) | *p;
  *value = v;
  return QMR_OK;
}
