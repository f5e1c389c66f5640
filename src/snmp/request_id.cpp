#include "snmp/request_id.h"

#include <atomic>

namespace {
// Relaxed order suffices: only uniqueness matters, not ordering with other memory.
std::atomic<uint32_t> g_nextRequestId{0};
}  // namespace

uint32_t tqs_next_request_id() { return g_nextRequestId.fetch_add(1, std::memory_order_relaxed); }
