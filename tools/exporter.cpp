// `qmr exporter`: a Prometheus exporter in the multi-target pattern. Each
// GET /probe reads one printer on a library handle of its own, on a
// thread of its own, and answers within the probe's time budget whether
// or not the printer has answered by then; the number of probes running
// at once is bounded.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "commands.h"
#include "device.h"
#include "exposition.h"
#include "probe_request.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kExpositionType[] = "text/plain; version=0.0.4; charset=utf-8";
constexpr char kPlainType[] = "text/plain; charset=utf-8";
constexpr char kScrapeTimeoutHeader[] = "X-Prometheus-Scrape-Timeout-Seconds";
constexpr int kBadRequest = 400;
constexpr int kServiceUnavailable = 503;
// What a probe shows besides the printer status: no storage, devices or
// output trays.
constexpr unsigned kProbeSections =
    kSectionSystem | kSectionPrinter | kSectionInputTrays | kSectionSupplies | kSectionAlerts | kSectionJobs;
// How long shutting down waits for probes still reading a printer.
constexpr std::chrono::seconds kShutdownWait(60);
constexpr int kStartWaitSteps = 100;

// The exporter's own counters for /metrics.
struct Counters {
  std::atomic<uint64_t> up{0}, down{0}, timed_out{0}, bad_request{0}, busy{0};
  std::atomic<uint64_t> duration_us{0};
};

// One probe, shared by the request that waits for it and the thread that
// reads the printer; whichever leaves last frees it.
struct Probe {
  CliOptions options;
  std::string target;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  ProbeOutcome outcome;
};

void read_printer(const std::shared_ptr<Probe> &probe, ProbeSlots *slots) {
  const auto start = Clock::now();
  ProbeOutcome outcome;
  {
    LibraryHandle library;
    Failure f = library.init(probe->options);
    DeviceAddress address;
    if (!f.failed()) f = resolve_device_address(probe->target, 0, &address);
    if (!f.failed()) f = open_device(library.get(), probe->options, address);
    outcome.code = f.code;
    outcome.up = !f.failed();
    if (outcome.up) {
      outcome.report.address = address.text;
      outcome.report.protocol = address.protocol;
      outcome.report.model = opened_model(library.get(), probe->options, address);
      read_printer_report(library.get(), 0, &outcome.report, kProbeSections);
    }
  }
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  // The slot is free before the answer goes out, so that whoever reads
  // the answer finds the probe counted as ended; nothing of the exporter
  // is touched after it.
  slots->release();
  {
    std::lock_guard<std::mutex> lock(probe->mutex);
    probe->outcome = std::move(outcome);
    probe->done = true;
  }
  probe->finished.notify_all();
}

class Exporter {
 public:
  explicit Exporter(const CliOptions &options) : m_options(options), m_slots(options.max_probes) {}

  void route(httplib::Server *server) {
    server->Get("/probe", [this](const httplib::Request &q, httplib::Response &a) { probe(q, a); });
    server->Get("/metrics", [this](const httplib::Request &, httplib::Response &a) { metrics(a); });
    server->Get("/", [](const httplib::Request &, httplib::Response &a) {
      a.set_content(
          "qmr exporter\n\n/probe?target=ADDRESS[&community=NAME]  metrics of one printer\n"
          "/metrics                                the exporter's own counters\n",
          kPlainType);
    });
  }

  ProbeSlots &slots() { return m_slots; }

 private:
  void refuse(httplib::Response &a, int status, const std::string &reason, std::atomic<uint64_t> *counter) {
    ++*counter;
    a.status = status;
    a.set_content(reason + "\n", kPlainType);
  }

  void probe(const httplib::Request &q, httplib::Response &a) {
    const auto start = Clock::now();
    std::string reason;
    if (q.get_param_value_count("target") != 1)
      return refuse(a, kBadRequest, "give exactly one target parameter", &m_counters.bad_request);
    auto probe = std::make_shared<Probe>();
    probe->options = m_options;
    probe->target = q.get_param_value("target");
    if (!check_probe_target(probe->target, &reason)) return refuse(a, kBadRequest, reason, &m_counters.bad_request);
    if (q.has_param("community")) {
      probe->options.community = q.get_param_value("community");
      if (!check_probe_community(probe->options.community, &reason))
        return refuse(a, kBadRequest, reason, &m_counters.bad_request);
    }
    const auto deadline =
        start + std::chrono::milliseconds(probe_budget_ms(m_options.probe_timeout_ms,
                                                          q.get_header_value(kScrapeTimeoutHeader)));
    if (!m_slots.acquire(deadline))
      return refuse(a, kServiceUnavailable, "too many probes in flight", &m_counters.busy);
    std::thread(read_printer, probe, &m_slots).detach();

    ProbeOutcome outcome;
    bool timed_out = false;
    {
      std::unique_lock<std::mutex> lock(probe->mutex);
      timed_out = !probe->finished.wait_until(lock, deadline, [&] { return probe->done; });
      if (!timed_out) outcome = probe->outcome;
    }
    if (timed_out) {
      outcome.code = QMR_E_TIMEOUT;
      outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    ++*(timed_out ? &m_counters.timed_out : outcome.up ? &m_counters.up : &m_counters.down);
    m_counters.duration_us += static_cast<uint64_t>(outcome.seconds * 1e6);
    a.set_content(probe_exposition(outcome), kExpositionType);
  }

  void metrics(httplib::Response &a) {
    Exposition e;
    e.family("qmr_exporter_probes", "counter", "Probes answered, by result.");
    const struct {
      const char *result;
      const std::atomic<uint64_t> &count;
    } results[] = {{"up", m_counters.up},
                   {"down", m_counters.down},
                   {"timeout", m_counters.timed_out},
                   {"bad_request", m_counters.bad_request},
                   {"busy", m_counters.busy}};
    for (const auto &r : results)
      e.sample("qmr_exporter_probes", "qmr_exporter_probes_total", {{"result", r.result}},
               static_cast<double>(r.count.load()));
    e.family("qmr_exporter_probe_duration_seconds", "counter", "Time spent in answered probes.");
    e.sample("qmr_exporter_probe_duration_seconds", "qmr_exporter_probe_duration_seconds_total", {},
             static_cast<double>(m_counters.duration_us.load()) / 1e6);
    e.family("qmr_exporter_probes_in_flight", "gauge", "Printers being read now.");
    e.sample("qmr_exporter_probes_in_flight", {}, m_slots.in_flight());
    e.family("qmr_exporter_max_probes", "gauge", "Printers read at the same time at most.");
    e.sample("qmr_exporter_max_probes", {}, m_options.max_probes);
    a.set_content(e.text(), kExpositionType);
  }

  const CliOptions m_options;
  ProbeSlots m_slots;
  Counters m_counters;
};

// Waits for SIGINT or SIGTERM (blocked in every thread) and stops the server.
void stop_on_signal(httplib::Server *server, sigset_t signals) {
  int signal_number = 0;
  sigwait(&signals, &signal_number);
  // A signal right after start may come before the server runs, when
  // stop() would do nothing.
  for (int i = 0; i < kStartWaitSteps && !server->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  server->stop();
}

}  // namespace

int run_exporter(const CliOptions &options) {
  std::string host, reason;
  int port = 0;
  if (options.listen.empty()) {
    std::fprintf(stderr, "qmr: exporter needs --listen ADDRESS:PORT\n");
    return kExitUsage;
  }
  if (!parse_listen_address(options.listen, &host, &port, &reason)) {
    std::fprintf(stderr, "qmr: bad value \"%s\" for --listen: %s\n", options.listen.c_str(), reason.c_str());
    return kExitUsage;
  }
  // Blocked before any thread starts, so that only the waiting thread
  // takes them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  Exporter exporter(options);
  httplib::Server server;
  exporter.route(&server);
  const int bound = port == 0 ? server.bind_to_any_port(host) : (server.bind_to_port(host, port) ? port : -1);
  if (bound < 0) {
    std::fprintf(stderr, "qmr: cannot listen on %s\n", options.listen.c_str());
    return kExitFailure;
  }
  const bool v6 = host.find(':') != std::string::npos;
  std::printf("qmr exporter listening on http://%s%s%s:%d/\n", v6 ? "[" : "", host.c_str(), v6 ? "]" : "", bound);
  std::fflush(stdout);

  std::thread waiter(stop_on_signal, &server, signals);
  const bool listened = server.listen_after_bind();
  // Ends the waiter when the server stopped on its own.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  if (!exporter.slots().wait_idle(Clock::now() + kShutdownWait)) {
    // Their threads still use the exporter: leave without destroying it.
    std::fprintf(stderr, "qmr: probes still running at exit\n");
    std::fflush(nullptr);
    _exit(kExitFailure);
  }
  return listened ? kExitOk : kExitFailure;
}
