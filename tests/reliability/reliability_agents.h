// The simulated printer of the reliability tests: snmpsimd serving
// tests/data/reliability-printer.snmprec under the community kCommunity.
#ifndef QMR_TESTS_RELIABILITY_RELIABILITY_AGENTS_H
#define QMR_TESTS_RELIABILITY_RELIABILITY_AGENTS_H

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "qmr.h"
#include "support/status_agent.h"

namespace reliability {

constexpr char kCommunity[] = "rely-printer";
constexpr int32_t kPublicIPv4 = 1;

inline std::unique_ptr<StatusAgent> make_agent(const std::string &address) {
  return std::unique_ptr<StatusAgent>(new StatusAgent(address, {{kCommunity, "reliability-printer"}}));
}

// A handle reading with the printer's community; null on failure.
inline void *open_handle() {
  void *h = nullptr;
  if (QMRInit(&h) != QMR_OK) return nullptr;
  if (QMRCommandString(h, "CmdSetCommunityGetOption", kCommunity) != QMR_OK) {
    QMRUnInit(h);
    return nullptr;
  }
  return h;
}

struct HandleCloser {
  void operator()(void *h) const { QMRUnInit(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// A count from the environment, for runs longer than the CI's.
inline long env_count(const char *name, long fallback) {
  const char *text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  long value = std::strtol(text, nullptr, 10);
  return value > 0 ? value : fallback;
}

}  // namespace reliability

#endif  // QMR_TESTS_RELIABILITY_RELIABILITY_AGENTS_H
