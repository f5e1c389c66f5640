// Dotted-quad IPv4 texts converted in place. Every exchange converts its
// destination and its sender, and the socket library's inet_addr and
// inet_ntoa cost a general parse or a formatted print each time; these do
// the plain forms only, with the same results, and leave the rest to them.
#ifndef QMR_NET_IPV4_TEXT_H
#define QMR_NET_IPV4_TEXT_H

#include <cstddef>
#include <cstdint>

// Longest dotted-quad text and its NUL.
constexpr size_t kTqcIPv4TextSize = 16;

// Writes the text of the four address bytes (network order) as inet_ntoa
// would; `text` holds kTqcIPv4TextSize bytes. Answers the text's length.
size_t tqc_format_ipv4(const uint8_t bytes[4], char *text);

// Reads "a.b.c.d", each part decimal 0-255 without a leading zero and
// nothing after the last, into four bytes in network order. False for any
// other text, including the forms inet_addr reads otherwise (octal, hex,
// fewer parts, trailing text): those go to inet_addr.
bool tqc_parse_plain_ipv4(const char *text, uint8_t bytes[4]);

// Reads four decimal parts of 0-255 separated by dots, leading zeros read as
// decimal, nothing else in the text, into four bytes in network order (the
// IPv4-only address service's notion of an address text). False otherwise.
bool tqc_parse_decimal_ipv4(const char *text, uint8_t bytes[4]);

// The same texts as a 32-bit number whose most significant byte is the
// first part, and back (`text` holds kTqcIPv4TextSize bytes).
bool tqc_ipv4_text_to_number(const char *text, uint32_t *number);
void tqc_ipv4_number_to_text(uint32_t number, char *text);

#endif  // QMR_NET_IPV4_TEXT_H
