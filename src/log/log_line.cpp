#include "log/log_line.h"

#include <cstdio>
#include <cstring>

#include "log/log_platform.h"
#include "log/logger.h"

namespace {

// Width of each column that an option can leave empty.
constexpr int kTimeWidth = 23;
constexpr int kIdWidth = 8;
constexpr char kSeparator[] = ", ";
constexpr uint32_t kIndentStep = 4;

// Appends to a fixed line, never past kLogLineChars.
class CLineWriter {
 public:
  explicit CLineWriter(char (&line)[kLogLineBuffer]) : m_line(line) { m_line[0] = '\0'; }

  size_t used() const { return m_used; }
  bool full() const { return m_used >= kLogLineChars; }

  void text(const char *s) { text(s, std::strlen(s)); }
  void text(const char *s, size_t n) {
    n = clamp(n);
    std::memcpy(m_line + m_used, s, n);
    m_used += n;
    m_line[m_used] = '\0';
  }
  void fill(char c, uint64_t count) {
    const size_t n = clamp(count);
    std::memset(m_line + m_used, c, n);
    m_used += n;
    m_line[m_used] = '\0';
  }
  void format_v(const char *format, va_list args) QMR_PRINTF(2, 0) {
    const size_t room = kLogLineBuffer - m_used;
    const int n = std::vsnprintf(m_line + m_used, room, format, args);
    if (n < 0) {  // encoding error: keep what was there
      m_line[m_used] = '\0';
      return;
    }
    m_used += clamp(static_cast<size_t>(n));
  }
  void format(const char *format, ...) QMR_PRINTF(2, 3) {
    va_list args;
    va_start(args, format);
    format_v(format, args);
    va_end(args);
  }

 private:
  size_t clamp(uint64_t n) const {
    const size_t room = kLogLineChars - m_used;
    return n < room ? static_cast<size_t>(n) : room;
  }

  char (&m_line)[kLogLineBuffer];
  size_t m_used = 0;
};

void write_id(CLineWriter &w, bool shown, uint32_t radix, uint32_t id) {
  if (!shown) {
    w.fill(' ', kIdWidth);
  } else if (radix == 16) {
    w.format("%08X", id);
  } else {
    w.format("%8u", id);
  }
}

}  // namespace

const char *tqc_level_word(uint32_t level) {
  switch (level) {
    case kLogError: return "Error, ";
    case kLogWarn: return "Warn , ";
    case kLogInfo: return "Info , ";
    case kLogDebug: return "Debug, ";
    case kLogTrace: return "Trace, ";
    case kLogAll: return "All  , ";
    default: return "";
  }
}

size_t tqc_format_line(char (&line)[kLogLineBuffer], const TqcLineSettings &settings, uint32_t level,
                       const char *format, va_list args) {
  CLineWriter w(line);
  if (settings.options & kLineTime) {
    NTqcLogPlatform::LocalTime t{};
    NTqcLogPlatform::get_local_time(&t);
    w.format("%04d/%02d/%02d %02d:%02d:%02d:%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
             t.millisecond);
  } else {
    w.fill(' ', kTimeWidth);
  }
  w.text(kSeparator);
  write_id(w, settings.options & kLineProcess, settings.radix, NTqcLogPlatform::get_process_id());
  w.text(kSeparator);
  write_id(w, settings.options & kLineThread, settings.radix, NTqcLogPlatform::get_thread_id());
  w.text(kSeparator);
  w.format("%-16.16s", settings.name);
  w.text(kSeparator);
  w.text(tqc_level_word(level));
  w.fill(' ', static_cast<uint64_t>(settings.indent) * kIndentStep);
  if (!w.full()) {
    if (format == nullptr) {
      w.text(kNullMessageText);
    } else {
      w.format_v(format, args);
    }
  }
  return w.used();
}
