// Switching the trace log on and off from a host program or a test. The
// library itself never calls these: it stays silent unless told otherwise.
#ifndef QMR_LOG_LOG_CONFIG_H
#define QMR_LOG_LOG_CONFIG_H

#include <cstdint>

// Replaces any earlier set-up (the manager is reset first): every logger lets
// `mask` through (see ETqcLogLevel) and prints on standard output. 0, or -3 / -10 when the manager or appender cannot be had.
int32_t tqc_log_to_stdout(uint32_t mask);
// The same on standard error.
int32_t tqc_log_to_stderr(uint32_t mask);
// The same into the file at `path`, kept under `max_size` bytes with one
// ".bak" backup. -2 for a null path.
int32_t tqc_log_to_file(const char *path, uint32_t mask, uint32_t max_size);
// Back to silence: no appender, mask 0.
void tqc_log_silence();

#endif  // QMR_LOG_LOG_CONFIG_H
