#include "snmp/value_text.h"

#include <cstdarg>
#include <cstdio>

#include "net/octet_buffer.h"
#include "qmr.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool tqs_read_decimal(const char **p, uint64_t max, uint64_t *out) {
  const char *s = *p;
  if (!is_digit(*s)) return false;
  uint64_t value = 0;
  // One division per call, not per digit: value * 10 + digit <= max.
  const uint64_t tenth = max / 10;
  const uint64_t last = max % 10;
  for (; is_digit(*s); ++s) {
    const uint64_t digit = static_cast<uint64_t>(*s - '0');
    if (value > tenth || (value == tenth && digit > last)) return false;
    value = value * 10 + digit;
  }
  *out = value;
  *p = s;
  return true;
}

bool tqs_read_hex(const char **p, uint32_t max_digits, uint64_t max, uint64_t *out) {
  const char *s = *p;
  uint64_t value = 0;
  uint32_t digits = 0;
  for (int h; (h = hex_value(*s)) >= 0 && (max_digits == 0 || digits < max_digits); ++s, ++digits) {
    if (value > (max - static_cast<uint64_t>(h)) / 16) return false;
    value = value * 16 + static_cast<uint64_t>(h);
  }
  if (digits == 0) return false;
  *out = value;
  *p = s;
  return true;
}

bool tqs_read_char(const char **p, char c) {
  if (**p != c) return false;
  ++*p;
  return true;
}

bool tqs_parse_int32(const char *text, int32_t *out) {
  if (!text) return false;
  const bool negative = *text == '-';
  if (negative || *text == '+') ++text;
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? 2147483648u : 2147483647u;
  if (!tqs_read_decimal(&text, limit, &magnitude) || *text != '\0') return false;
  *out = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
  return true;
}

bool tqs_parse_uint32(const char *text, uint32_t *out) {
  uint64_t value = 0;
  if (!text || !tqs_read_decimal(&text, UINT32_MAX, &value) || *text != '\0') return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

bool tqs_parse_uint64(const char *text, uint64_t *out) {
  return text && tqs_read_decimal(&text, UINT64_MAX, out) && *text == '\0';
}

uint32_t tqs_format_decimal(uint64_t number, char *out) {
  char reversed[kTqsDecimalBufferSize];
  uint32_t n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  for (uint32_t i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  out[n] = '\0';
  return n;
}

int32_t tqs_buffer_printf(ITqsOctetBuffer *buffer, const char *format, ...) {
  if (!buffer) return QMR_E_INVALID_ARG;
  // The longest text form (IPv6, IPX) is well below this.
  char text[64];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n < 0 || static_cast<size_t>(n) >= sizeof text) return QMR_E_INVALID_ARG;
  return buffer->set(text, static_cast<uint32_t>(n));
}
