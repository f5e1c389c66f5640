// One full status read through the exported interface: the options (after
// a refresh) and every record list, kept as bytes so that two reads can be
// compared exactly.
#ifndef QMR_TESTS_RELIABILITY_STATUS_SNAPSHOT_H
#define QMR_TESTS_RELIABILITY_STATUS_SNAPSHOT_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct StatusSnapshot {
  int32_t rc = 0;            // first failing call's code, 0 when all succeeded
  std::string failed_step;   // that call's name
  std::vector<std::string> options;  // "key[index]=value"
  std::vector<std::string> lists;    // one entry per list: name, count, record bytes

  bool operator==(const StatusSnapshot &other) const {
    return rc == other.rc && options == other.options && lists == other.lists;
  }
};

// Every result code of the read's calls, in call order (for the time-out test).
struct CallResult {
  std::string name;
  int32_t rc;
  int64_t elapsed_ms;
  uint64_t sent;  // datagrams the call sent, by the counter given
};

// Reads options and every record list of the device open on `handle`.
// Stops at the first failing call.
StatusSnapshot read_full_status(void *handle);

// Calls every device-reading function once, whatever each answers;
// `sent_so_far` counts the datagrams sent until now.
std::vector<CallResult> call_every_read(void *handle, const std::function<uint64_t()> &sent_so_far);

#endif  // QMR_TESTS_RELIABILITY_STATUS_SNAPSHOT_H
