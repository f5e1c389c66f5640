// Discovery under load: one broadcast answered by a fleet of 1,000 and
// 10,000 distinct addresses within the first second of a 2-second
// time-out. Every answer must be recorded, and the call must return soon
// after its time-out. Runs only as root (it builds a namespace lab; the
// broadcast never leaves the lab's client namespace).
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "api/device_finder.h"
#include "api/plugin_usm.h"
#include "session/find_device.h"
#include "snmp/object_list.h"
#include "support/discovery_answer.h"
#include "support/discovery_lab.h"
#include "support/udp_peer.h"

namespace {

constexpr char kModel7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";
constexpr uint32_t kTimeoutMs = 2000;
// Answers are spread over this part of the first second.
constexpr int kSpreadMs = 600;

// The fleet: one socket on 0.0.0.0:161 in the responder namespace that
// answers each request once from every one of its addresses, choosing the
// source address per datagram.
class Fleet {
 public:
  Fleet(DiscoveryLab *lab, int size) : m_lab(lab), m_size(size) {
    for (int n = 0; n < size; ++n) {
      in_addr a{};
      inet_pton(AF_INET, DiscoveryLab::extra_ipv4(n).c_str(), &a);
      m_sources.push_back(a);
    }
    m_thread = std::thread([this] {
      DiscoveryLab::in_namespace(m_lab->printer(0), [this] { serve(); });
    });
    while (!m_ready && !m_failed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ~Fleet() {
    m_stop = true;
    m_thread.join();
  }
  bool ok() const { return m_ready && !m_failed; }
  int64_t last_send_ms() const { return m_lastSendMs; }

 private:
  void serve() {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(161);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&any), sizeof any) != 0) {
      m_failed = true;
      if (fd >= 0) close(fd);
      return;
    }
    m_ready = true;
    while (!m_stop) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) != 1) continue;
      uint8_t buffer[2048];
      sockaddr_in from{};
      socklen_t from_len = sizeof from;
      ssize_t got = recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &from_len);
      WireMessage request;
      if (got <= 0 || !WireMessage::parse(buffer, static_cast<size_t>(got), &request)) continue;
      answer_all(fd, discovery_answer(request, kModel7300P), from);
    }
    close(fd);
  }

  void answer_all(int fd, const std::vector<uint8_t> &bytes, const sockaddr_in &to) {
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < m_size && !m_stop; ++n) {
      // Paced so that the links between namespaces queue no more than a few
      // hundred datagrams at a time.
      const auto due = start + std::chrono::microseconds(static_cast<int64_t>(kSpreadMs) * 1000 * n / m_size);
      if (n % 50 == 0) std::this_thread::sleep_until(due);
      alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
      iovec iov{const_cast<uint8_t *>(bytes.data()), bytes.size()};
      msghdr msg{};
      msg.msg_name = const_cast<sockaddr_in *>(&to);
      msg.msg_namelen = sizeof to;
      msg.msg_iov = &iov;
      msg.msg_iovlen = 1;
      msg.msg_control = control;
      msg.msg_controllen = sizeof control;
      cmsghdr *c = CMSG_FIRSTHDR(&msg);
      c->cmsg_level = IPPROTO_IP;
      c->cmsg_type = IP_PKTINFO;
      c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
      in_pktinfo info{};
      info.ipi_spec_dst = m_sources[n];
      std::memcpy(CMSG_DATA(c), &info, sizeof info);
      sendmsg(fd, &msg, 0);
    }
    m_lastSendMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  }

  DiscoveryLab *m_lab;
  int m_size;
  std::vector<in_addr> m_sources;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_ready{false};
  std::atomic<bool> m_failed{false};
  std::atomic<int64_t> m_lastSendMs{0};
};

// One lab and fleet per size, kept for every benchmark of that size:
// adding 10,000 addresses takes seconds.
struct FleetLab {
  DiscoveryLab lab{1};
  std::unique_ptr<Fleet> fleet;
  std::string error;
};

FleetLab *fleet_lab(int size) {
  static std::map<int, std::unique_ptr<FleetLab>> labs;
  auto &slot = labs[size];
  if (!slot) {
    slot.reset(new FleetLab());
    FleetLab &f = *slot;
    if (f.lab.create(&f.error) && f.lab.add_printer_addresses(0, size, &f.error))
      f.fleet.reset(new Fleet(&f.lab, size));
  }
  return slot.get();
}

bool lab_ready(benchmark::State &state, FleetLab **out) {
  *out = nullptr;
  if (!DiscoveryLab::can_run()) {
    state.SkipWithError("needs root and network namespaces");
    return false;
  }
  FleetLab *f = fleet_lab(static_cast<int>(state.range(0)));
  if (!f->fleet || !f->fleet->ok()) {
    state.SkipWithError(f->error.empty() ? "fleet did not start" : f->error.c_str());
    return false;
  }
  *out = f;
  return true;
}

void report(benchmark::State &state, int64_t found_total, int64_t missing, int64_t worst_overrun_ms, const Fleet &fleet) {
  state.counters["answers"] = static_cast<double>(state.range(0));
  state.counters["found_avg"] = benchmark::Counter(static_cast<double>(found_total), benchmark::Counter::kAvgIterations);
  state.counters["missing_total"] = static_cast<double>(missing);
  state.counters["worst_ms_past_timeout"] = static_cast<double>(worst_overrun_ms);
  state.counters["fleet_send_ms"] = static_cast<double>(fleet.last_send_ms());
}

int64_t ms_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// The whole discovery: broadcast, model check, found list.
void BM_DiscoveryFleet(benchmark::State &state) {
  FleetLab *f = nullptr;
  if (!lab_ready(state, &f)) {
    for (auto _ : state) {
    }
    return;
  }
  const int size = static_cast<int>(state.range(0));
  int32_t rc = 0;
  std::unique_ptr<CQMRPluginUSM, void (*)(CQMRPluginUSM *)> usm(CQMRPluginUSM::create(&rc),
                                                               [](CQMRPluginUSM *u) { u->release(); });
  std::unique_ptr<CQMRDeviceFinder, void (*)(CQMRDeviceFinder *)> finder(
      CQMRDeviceFinder::create(&rc), [](CQMRDeviceFinder *d) { d->release(); });
  int64_t found_total = 0, missing = 0, worst_overrun_ms = 0;
  for (auto _ : state) {
    int32_t found = 0;
    int32_t result = -1;
    int64_t took = 0;
    DiscoveryLab::in_namespace(f->lab.client(), [&] {
      const auto start = std::chrono::steady_clock::now();
      result = finder->find(nullptr, ITqcNetworkAddress::IPv4, 0, nullptr, usm.get(), "", kTimeoutMs, 0, 0, &found);
      took = ms_since(start);
    });
    state.SetIterationTime(static_cast<double>(took) / 1000.0);
    if (result != QMR_OK) state.SkipWithError("discovery failed");
    found_total += found;
    missing += size - found;
    worst_overrun_ms = std::max<int64_t>(worst_overrun_ms, took - kTimeoutMs);
  }
  report(state, found_total, missing, worst_overrun_ms, *f->fleet);
}

// The broadcast alone, through the find-device façade: until the packet
// list is handed over.
void BM_DiscoveryFleetBroadcastOnly(benchmark::State &state) {
  FleetLab *f = nullptr;
  if (!lab_ready(state, &f)) {
    for (auto _ : state) {
    }
    return;
  }
  const int size = static_cast<int>(state.range(0));
  int64_t found_total = 0, missing = 0, worst_overrun_ms = 0;
  for (auto _ : state) {
    int64_t took = 0;
    uint32_t got = 0;
    int32_t result = -1;
    DiscoveryLab::in_namespace(f->lab.client(), [&] {
      ITqcFindDeviceSnmp *facade = tqc_create_find_device_snmp();
      if (facade == nullptr) return;
      facade->init("255.255.255.255", ITqcNetworkAddress::IPv4, 161, 0, nullptr, kTimeoutMs, 0, 0);
      facade->add_oid_string("1.3.6.1.2.1.1.2");
      ITqsSnmpPacketList *list = nullptr;
      const auto start = std::chrono::steady_clock::now();
      result = facade->send_broad_cast(&list);
      took = ms_since(start);
      if (list != nullptr) {
        got = list->count();
        list->release();
      }
      facade->destroy();
    });
    state.SetIterationTime(static_cast<double>(took) / 1000.0);
    if (result != QMR_OK) state.SkipWithError("broadcast failed");
    found_total += got;
    missing += size - static_cast<int64_t>(got);
    worst_overrun_ms = std::max<int64_t>(worst_overrun_ms, took - kTimeoutMs);
  }
  report(state, found_total, missing, worst_overrun_ms, *f->fleet);
}

BENCHMARK(BM_DiscoveryFleet)->Arg(1000)->Arg(10000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiscoveryFleetBroadcastOnly)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
