// Building one log line in a caller-supplied fixed buffer.
#ifndef QMR_LOG_LOG_LINE_H
#define QMR_LOG_LOG_LINE_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "log/log.h"

// Longest line in characters; buffers hold one more for the terminating zero.
inline constexpr size_t kLogLineChars = 1024;
inline constexpr size_t kLogLineBuffer = kLogLineChars + 1;

// Written in place of the message when the format is null.
inline constexpr char kNullMessageText[] = "(client was about to output null message...)";

// The settings of a logger that shape its lines.
struct TqcLineSettings {
  const char *name;
  uint32_t options;  // ETqcLineOption bits
  uint32_t radix;    // 10 or 16
  uint32_t indent;   // steps of four spaces
};

// "Error, " and the other seven-character level words; "" for a level value
// that is not one of them.
const char *tqc_level_word(uint32_t level);

// Fills `line` with prefix, indentation and message, cut at kLogLineChars.
// Allocates nothing. Returns the line's length.
size_t tqc_format_line(char (&line)[kLogLineBuffer], const TqcLineSettings &settings, uint32_t level,
                       const char *format, va_list args) QMR_PRINTF(4, 0);

#endif  // QMR_LOG_LOG_LINE_H
