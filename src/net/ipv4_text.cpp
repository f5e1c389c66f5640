#include "net/ipv4_text.h"

namespace {

constexpr int kParts = 4;
constexpr uint32_t kMaxPart = 255;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Four decimal parts of 0-255 joined by dots and nothing after them;
// `plain` also refuses a leading zero (which inet_addr reads as octal).
bool parse_ipv4(const char *text, uint8_t bytes[4], bool plain) {
  if (text == nullptr) return false;
  const char *p = text;
  for (int i = 0; i < kParts; ++i) {
    if (i != 0 && *p++ != '.') return false;
    if (!is_digit(*p)) return false;
    if (plain && *p == '0' && is_digit(p[1])) return false;
    uint32_t v = 0;
    for (; is_digit(*p); ++p) {
      v = v * 10 + static_cast<uint32_t>(*p - '0');
      if (v > kMaxPart) return false;
    }
    bytes[i] = static_cast<uint8_t>(v);
  }
  return *p == '\0';
}

}  // namespace

size_t tqc_format_ipv4(const uint8_t bytes[4], char *text) {
  char *out = text;
  for (int i = 0; i < kParts; ++i) {
    if (i != 0) *out++ = '.';
    const uint32_t v = bytes[i];
    if (v >= 100) *out++ = static_cast<char>('0' + v / 100);
    if (v >= 10) *out++ = static_cast<char>('0' + v / 10 % 10);
    *out++ = static_cast<char>('0' + v % 10);
  }
  *out = '\0';
  return static_cast<size_t>(out - text);
}

bool tqc_parse_plain_ipv4(const char *text, uint8_t bytes[4]) { return parse_ipv4(text, bytes, true); }

bool tqc_parse_decimal_ipv4(const char *text, uint8_t bytes[4]) { return parse_ipv4(text, bytes, false); }

bool tqc_ipv4_text_to_number(const char *text, uint32_t *number) {
  uint8_t bytes[kParts];
  if (number == nullptr || !tqc_parse_decimal_ipv4(text, bytes)) return false;
  uint32_t value = 0;
  for (uint8_t b : bytes) value = value << 8 | b;
  *number = value;
  return true;
}

void tqc_ipv4_number_to_text(uint32_t number, char *text) {
  const uint8_t bytes[kParts] = {static_cast<uint8_t>(number >> 24), static_cast<uint8_t>(number >> 16),
                                 static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
  tqc_format_ipv4(bytes, text);
}
