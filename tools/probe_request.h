// The parts of `qmr exporter` that need no network: reading the listen
// address and the probe parameters, the probe's time budget, and the
// bound on probes running at once.
#ifndef QMR_TOOLS_PROBE_REQUEST_H
#define QMR_TOOLS_PROBE_REQUEST_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

// "127.0.0.1:9116", "[::1]:9116", "localhost:0" into host and port; false
// with the reason otherwise.
bool parse_listen_address(const std::string &text, std::string *host, int *port, std::string *reason);

// A probe's target: an address or host name the library can be given;
// false with the reason for anything else (empty, too long, characters no
// address has, or a port: the SNMP port is always 161).
bool check_probe_target(const std::string &target, std::string *reason);
// A community given with the probe: at most 255 characters.
bool check_probe_community(const std::string &community, std::string *reason);

// The time a probe may take: `limit_ms`, lowered to Prometheus' scrape
// time-out (the X-Prometheus-Scrape-Timeout-Seconds header, empty when
// absent) less half a second for the answer's way back.
uint32_t probe_budget_ms(uint32_t limit_ms, const std::string &scrape_timeout_header);

// At most `limit` probes at once; a probe waits for a slot until its own
// deadline.
class ProbeSlots {
 public:
  explicit ProbeSlots(unsigned limit) : m_limit(limit) {}
  bool acquire(std::chrono::steady_clock::time_point deadline);
  void release();
  unsigned in_flight();
  // Waits until no probe runs, at most until `deadline`.
  bool wait_idle(std::chrono::steady_clock::time_point deadline);

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  unsigned m_limit;
  unsigned m_running = 0;
};

#endif  // QMR_TOOLS_PROBE_REQUEST_H
