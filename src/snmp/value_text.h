// Strict parsers and writers for the text forms of the values.
#ifndef QMR_SNMP_VALUE_TEXT_H
#define QMR_SNMP_VALUE_TEXT_H

#include <cstdint>

class ITqsOctetBuffer;

// Reads decimal digits at *p (at least one) into a number not above `max`;
// advances *p past them. No sign, no white space.
bool tqs_read_decimal(const char **p, uint64_t max, uint64_t *out);
// Reads 1..`max_digits` hexadecimal digits at *p (0 means any count) into a
// number not above `max`.
bool tqs_read_hex(const char **p, uint32_t max_digits, uint64_t max, uint64_t *out);
// Reads the character `c` at *p.
bool tqs_read_char(const char **p, char c);

// Whole-text parses: the text must hold the number and nothing else.
bool tqs_parse_int32(const char *text, int32_t *out);
bool tqs_parse_uint32(const char *text, uint32_t *out);
bool tqs_parse_uint64(const char *text, uint64_t *out);

// Unsigned decimal of `number` into `out` (at least 21 bytes); the length.
uint32_t tqs_format_decimal(uint64_t number, char *out);
constexpr uint32_t kTqsDecimalBufferSize = 24;

// Replaces the buffer's content by printf-style text.
int32_t tqs_buffer_printf(ITqsOctetBuffer *buffer, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

#endif  // QMR_SNMP_VALUE_TEXT_H
