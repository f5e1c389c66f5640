#include "probe_request.h"

#include <cstdlib>

#include "flags.h"

namespace {

constexpr size_t kMaxTargetLength = 255;
constexpr size_t kMaxCommunityLength = 255;
constexpr uint32_t kAnswerMarginMs = 500;
constexpr uint32_t kMinimumBudgetMs = 500;
constexpr int kMaxPort = 65535;

bool all_digits(const std::string &text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Characters of IPv4, IPv6 (with a zone) and IPX addresses and host names.
bool address_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == ':' || c == '_' || c == '%';
}

}  // namespace

bool parse_listen_address(const std::string &text, std::string *host, int *port, std::string *reason) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    *reason = "expected ADDRESS:PORT, e.g. 127.0.0.1:9116 or [::1]:9116";
    return false;
  }
  std::string h = text.substr(0, colon);
  const std::string p = text.substr(colon + 1);
  if (h.front() == '[') {
    if (h.back() != ']' || h.size() < 3) {
      *reason = "an IPv6 address is written in brackets: [::1]:9116";
      return false;
    }
    h = h.substr(1, h.size() - 2);
  } else if (h.find(':') != std::string::npos) {
    *reason = "an IPv6 address is written in brackets: [::1]:9116";
    return false;
  }
  uint32_t value = 0;
  if (!parse_u32(p, &value) || value > kMaxPort) {
    *reason = "the port must be a number 0..65535";
    return false;
  }
  *host = h;
  *port = static_cast<int>(value);
  return true;
}

bool check_probe_target(const std::string &target, std::string *reason) {
  if (target.empty()) {
    *reason = "target is empty";
    return false;
  }
  if (target.size() > kMaxTargetLength) {
    *reason = "target is longer than 255 characters";
    return false;
  }
  for (char c : target) {
    if (!address_character(c)) {
      *reason = "target holds a character no address or host name has";
      return false;
    }
  }
  // "host:161" (one colon, digits after it, a dot before): IPv6 addresses
  // have more colons, IPX ones no dot.
  const size_t colon = target.find(':');
  if (colon != std::string::npos && target.find(':', colon + 1) == std::string::npos &&
      target.find('.') < colon && all_digits(target.substr(colon + 1))) {
    *reason = "target must not name a port (SNMP uses port 161)";
    return false;
  }
  return true;
}

bool check_probe_community(const std::string &community, std::string *reason) {
  if (community.size() <= kMaxCommunityLength) return true;
  *reason = "community is longer than 255 characters";
  return false;
}

uint32_t probe_budget_ms(uint32_t limit_ms, const std::string &header) {
  uint32_t scrape_ms = 0;
  if (!parse_seconds(header, &scrape_ms) || scrape_ms == 0) return limit_ms;
  const uint32_t budget = scrape_ms > kAnswerMarginMs + kMinimumBudgetMs ? scrape_ms - kAnswerMarginMs
                                                                          : kMinimumBudgetMs;
  return budget < limit_ms ? budget : limit_ms;
}

bool ProbeSlots::acquire(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_changed.wait_until(lock, deadline, [this] { return m_running < m_limit; })) return false;
  ++m_running;
  return true;
}

void ProbeSlots::release() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_running;
  }
  m_changed.notify_all();
}

unsigned ProbeSlots::in_flight() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_running;
}

bool ProbeSlots::wait_idle(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_changed.wait_until(lock, deadline, [this] { return m_running == 0; });
}
