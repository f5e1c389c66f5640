// The qmr program's logic that needs no printer: its options, the check's
// verdicts and performance data, the exporter's exposition text and its
// request rules.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>

#include "check.h"
#include "cli_options.h"
#include "cli_runner.h"
#include "exposition.h"
#include "plugin_output.h"
#include "probe_request.h"

namespace {

bool parse(std::vector<std::string> args, CliOptions *o, std::string *error) {
  args.insert(args.begin(), "qmr");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  return parse_cli(static_cast<int>(argv.size()), argv.data(), o, error);
}

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(QmrFlagsTest, EveryFlagReachesItsSetting) {
  using Get = std::function<std::string(const CliOptions &)>;
  const Get selector = [](const CliOptions &o) { return std::to_string(o.security_selector()); };
  const Get community = [](const CliOptions &o) { return o.community; };
  const Get timeout = [](const CliOptions &o) { return std::to_string(o.timeout_ms); };
  const Get level = [](const CliOptions &o) { return std::to_string(o.level); };
  const Get auth = [](const CliOptions &o) { return std::to_string(o.auth_proto); };
  const Get priv = [](const CliOptions &o) { return std::to_string(o.priv_proto); };
  const std::vector<std::string> status = {"status", "192.0.2.1"};
  const std::vector<std::string> v3 = {"status", "192.0.2.1", "-u", "monitor"};
  const struct {
    std::vector<std::string> args;
    Get get;
    std::string expected;
  } cases[] = {
      {status, selector, "0"},
      {plus(status, {"-v", "1"}), selector, "0"},
      {plus(status, {"-v2c"}), selector, "1"},
      {plus(status, {"--snmp-version=2c"}), selector, "1"},
      {plus(v3, {"-v", "3"}), selector, "2"},
      {v3, selector, "2"},
      {v3, [](const CliOptions &o) { return o.user; }, "monitor"},
      {plus(status, {"-c", "office"}), community, "office"},
      {plus(status, {"-coffice"}), community, "office"},
      {plus(status, {"--community=office"}), community, "office"},
      {plus(status, {"-t", "1.5"}), timeout, "1500"},
      {plus(status, {"-t", ".25"}), timeout, "250"},
      {plus(status, {"-t3"}), timeout, "3000"},
      {plus(status, {"--timeout", "700"}), timeout, "700"},
      {status, timeout, "2000"},
      {plus(status, {"-r", "2"}), [](const CliOptions &o) { return std::to_string(o.retries); }, "2"},
      {plus(v3, {"-l", "noAuthNoPriv"}), level, "0"},
      {plus(v3, {"-l", "authNoPriv"}), level, "1"},
      {plus(v3, {"-l", "AUTHPRIV"}), level, "2"},
      {plus(v3, {"--level", "auth"}), level, "1"},
      {plus(v3, {"-a", "MD5"}), auth, "1"},
      {plus(v3, {"-a", "sha"}), auth, "2"},
      {plus(v3, {"-x", "DES"}), priv, "1"},
      {plus(v3, {"-x", "AES"}), priv, "2"},
      {plus(v3, {"-A", "auth secret"}), [](const CliOptions &o) { return o.auth_pass; }, "auth secret"},
      {plus(v3, {"-X", "priv secret"}), [](const CliOptions &o) { return o.priv_pass; }, "priv secret"},
      {plus(v3, {"-n", "ctx"}), [](const CliOptions &o) { return o.context; }, "ctx"},
      {plus(status, {"--json"}), [](const CliOptions &o) { return std::to_string(o.json); }, "1"},
      {{"status", "-h"}, [](const CliOptions &o) { return std::to_string(o.help); }, "1"},
      {{"check", "192.0.2.1", "--warning", "30", "--critical", "5"},
       [](const CliOptions &o) { return std::to_string(o.warning_percent) + "/" + std::to_string(o.critical_percent); },
       "30/5"},
      {{"exporter", "--listen", "[::1]:9116", "--max-probes", "4", "--probe-timeout", "2.5"},
       [](const CliOptions &o) {
         return o.listen + " " + std::to_string(o.max_probes) + " " + std::to_string(o.probe_timeout_ms);
       },
       "[::1]:9116 4 2500"},
      // Options may follow the operands, as with snmpget.
      {{"status", "192.0.2.1", "-c", "late"}, community, "late"},
  };
  for (const auto &c : cases) {
    std::string joined;
    for (const std::string &a : c.args) joined += a + " ";
    CliOptions o;
    std::string error;
    ASSERT_TRUE(parse(c.args, &o, &error)) << joined << ": " << error;
    EXPECT_EQ(c.expected, c.get(o)) << joined;
  }
}

TEST(QmrFlagsTest, BadFlagsAreNamedInTheError) {
  const std::vector<std::string> status = {"status", "192.0.2.1"};
  const struct {
    std::vector<std::string> args;
    const char *error;
  } cases[] = {
      {plus(status, {"-q"}), "unknown option -q"},
      {plus(status, {"--colour"}), "unknown option --colour"},
      {plus(status, {"-c"}), "option -c needs a value (NAME)"},
      {plus(status, {"--community"}), "option --community needs a value (NAME)"},
      {plus(status, {"-t"}), "option -t needs a value (SECONDS)"},
      {plus(status, {"-t", "1,5"}), "bad value \"1,5\" for -t"},
      {plus(status, {"-t", "1e3"}), "bad value \"1e3\" for -t"},
      {plus(status, {"-t", "-1"}), "bad value \"-1\" for -t"},
      {plus(status, {"-t", "100000"}), "bad value \"100000\" for -t"},
      {plus(status, {"--timeout", "1.5"}), "bad value \"1.5\" for --timeout"},
      {plus(status, {"-r", "x"}), "bad value \"x\" for -r"},
      {plus(status, {"-v", "2"}), "bad value \"2\" for -v (expected 1, 2c or 3)"},
      {plus(status, {"-v", "3"}), "SNMPv3 needs a user name (-u NAME)"},
      {plus(status, {"-l", "authPriv"}), "SNMPv3 needs a user name"},
      {plus(status, {"-v", "2c", "-u", "x"}), "need -v 3"},
      {plus(status, {"-u", "x", "-l", "authpriv2"}), "bad value \"authpriv2\" for -l"},
      {plus(status, {"-u", "x", "-a", "SHA256"}), "bad value \"SHA256\" for -a (expected MD5 or SHA)"},
      {plus(status, {"-u", "x", "-x", "AES256"}), "bad value \"AES256\" for -x (expected DES or AES)"},
      {plus(status, {"-u", ""}), "bad value \"\" for -u"},
      {plus(status, {"-hv"}), "-h takes no value"},
      {plus(status, {"--json=yes"}), "--json takes no value"},
      {plus(status, {"--warning", "10"}), "--warning is not an option of qmr status"},
      {plus(status, {"extra"}), "qmr status takes ADDRESS, not also \"extra\""},
      {{"check", "192.0.2.1", "--warning", "101"}, "bad value \"101\" for --warning"},
      {{"check", "192.0.2.1", "--warning", "5", "--critical", "10"}, "--critical must not be above --warning"},
      {{"exporter", "--max-probes", "0"}, "bad value \"0\" for --max-probes"},
      {{"exporter", "--probe-timeout", "0"}, "bad value \"0\" for --probe-timeout"},
      {{"discover", "--class", "1"}, "--class is not an option of qmr discover"},
  };
  for (const auto &c : cases) {
    std::string joined;
    for (const std::string &a : c.args) joined += a + " ";
    CliOptions o;
    std::string error;
    EXPECT_FALSE(parse(c.args, &o, &error)) << joined;
    EXPECT_TRUE(contains(error, c.error)) << joined << ": " << error;
  }
}

namespace {

QMRTonerInfo supply(const char *name, int32_t max, int32_t level) {
  QMRTonerInfo s{};
  s.supplyUnit = 13;
  s.maxCapacity = max;
  s.level = level;
  std::strncpy(s.description, name, sizeof s.description - 1);
  return s;
}

QMRInputTrayInfo tray(const char *name, int32_t type, int32_t max, int32_t level) {
  QMRInputTrayInfo t{};
  t.inputType = type;
  t.capacityUnit = 8;
  t.maxCapacity = max;
  t.currentLevel = level;
  std::strncpy(t.inputName, name, sizeof t.inputName - 1);
  return t;
}

QMRAlertInfo alert(int32_t severity, const char *text) {
  QMRAlertInfo a{};
  a.severityLevel = severity;
  std::strncpy(a.description, text, sizeof a.description - 1);
  return a;
}

// Nothing to report: two supplies, a tray and an empty manual-feed slot.
PrinterReport healthy() {
  PrinterReport r;
  r.model = "Vellumcraft 7300";
  r.printer_read = true;
  r.printer.printerStatus = 3;
  r.supplies = {supply("Black toner", 1000, 800), supply("Staples", 100, -3)};
  r.input_trays = {tray("Tray 1", 3, 500, 250), tray("Bypass", 5, 100, 0)};
  return r;
}

}  // namespace

TEST(QmrCheckTest, EachSignalGivesItsState) {
  using Change = std::function<void(PrinterReport *)>;
  auto bit = [](int n) -> Change {
    return [n](PrinterReport *r) { r->printer.detectedErrorState[n / 8] |= static_cast<uint8_t>(0x80 >> (n % 8)); };
  };
  auto level = [](int32_t l) -> Change { return [l](PrinterReport *r) { r->supplies[0].level = l; }; };
  const struct {
    const char *name;
    Change change;
    CheckState state;
    const char *problem;
  } cases[] = {
      {"healthy", [](PrinterReport *) {}, kCheckOk, ""},
      {"lowPaper", bit(0), kCheckWarning, "lowPaper"},
      {"noPaper", bit(1), kCheckCritical, "noPaper"},
      {"lowToner", bit(2), kCheckWarning, "lowToner"},
      {"noToner", bit(3), kCheckCritical, "noToner"},
      {"doorOpen", bit(4), kCheckCritical, "doorOpen"},
      {"jammed", bit(5), kCheckCritical, "jammed"},
      {"offline", bit(6), kCheckWarning, "offline"},
      {"critical alert", [](PrinterReport *r) { r->alerts = {alert(3, "Fuser failure")}; }, kCheckCritical,
       "alert: Fuser failure"},
      {"warning alert", [](PrinterReport *r) { r->alerts = {alert(4, "Toner low")}; }, kCheckWarning, "alert: Toner low"},
      {"warning event", [](PrinterReport *r) { r->alerts = {alert(5, "Cover opened")}; }, kCheckWarning, "Cover"},
      {"other alert", [](PrinterReport *r) { r->alerts = {alert(1, "Energy saver")}; }, kCheckOk, ""},
      {"supply 20 %", level(200), kCheckOk, ""},
      {"supply 19 %", level(190), kCheckWarning, "Black toner 19%"},
      {"supply 10 %", level(100), kCheckWarning, "Black toner 10%"},
      {"supply 9 %", level(90), kCheckCritical, "Black toner 9%"},
      {"supply empty, capacity unknown",
       [](PrinterReport *r) {
         r->supplies[0].maxCapacity = -2;
         r->supplies[0].level = 0;
       },
       kCheckCritical, "Black toner 0%"},
      {"supply level unknown", level(-2), kCheckOk, ""},
      {"tray empty", [](PrinterReport *r) { r->input_trays[0].currentLevel = 0; }, kCheckWarning, "Tray 1 empty"},
      {"section unread", [](PrinterReport *r) { r->failures.push_back({"alerts", {-203, "read alerts"}}); },
       kCheckUnknown, "alerts could not be read: error -203"},
      {"unread, but jammed",
       [](PrinterReport *r) {
         r->failures.push_back({"alerts", {-203, "read alerts"}});
         r->printer.detectedErrorState[0] = 0x04;
       },
       kCheckCritical, "jammed"},
  };
  for (const auto &c : cases) {
    PrinterReport r = healthy();
    c.change(&r);
    const CheckResult result = evaluate_check(r, CheckThresholds{});
    EXPECT_EQ(c.state, result.state) << c.name;
    EXPECT_EQ(*c.problem == '\0', result.problems.empty()) << c.name;
    if (!result.problems.empty()) {
      EXPECT_TRUE(contains(result.problems[0], c.problem)) << c.name;
    }
  }
}

TEST(QmrCheckTest, OutputFollowsThePluginGrammarWithUniqueLabels) {
  PrinterReport r = healthy();
  r.supplies.push_back(supply("Black toner", 1000, 50));          // same description again
  r.supplies.push_back(supply("It's a = sign | bar", 100, 40));   // characters a label cannot hold
  r.input_trays.push_back(tray("Black toner", 3, 250, -2));       // a tray named like a supply
  r.alerts = {alert(4, "Two\nlines | and a bar")};
  const CheckResult result = evaluate_check(r, CheckThresholds{30, 10});
  const std::string line = check_line(r.model + " 192.0.2.1", "idle", result);
  PluginOutput out;
  std::string reason;
  ASSERT_TRUE(parse_plugin_output(line, &out, &reason)) << reason << "\n" << line;
  EXPECT_EQ("QMR", out.service);
  EXPECT_EQ("CRITICAL", out.state);  // the second black toner is at 5 %
  ASSERT_EQ(7u, out.perf.size()) << line;
  std::set<std::string> labels;
  for (const PerfItem &p : out.perf) EXPECT_TRUE(labels.insert(p.label).second) << "repeated label " << p.label;
  const PerfItem &black = out.perf[0];
  EXPECT_EQ("80", black.value);
  EXPECT_EQ("%", black.uom);
  EXPECT_EQ("30:", black.warn);
  EXPECT_EQ("10:", black.crit);
  EXPECT_EQ("Black toner #2", out.perf[2].label);
  EXPECT_EQ("5", out.perf[2].value);
  EXPECT_EQ("U", out.perf[1].value);  // staples: some left, no amount
  EXPECT_EQ("It_s a _ sign / bar", out.perf[3].label);
  EXPECT_EQ("250", out.perf[4].value);
  EXPECT_EQ("500", out.perf[4].max);
  EXPECT_EQ("1:", out.perf[4].warn);
  EXPECT_EQ("", out.perf[5].warn);  // the manual-feed slot may be empty
  EXPECT_EQ("Black toner #3", out.perf[6].label);

  EXPECT_EQ("QMR UNKNOWN - 192.0.2.1: model refused / not ours\n", unknown_line("192.0.2.1: model refused | not ours"));
  ASSERT_TRUE(parse_plugin_output(unknown_line("x"), &out, &reason)) << reason;
  EXPECT_EQ("UNKNOWN", out.state);
}

TEST(QmrExpositionTest, EscapingAndValues) {
  const struct {
    std::string in, label, help;
  } cases[] = {
      {"plain", "plain", "plain"},
      {"a\\b", "a\\\\b", "a\\\\b"},
      {"say \"hi\"", "say \\\"hi\\\"", "say \"hi\""},
      {"two\nlines", "two\\nlines", "two\\nlines"},
      {"\xE2\x80\x93 dash", "\xE2\x80\x93 dash", "\xE2\x80\x93 dash"},
      {"bad \xFF byte", "bad \xEF\xBF\xBD byte", "bad \xEF\xBF\xBD byte"},
      {"overlong \xC0\x80", "overlong \xEF\xBF\xBD\xEF\xBF\xBD", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"cut \xE2\x80", "cut \xEF\xBF\xBD\xEF\xBF\xBD", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
       "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(c.label, escape_label_value(c.in)) << c.in;
    EXPECT_EQ(c.help, escape_help(c.in)) << c.in;
  }
  EXPECT_EQ("0.5", format_sample_value(0.5));
  EXPECT_EQ("3", format_sample_value(3));
  EXPECT_EQ("-203", format_sample_value(-203));
  EXPECT_EQ("0.3333333333333333", format_sample_value(1.0 / 3));
  EXPECT_EQ("NaN", format_sample_value(std::nan("")));
  EXPECT_EQ("+Inf", format_sample_value(HUGE_VAL));
}

TEST(QmrExpositionTest, ProbeLeavesOutLevelsThatAreNotAmountsAndPassesPromtool) {
  ProbeOutcome down;
  down.code = -203;
  const std::string unreachable = probe_exposition(down);
  EXPECT_TRUE(contains(unreachable, "\nqmr_up 0\n")) << unreachable;
  EXPECT_TRUE(contains(unreachable, "\nqmr_probe_result_code -203\n")) << unreachable;
  EXPECT_FALSE(contains(unreachable, "qmr_supply")) << unreachable;

  ProbeOutcome up;
  up.up = true;
  up.report = healthy();
  up.report.printer.detectedErrorState[0] = 0x04;  // jammed
  up.report.supplies.push_back(supply("Black toner", -2, -3));        // same name, nothing known
  up.report.supplies.push_back(supply("Say \"\\\n\xFF\"", 200, 50));  // every escape
  up.report.alerts = {alert(3, "Jam"), alert(3, "Jam")};
  QMRJobInfo job{};
  std::strcpy(job.lookupText3, "Printing");
  up.report.jobs = {job, job, QMRJobInfo{}};
  const std::string text = probe_exposition(up);
  for (const char *line : {"\nqmr_up 1\n", "qmr_printer_error_state{condition=\"jammed\"} 1\n",
                           "qmr_printer_error_state{condition=\"lowPaper\"} 0\n",
                           "qmr_supply_level_ratio{index=\"1\",description=\"Black toner\"} 0.8\n",
                           "qmr_supply_level_ratio{index=\"4\",description=\"Say \\\"\\\\\\n\xEF\xBF\xBD\\\"\"} 0.25\n",
                           "qmr_input_tray_level_ratio{index=\"2\",name=\"Bypass\"} 0\n",
                           "qmr_input_tray_capacity_sheets{index=\"1\",name=\"Tray 1\"} 500\n",
                           "qmr_jobs{state=\"Printing\"} 2\n", "qmr_jobs{state=\"unknown\"} 1\n",
                           "qmr_alert_info{index=\"2\",severity=\"critical\",group=\"unlisted\",code=\"0\","
                           "description=\"Jam\"} 1\n"}) {
    EXPECT_TRUE(contains(text, line)) << line << "\n" << text;
  }
  // -3 (some left) and -2 (unknown) give no sample at all.
  EXPECT_FALSE(contains(text, "qmr_supply_level_ratio{index=\"2\"")) << text;
  EXPECT_FALSE(contains(text, "qmr_supply_level_ratio{index=\"3\"")) << text;
  EXPECT_FALSE(contains(text, "qmr_supply_capacity{index=\"3\"")) << text;

  if (access("/usr/bin/promtool", X_OK) != 0) GTEST_SKIP() << "needs promtool (Debian package prometheus)";
  char path[] = "/tmp/qmr-exposition-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << text;
  const RunResult lint = run_program({"/bin/sh", "-c", std::string("/usr/bin/promtool check metrics < ") + path});
  unlink(path);
  EXPECT_EQ(0, lint.status) << lint.out << lint.err << text;
}

TEST(QmrProbeRequestTest, ListenAddressTargetBudgetAndSlots) {
  const struct {
    const char *text;
    bool ok;
    const char *host;
    int port;
  } listens[] = {{"127.0.0.1:9116", true, "127.0.0.1", 9116}, {"[::1]:0", true, "::1", 0},
                 {"localhost:80", true, "localhost", 80},     {"::1:9116", false, "", 0},
                 {"127.0.0.1", false, "", 0},                 {"127.0.0.1:65536", false, "", 0},
                 {":9116", false, "", 0},                     {"[::1:9116", false, "", 0}};
  for (const auto &l : listens) {
    std::string host, reason;
    int port = -1;
    EXPECT_EQ(l.ok, parse_listen_address(l.text, &host, &port, &reason)) << l.text;
    if (l.ok) {
      EXPECT_EQ(std::string(l.host) + ":" + std::to_string(l.port), host + ":" + std::to_string(port));
    } else {
      EXPECT_FALSE(reason.empty()) << l.text;
    }
  }

  const struct {
    std::string target;
    const char *reason;  // null: accepted
  } targets[] = {{"192.0.2.10", nullptr},
                 {"printer-3.example.net", nullptr},
                 {"fe80::1%eth0", nullptr},
                 {"2001:db8::10", nullptr},
                 {"", "empty"},
                 {std::string(256, 'a'), "longer than 255"},
                 {"192.0.2.10:161", "port"},
                 {"printer.example.net:1161", "port"},
                 {"http://192.0.2.10/", "character"},
                 {"a b", "character"},
                 {"x\ny", "character"}};
  for (const auto &t : targets) {
    std::string reason;
    EXPECT_EQ(t.reason == nullptr, check_probe_target(t.target, &reason)) << t.target;
    if (t.reason != nullptr) {
      EXPECT_TRUE(contains(reason, t.reason)) << t.target << ": " << reason;
    }
  }
  std::string reason;
  EXPECT_TRUE(check_probe_community(std::string(255, 'c'), &reason));
  EXPECT_FALSE(check_probe_community(std::string(256, 'c'), &reason));

  EXPECT_EQ(10000u, probe_budget_ms(10000, ""));
  EXPECT_EQ(2500u, probe_budget_ms(10000, "3"));
  EXPECT_EQ(10000u, probe_budget_ms(10000, "30"));
  EXPECT_EQ(500u, probe_budget_ms(10000, "0.2"));
  EXPECT_EQ(10000u, probe_budget_ms(10000, "soon"));

  ProbeSlots slots(2);
  const auto soon = [] { return std::chrono::steady_clock::now() + std::chrono::milliseconds(20); };
  EXPECT_TRUE(slots.acquire(soon()));
  EXPECT_TRUE(slots.acquire(soon()));
  EXPECT_FALSE(slots.acquire(soon()));
  EXPECT_EQ(2u, slots.in_flight());
  EXPECT_FALSE(slots.wait_idle(soon()));
  slots.release();
  EXPECT_TRUE(slots.acquire(soon()));
  slots.release();
  slots.release();
  EXPECT_TRUE(slots.wait_idle(soon()));
}
