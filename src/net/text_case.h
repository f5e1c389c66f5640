// Comparison of texts without regard to ASCII letter case (hardware
// addresses, model names), the same on every platform.
#ifndef QMR_NET_TEXT_CASE_H
#define QMR_NET_TEXT_CASE_H

bool tqc_equal_ignoring_case(const char *a, const char *b);

#endif  // QMR_NET_TEXT_CASE_H
