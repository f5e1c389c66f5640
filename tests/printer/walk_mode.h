// The walk mode of a run of the printer tests: row by row over SNMPv1 (the
// default), or, with QMR_TEST_WALK=bulk, over SNMPv2c with bulk walks. The
// build registers every printer test once in each mode, so each record and
// option expectation holds for both.
#ifndef QMR_TESTS_PRINTER_WALK_MODE_H
#define QMR_TESTS_PRINTER_WALK_MODE_H

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace walk_mode {

inline bool bulk() {
  const char *mode = std::getenv("QMR_TEST_WALK");
  return mode != nullptr && std::strcmp(mode, "bulk") == 0;
}

// The security selector of the mode's openings: 0 SNMPv1, 1 SNMPv2c.
inline int32_t selector() { return bulk() ? 1 : 0; }

}  // namespace walk_mode

#endif  // QMR_TESTS_PRINTER_WALK_MODE_H
