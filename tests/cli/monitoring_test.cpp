// qmr for monitoring tools against simulated printers: net-snmp's flags
// give what the long options give, `qmr check` gives each plugin state on
// a printer built for it, and `qmr exporter` is scraped by a real
// Prometheus server whose query API must show what the C interface reads.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "cli_runner.h"
#include "plugin_output.h"
#include "printer_lab.h"
#include "qmr.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kAddrOk[] = "127.77.51.11";
constexpr char kAddrWarning[] = "127.77.51.12";
constexpr char kAddrCritical[] = "127.77.51.13";
constexpr char kAddrRefused[] = "127.77.51.14";
constexpr char kAddrQuiet[] = "127.77.51.19";
constexpr char kAddrA[] = "127.77.51.1";
constexpr char kAddrB[] = "127.77.51.2";
constexpr char kExporterHost[] = "127.77.51.20";
constexpr char kPrometheusHost[] = "127.77.51.21";
constexpr char kPrometheus[] = "/usr/bin/prometheus";
constexpr int kScrapeWaitSeconds = 120;

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// A program running beside the test: standard output through a pipe for
// its first line, standard error into `log`; stopped by its PID.
class Process {
 public:
  ~Process() { stop(); }
  bool start(const std::vector<std::string> &argv, const std::string &log) {
    int out[2];
    if (pipe(out) != 0) return false;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(out[1], STDOUT_FILENO);
      const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) dup2(err, STDERR_FILENO);
      close(out[0]);
      exec_program(argv);
    }
    close(out[1]);
    m_out = out[0];
    return m_pid > 0;
  }
  std::string first_line(int limit_ms) {
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limit_ms);
    char c = 0;
    while (Clock::now() < deadline) {
      pollfd p{m_out, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      if (read(m_out, &c, 1) != 1 || c == '\n') break;
      line += c;
    }
    return line;
  }
  // SIGTERM, then SIGKILL after 20 s; the exit status, or -1.
  int stop() {
    if (m_pid <= 0) return -1;
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (kill(m_pid, 0) == 0 && waitpid(m_pid, &status, WNOHANG) == 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, &status, 0);
      status = -1;
    }
    m_pid = -1;
    if (m_out >= 0) close(m_out);
    m_out = -1;
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t m_pid = -1;
  int m_out = -1;
};

// A TCP port free on `host` a moment ago, for a server that cannot report
// the one it took.
int free_port(const char *host) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  inet_pton(AF_INET, host, &a.sin_addr);
  socklen_t size = sizeof a;
  int port = -1;
  if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr *>(&a), &size) == 0)
    port = ntohs(a.sin_port);
  close(fd);
  return port;
}

std::string scratch_dir() {
  char pattern[] = "/tmp/qmr-monitoring-XXXXXX";
  return mkdtemp(pattern) != nullptr ? pattern : "";
}

// The exporter on kExporterHost, any port.
class Exporter {
 public:
  bool start(std::vector<std::string> extra, std::string *why) {
    m_dir = scratch_dir();
    std::vector<std::string> argv = {QMR_TOOL_PATH, "exporter", "--listen", std::string(kExporterHost) + ":0"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    if (!m_process.start(argv, m_dir + "/exporter.log")) return false;
    const std::string line = m_process.first_line(20000);
    const size_t colon = line.rfind(':');
    if (colon == std::string::npos) {
      *why = "no listening line: \"" + line + "\"";
      return false;
    }
    m_port = std::atoi(line.c_str() + colon + 1);
    return m_port > 0;
  }
  ~Exporter() {
    m_process.stop();
    std::error_code ec;
    if (!m_dir.empty()) fs::remove_all(m_dir, ec);
  }
  int port() const { return m_port; }
  httplib::Client client() const {
    httplib::Client c(kExporterHost, m_port);
    c.set_read_timeout(30, 0);
    return c;
  }
  int stop() { return m_process.stop(); }

 private:
  Process m_process;
  std::string m_dir;
  int m_port = -1;
};

// What the C interface reads: level / capacity of each supply that has
// both, by its 1-based position.
std::map<std::string, double> supply_ratios(const char *address) {
  std::map<std::string, double> out;
  void *h = nullptr;
  int32_t count = 0;
  if (QMRInit(&h) == QMR_OK && QMRInitDevice(h, address, 1, 2000, 1) == QMR_OK &&
      QMRGetNumberOfTonerInfo(h, &count) == QMR_OK) {
    for (int32_t i = 0; i < count; ++i) {
      QMRTonerInfo t;
      if (QMRGetTonerInfo(h, static_cast<uint32_t>(i), &t) == QMR_OK && t.level >= 0 && t.maxCapacity > 0)
        out[std::to_string(i + 1)] = static_cast<double>(t.level) / t.maxCapacity;
    }
  }
  QMRUnInit(h);
  return out;
}

std::string leaf_text(const std::string &leaf) {
  std::string out;
  for (size_t i = 2; i + 1 < leaf.size(); i += 2) out += static_cast<char>(std::stoi(leaf.substr(i, 2), nullptr, 16));
  return out;
}

// One instant query through Prometheus' HTTP API: "instance/index" (or
// "instance") to value.
std::map<std::string, double> query(httplib::Client &prometheus, const std::string &expr) {
  std::map<std::string, double> out;
  auto res = prometheus.Get(("/api/v1/query?query=" + expr).c_str());
  if (!res || res->status != 200) return out;
  const FlatJson j = flatten_json(res->body);
  for (int i = 0; j.count("data.result." + std::to_string(i) + ".value.1") > 0; ++i) {
    const std::string p = "data.result." + std::to_string(i) + ".";
    std::string key = leaf_text(j.at(p + "metric.instance"));
    if (j.count(p + "metric.index")) key += "/" + leaf_text(j.at(p + "metric.index"));
    out[key] = std::stod(leaf_text(j.at(p + "value.1")));
  }
  return out;
}

}  // namespace

class QmrCheckLabTest : public PrinterLabSuite {
 protected:
  static void SetUpTestSuite() {
    start_lab({{kAddrOk, "check-ok.snmprec"},
               {kAddrWarning, "check-warning.snmprec"},
               {kAddrCritical, "check-critical.snmprec"},
               {kAddrRefused, "inkwell-400.snmprec"}});
  }
};

TEST_F(QmrCheckLabTest, NetSnmpFlagsGiveWhatTheLongOptionsGive) {
  const RunResult long_form = run_qmr({"status", "--community", "public", "--timeout", "1500", "--retries", "2",
                                       kAddrOk, "--json"});
  ASSERT_EQ(0, long_form.status) << long_form.err;
  const RunResult short_form = run_qmr({"status", "-v", "1", "-c", "public", "-t", "1.5", "-r", "2", kAddrOk, "--json"});
  EXPECT_EQ(0, short_form.status) << short_form.err;
  EXPECT_EQ(long_form.out, short_form.out);
  // SNMPv2c through the same agent reads the same printer.
  const RunResult v2c = run_qmr({"status", "-v2c", "-cpublic", kAddrOk, "--json"});
  EXPECT_EQ(0, v2c.status) << v2c.err;
  EXPECT_EQ(long_form.out, v2c.out);

  // The community and the time-out reach the wire: an unknown community
  // gets no answer, and two retries of 0.2 s take at least 0.6 s.
  const auto start = Clock::now();
  const RunResult wrong = run_qmr({"charset", kAddrOk, "-c", "nobody", "-t", "0.2", "-r", "2"});
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(600));
  EXPECT_EQ(1, wrong.status);
  EXPECT_TRUE(contains(wrong.err, "error -203")) << wrong.err;

  const RunResult bad = run_qmr({"status", kAddrOk, "-c"});
  EXPECT_EQ(2, bad.status);
  EXPECT_TRUE(contains(bad.err, "qmr: option -c needs a value (NAME)")) << bad.err;
  for (const char *command : {"discover", "status", "options", "jobs", "cancel", "charset", "check", "exporter"}) {
    const RunResult help = run_qmr({command, "--help"});
    EXPECT_EQ(0, help.status) << command;
    EXPECT_TRUE(contains(help.out, "Examples:\n  qmr " + std::string(command))) << help.out;
    EXPECT_TRUE(contains(help.out, "-c, --community NAME")) << command;
  }
  EXPECT_TRUE(contains(run_qmr({"--help"}).out, "Examples:\n"));
}

TEST_F(QmrCheckLabTest, EachPrinterGivesItsStateAndParsablePerfdata) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char *state;
    std::vector<const char *> problems;
  } cases[] = {
      {{kAddrOk}, 0, "OK", {"Vellumcraft 7300 127.77.51.11 idle: 6 supplies and 4 input trays fine"}},
      {{kAddrWarning}, 1, "WARNING", {"lowToner", "alert: Magenta toner is low", "Magenta toner cartridge 15%"}},
      {{kAddrCritical}, 2, "CRITICAL", {"doorOpen", "Door B is open / close it", "Black toner cartridge 3%", "Tray 2 empty"}},
      // Thresholds: cyan toner is at 45 %, the imaging drum at 64 %.
      {{kAddrOk, "--warning", "50"}, 1, "WARNING", {"Cyan toner cartridge 45%"}},
      {{kAddrOk, "--warning", "70", "--critical", "50"}, 2, "CRITICAL", {"Cyan toner cartridge 45%", "Imaging drum 64%"}},
      {{kAddrRefused}, 3, "UNKNOWN", {"model refused"}},
      {{kAddrQuiet, "-t", "0.3", "-r", "0"}, 3, "UNKNOWN", {"cannot read the printer", "error -203"}},
  };
  for (const auto &c : cases) {
    std::vector<std::string> args = {"check"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult run = run_qmr(args);
    SCOPED_TRACE(c.args[0] + " " + c.state);
    EXPECT_EQ(c.status, run.status) << run.out << run.err;
    PluginOutput out;
    std::string reason;
    ASSERT_TRUE(parse_plugin_output(run.out, &out, &reason)) << reason << "\n" << run.out;
    EXPECT_EQ("QMR", out.service);
    EXPECT_EQ(c.state, out.state);
    for (const char *p : c.problems) EXPECT_TRUE(contains(out.summary, p)) << p << "\n" << out.summary;
    if (c.status == 3) {
      EXPECT_TRUE(out.perf.empty());
      continue;
    }
    // One datum per supply and input tray, each label once.
    void *h = nullptr;
    int32_t supplies = 0, trays = 0;
    ASSERT_EQ(QMR_OK, QMRInit(&h));
    ASSERT_EQ(QMR_OK, QMRInitDevice(h, c.args[0].c_str(), 1, 2000, 1));
    ASSERT_EQ(QMR_OK, QMRGetNumberOfTonerInfo(h, &supplies));
    ASSERT_EQ(QMR_OK, QMRGetNumberOfInputTrayInfo(h, &trays));
    ASSERT_EQ(static_cast<size_t>(supplies + trays), out.perf.size()) << run.out;
    std::set<std::string> labels;
    for (int32_t i = 0; i < supplies; ++i) {
      QMRTonerInfo t;
      ASSERT_EQ(QMR_OK, QMRGetTonerInfo(h, static_cast<uint32_t>(i), &t));
      const PerfItem &p = out.perf[static_cast<size_t>(i)];
      if (t.level >= 0 && t.maxCapacity > 0)
        EXPECT_EQ(std::to_string((t.level * 100 + t.maxCapacity / 2) / t.maxCapacity), p.value) << p.label;
      else
        EXPECT_EQ("U", p.value) << p.label;
    }
    for (const PerfItem &p : out.perf) EXPECT_TRUE(labels.insert(p.label).second) << p.label;
    QMRUnInit(h);
  }
  // The warning printer has two supplies named alike.
  const RunResult warning = run_qmr({"check", kAddrWarning});
  EXPECT_TRUE(contains(warning.out, "'Black toner cartridge #2'=88%")) << warning.out;
}

TEST_F(QmrCheckLabTest, PrinterStateKeepsItsColumn) {
  // This printer reports a status outside the MIB's list and no NetWare name.
  const RunResult run = run_qmr({"status", kAddrWarning});
  ASSERT_EQ(0, run.status) << run.err;
  const size_t name = run.out.find("\n  Name ");
  const size_t state = run.out.find("\n  State ");
  ASSERT_NE(std::string::npos, name) << run.out;
  ASSERT_NE(std::string::npos, state) << run.out;
  EXPECT_EQ(run.out.find_first_not_of(' ', name + 7) - name, run.out.find_first_not_of(' ', state + 8) - state)
      << run.out;
  EXPECT_TRUE(contains(run.out, "invalid - lowToner")) << run.out;
}

class QmrExporterTest : public PrinterLabSuite {
 protected:
  static void SetUpTestSuite() { start_lab({{kAddrA, "vellumcraft-7300.snmprec"}, {kAddrB, "vellumcraft-7300p.snmprec"}}); }
};

TEST_F(QmrExporterTest, ProbesRefusesBadTargetsAndCountsItself) {
  Exporter exporter;
  std::string why;
  ASSERT_TRUE(exporter.start({"-t", "0.5", "-r", "0"}, &why)) << why;
  httplib::Client http = exporter.client();

  auto res = http.Get((std::string("/probe?target=") + kAddrA).c_str());
  ASSERT_TRUE(res);
  ASSERT_EQ(200, res->status);
  EXPECT_TRUE(contains(res->get_header_value("Content-Type"), "text/plain; version=0.0.4")) << res->get_header_value("Content-Type");
  EXPECT_TRUE(contains(res->body, "\nqmr_up 1\n")) << res->body;
  EXPECT_TRUE(contains(res->body, "qmr_info{model=\"Vellumcraft 7300\",name=\"vc7300-floor2\"")) << res->body;
  EXPECT_TRUE(contains(res->body, "qmr_jobs{state=\"Waiting\"} 2\n")) << res->body;
  // The staples report "some left" (-3): no sample rather than a negative ratio.
  EXPECT_FALSE(contains(res->body, "description=\"Staples\"} -")) << res->body;
  EXPECT_FALSE(contains(res->body, "qmr_supply_level_ratio{index=\"6\"")) << res->body;
  const std::string dir = scratch_dir();
  std::ofstream(dir + "/probe.txt") << res->body;
  const RunResult lint = run_program({"/bin/sh", "-c", "/usr/bin/promtool check metrics < " + dir + "/probe.txt"});
  fs::remove_all(dir);
  EXPECT_EQ(0, lint.status) << lint.out << lint.err;

  const struct {
    std::string query;
    int status;
    const char *text;
  } cases[] = {
      {"/probe", 400, "exactly one target"},
      {"/probe?target=", 400, "target is empty"},
      {"/probe?target=127.77.51.1:161", 400, "port"},
      {"/probe?target=a&target=b", 400, "exactly one target"},
      {"/probe?target=http%3A%2F%2Fx", 400, "character"},
      {"/probe?target=127.77.51.1&community=" + std::string(256, 'c'), 400, "longer than 255"},
      {std::string("/probe?target=") + kAddrQuiet, 200, "\nqmr_up 0\n"},
      {std::string("/probe?target=") + kAddrA + "&community=nobody", 200, "\nqmr_up 0\n"},
      {"/probe?target=no-such-printer.invalid", 200, "\nqmr_up 0\n"},
  };
  for (const auto &c : cases) {
    auto r = http.Get(c.query.c_str());
    ASSERT_TRUE(r) << c.query;
    EXPECT_EQ(c.status, r->status) << c.query;
    EXPECT_TRUE(contains(r->body, c.text)) << c.query << "\n" << r->body;
  }
  auto metrics = http.Get("/metrics");
  ASSERT_TRUE(metrics);
  for (const char *line : {"qmr_exporter_probes_total{result=\"up\"} 1\n", "qmr_exporter_probes_total{result=\"down\"} 3\n",
                           "qmr_exporter_probes_total{result=\"bad_request\"} 6\n", "qmr_exporter_probes_in_flight 0\n"})
    EXPECT_TRUE(contains(metrics->body, line)) << line << "\n" << metrics->body;
  EXPECT_EQ(0, exporter.stop());
}

TEST_F(QmrExporterTest, EachProbeKeepsItsTimeBudgetAndProbesAreBounded) {
  Exporter exporter;
  std::string why;
  // One probe at a time; a silent printer holds its slot for 2 x 1.5 s.
  ASSERT_TRUE(exporter.start({"--max-probes", "1", "-t", "1.5", "-r", "1"}, &why)) << why;
  const httplib::Headers scrape = {{"X-Prometheus-Scrape-Timeout-Seconds", "1.5"}};
  auto probe = [&] {
    httplib::Client http = exporter.client();
    auto r = http.Get((std::string("/probe?target=") + kAddrQuiet).c_str(), scrape);
    return r ? std::make_pair(r->status, r->body) : std::make_pair(-1, std::string());
  };
  const auto start = Clock::now();
  auto first = std::async(std::launch::async, probe);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto second = std::async(std::launch::async, probe);
  const auto a = first.get();
  const auto b = second.get();
  // Both answered within the scrape's time-out, not the printer's 3 s.
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2800));
  EXPECT_EQ(200, a.first);
  EXPECT_TRUE(contains(a.second, "\nqmr_up 0\n")) << a.second;
  EXPECT_TRUE(contains(a.second, "\nqmr_probe_result_code -203\n")) << a.second;
  EXPECT_EQ(503, b.first) << b.second;
  EXPECT_TRUE(contains(b.second, "too many probes")) << b.second;
  auto metrics = exporter.client().Get("/metrics");
  ASSERT_TRUE(metrics);
  EXPECT_TRUE(contains(metrics->body, "qmr_exporter_probes_total{result=\"timeout\"} 1\n")) << metrics->body;
  EXPECT_TRUE(contains(metrics->body, "qmr_exporter_probes_total{result=\"busy\"} 1\n")) << metrics->body;
  // Shutting down waits for the probe still reading the silent printer.
  EXPECT_EQ(0, exporter.stop());
}

TEST_F(QmrExporterTest, PrometheusScrapesTwoPrintersAndFindsWhatTheInterfaceReads) {
  if (access(kPrometheus, X_OK) != 0) GTEST_SKIP() << "needs prometheus (Debian package prometheus)";
  Exporter exporter;
  std::string why;
  ASSERT_TRUE(exporter.start({}, &why)) << why;

  const std::string dir = scratch_dir();
  ASSERT_FALSE(dir.empty());
  const int port = free_port(kPrometheusHost);
  ASSERT_GT(port, 0);
  std::ofstream(dir + "/prometheus.yml")
      << "global:\n  scrape_interval: 5s\n  scrape_timeout: 5s\n"
      << "scrape_configs:\n  - job_name: printers\n    metrics_path: /probe\n"
      << "    static_configs:\n      - targets: ['" << kAddrA << "', '" << kAddrB << "']\n"
      << "    relabel_configs:\n"
      << "      - source_labels: [__address__]\n        target_label: __param_target\n"
      << "      - source_labels: [__param_target]\n        target_label: instance\n"
      << "      - target_label: __address__\n        replacement: " << kExporterHost << ":" << exporter.port() << "\n";
  Process prometheus;
  const std::string listen = std::string(kPrometheusHost) + ":" + std::to_string(port);
  ASSERT_TRUE(prometheus.start({kPrometheus, "--config.file=" + dir + "/prometheus.yml",
                                "--storage.tsdb.path=" + dir + "/data", "--web.listen-address=" + listen,
                                "--log.level=warn"},
                               dir + "/prometheus.log"));
  httplib::Client api(kPrometheusHost, port);
  api.set_read_timeout(10, 0);

  const std::map<std::string, double> a = supply_ratios(kAddrA), b = supply_ratios(kAddrB);
  ASSERT_GE(a.size(), 3u);
  ASSERT_GE(b.size(), 3u);
  std::map<std::string, double> expected;
  for (const auto &[index, v] : a) expected[std::string(kAddrA) + "/" + index] = v;
  for (const auto &[index, v] : b) expected[std::string(kAddrB) + "/" + index] = v;

  // Bounded: until both printers were scraped or the time is up.
  std::map<std::string, double> up, ratios;
  const auto deadline = Clock::now() + std::chrono::seconds(kScrapeWaitSeconds);
  while (Clock::now() < deadline) {
    up = query(api, "qmr_up");
    ratios = query(api, "qmr_supply_level_ratio");
    if (up.size() == 2 && ratios.size() == expected.size()) break;
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  std::ifstream log(dir + "/prometheus.log");
  const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_EQ(1, up[kAddrA]) << logged;
  EXPECT_EQ(1, up[kAddrB]) << logged;
  ASSERT_EQ(expected.size(), ratios.size()) << logged;
  for (const auto &[key, value] : expected) {
    ASSERT_EQ(1u, ratios.count(key)) << key;
    EXPECT_DOUBLE_EQ(value, ratios[key]) << key;
  }
  EXPECT_EQ(0, prometheus.stop());
  std::error_code ec;
  fs::remove_all(dir, ec);
}
