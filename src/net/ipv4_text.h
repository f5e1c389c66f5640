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

#endif  // QMR_NET_IPV4_TEXT_H
