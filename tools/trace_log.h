// Wires the library's trace log for --trace: lines go to standard error, or
// into a size-limited file with one ".bak" backup.
#ifndef QMR_TOOLS_TRACE_LOG_H
#define QMR_TOOLS_TRACE_LOG_H

#include <cstdint>

// `path` null: standard error. 0 or the log's result code.
int32_t start_trace_log(uint32_t mask, const char *path, uint32_t max_bytes);

#endif  // QMR_TOOLS_TRACE_LOG_H
