// Widening and narrowing of one-octet OID sub-identifiers in blocks.
// Sub-identifiers below 128 are one octet each on the wire and make up
// nearly every OID an agent sends, so the codec moves them in blocks; a
// block that holds a longer sub-identifier is left to the caller's
// one-at-a-time loop. SSE2 is part of every x86-64 target; elsewhere plain
// loops do the same.
#ifndef QMR_SNMP_BER_SIMD_H
#define QMR_SNMP_BER_SIMD_H

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define QMR_BER_SSE2 1
#endif

// True when none of the eight octets at p has its top bit set; they are
// then widened into out[0..7].
inline bool ber_widen8(const uint8_t *p, uint32_t *out) {
  uint64_t word;
  memcpy(&word, p, sizeof(word));
  if (word & 0x8080808080808080ull) return false;
#ifdef QMR_BER_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), zero);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi16(half, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4), _mm_unpackhi_epi16(half, zero));
#else
  for (int i = 0; i < 8; ++i) out[i] = p[i];
#endif
  return true;
}

// True when all eight values at in are below 128; they are then stored as
// one octet each at out[0..7], in order.
inline bool ber_narrow8(const uint32_t *in, uint8_t *out) {
#ifdef QMR_BER_SSE2
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 4));
  const __m128i high = _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi32(~0x7F));
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(high, _mm_setzero_si128())) != 0xFFFF) return false;
  // Below 128, the saturating packs keep every value as it is.
  const __m128i words = _mm_packs_epi32(a, b);
  _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(words, words));
#else
  if ((in[0] | in[1] | in[2] | in[3] | in[4] | in[5] | in[6] | in[7]) >= 0x80) return false;
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(in[i]);
#endif
  return true;
}

// The same for four values.
inline bool ber_narrow4(const uint32_t *in, uint8_t *out) {
#ifdef QMR_BER_SSE2
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
  const __m128i high = _mm_and_si128(a, _mm_set1_epi32(~0x7F));
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(high, _mm_setzero_si128())) != 0xFFFF) return false;
  const __m128i words = _mm_packs_epi32(a, a);
  const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  memcpy(out, &bytes, sizeof(bytes));
#else
  if ((in[0] | in[1] | in[2] | in[3]) >= 0x80) return false;
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(in[i]);
#endif
  return true;
}

#endif  // QMR_SNMP_BER_SIMD_H
