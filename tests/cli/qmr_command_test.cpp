// The qmr program against simulated printers: every command with its JSON
// form checked field by field against the C interface, and an error path
// for each.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "cli_runner.h"
#include "printer_lab.h"
#include "qmr.h"

namespace {

constexpr uint32_t kTimeoutMs = 2000;
constexpr uint32_t kRetries = 1;
constexpr int kProtocolIPv4 = 1;
// Short settings for the paths that are meant to time out.
const std::vector<std::string> kQuick = {"--timeout", "400", "--retries", "0"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string> &more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::string text_of(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }
#define LEAF(record, member) json_string_leaf(text_of((record).member, sizeof((record).member)))

// An opened device on its own library handle, for reading what the C
// interface returns.
class Device {
 public:
  explicit Device(const char *address) {
    if (QMRInit(&m_h) == QMR_OK) m_open = QMRInitDevice(m_h, address, kProtocolIPv4, kTimeoutMs, kRetries);
  }
  ~Device() { QMRUnInit(m_h); }
  void *h() const { return m_h; }
  int32_t open_result() const { return m_open; }

  template <typename Record, typename Count, typename Get>
  std::vector<Record> list(Count count_fn, Get get_fn) const {
    int32_t n = 0;
    std::vector<Record> out;
    EXPECT_EQ(QMR_OK, count_fn(m_h, &n));
    for (int32_t i = 0; i < n; ++i) {
      Record r;
      EXPECT_EQ(QMR_OK, get_fn(m_h, static_cast<uint32_t>(i), &r));
      out.push_back(r);
    }
    return out;
  }

 private:
  void *m_h = nullptr;
  int32_t m_open = QMR_E_NO_DEVICE;
};

std::string n(int64_t v) { return std::to_string(v); }

void expect_stamp(const FlatJson &j, const std::string &path, const int16_t s[6]) {
  ASSERT_EQ("[6]", j.at(path)) << path;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(n(s[i]), j.at(path + "." + n(i))) << path;
}

void expect_job(const FlatJson &j, const std::string &p, const QMRJobInfo &r) {
  EXPECT_EQ(LEAF(r, jobId), j.at(p + "jobId"));
  EXPECT_EQ(n(r.jobType), j.at(p + "jobType"));
  EXPECT_EQ(n(r.jobClass), j.at(p + "jobClass"));
  EXPECT_EQ(n(r.jobValue2), j.at(p + "jobValue2"));
  EXPECT_EQ(n(r.unsignedValue1), j.at(p + "unsignedValue1"));
  EXPECT_EQ(n(r.unsignedValue2), j.at(p + "unsignedValue2"));
  EXPECT_EQ(LEAF(r, lookupText1), j.at(p + "lookupText1"));
  EXPECT_EQ(LEAF(r, lookupText2), j.at(p + "lookupText2"));
  EXPECT_EQ(LEAF(r, lookupText3), j.at(p + "lookupText3"));
  EXPECT_EQ(LEAF(r, jobText), j.at(p + "jobText"));
  expect_stamp(j, p + "timeStamp1", r.timeStamp1);
  expect_stamp(j, p + "timeStamp2", r.timeStamp2);
  expect_stamp(j, p + "timeStamp3", r.timeStamp3);
}

// Every record of every list the C interface returns must be in the JSON.
void expect_status_matches_interface(const char *address) {
  SCOPED_TRACE(address);
  const RunResult run = run_qmr({"status", address, "--json"});
  ASSERT_EQ(0, run.status) << run.err;
  const FlatJson j = flatten_json(run.out);
  ASSERT_FALSE(j.empty()) << "not one JSON document:\n" << run.out;
  EXPECT_EQ("[0]", j.at("errors"));
  EXPECT_EQ(json_string_leaf(address), j.at("address"));

  Device d(address);
  ASSERT_EQ(QMR_OK, d.open_result());

  QMRPrinterInfo printer;
  ASSERT_EQ(QMR_OK, QMRGetPrinterInfo(d.h(), &printer));
  EXPECT_EQ(n(printer.printerStatus), j.at("printer.printerStatus"));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(n(printer.detectedErrorState[i]), j.at("printer.detectedErrorState." + n(i)));

  const auto devices = d.list<QMRDeviceInfo>(QMRGetNumberOfDeviceInfo, QMRGetDeviceInfo);
  ASSERT_EQ("[" + n(devices.size()) + "]", j.at("devices"));
  for (size_t i = 0; i < devices.size(); ++i) {
    const std::string p = "devices." + n(i) + ".";
    EXPECT_EQ(n(devices[i].deviceType), j.at(p + "deviceType"));
    EXPECT_EQ(n(devices[i].deviceStatus), j.at(p + "deviceStatus"));
    EXPECT_EQ(LEAF(devices[i], description), j.at(p + "description"));
  }

  const auto storage = d.list<QMRStorageInfo>(QMRGetNumberOfStorageInfo, QMRGetStorageInfo);
  ASSERT_EQ("[" + n(storage.size()) + "]", j.at("storage"));
  for (size_t i = 0; i < storage.size(); ++i) {
    const std::string p = "storage." + n(i) + ".";
    EXPECT_EQ(n(storage[i].storageType), j.at(p + "storageType"));
    EXPECT_EQ(n(storage[i].allocationUnits), j.at(p + "allocationUnits"));
    EXPECT_EQ(n(storage[i].size), j.at(p + "size"));
    EXPECT_EQ(LEAF(storage[i], description), j.at(p + "description"));
  }

  const auto inputs = d.list<QMRInputTrayInfo>(QMRGetNumberOfInputTrayInfo, QMRGetInputTrayInfo);
  ASSERT_EQ("[" + n(inputs.size()) + "]", j.at("inputTrays"));
  for (size_t i = 0; i < inputs.size(); ++i) {
    const QMRInputTrayInfo &t = inputs[i];
    const std::string p = "inputTrays." + n(i) + ".";
    EXPECT_EQ(n(t.inputType), j.at(p + "inputType"));
    EXPECT_EQ(n(t.dimensionUnit), j.at(p + "dimensionUnit"));
    EXPECT_EQ(n(t.declaredFeedDimension), j.at(p + "declaredFeedDimension"));
    EXPECT_EQ(n(t.declaredCrossFeedDimension), j.at(p + "declaredCrossFeedDimension"));
    EXPECT_EQ(n(t.chosenFeedDimension), j.at(p + "chosenFeedDimension"));
    EXPECT_EQ(n(t.chosenCrossFeedDimension), j.at(p + "chosenCrossFeedDimension"));
    EXPECT_EQ(n(t.capacityUnit), j.at(p + "capacityUnit"));
    EXPECT_EQ(n(t.maxCapacity), j.at(p + "maxCapacity"));
    EXPECT_EQ(n(t.currentLevel), j.at(p + "currentLevel"));
    EXPECT_EQ(n(t.status), j.at(p + "status"));
    EXPECT_EQ(LEAF(t, mediaName), j.at(p + "mediaName"));
    EXPECT_EQ(LEAF(t, inputName), j.at(p + "inputName"));
    EXPECT_EQ(LEAF(t, description), j.at(p + "description"));
    EXPECT_EQ(LEAF(t, mediaType), j.at(p + "mediaType"));
    EXPECT_EQ(LEAF(t, mediaColour), j.at(p + "mediaColour"));
  }

  const auto outputs = d.list<QMROutputTrayInfo>(QMRGetNumberOfOutputTrayInfo, QMRGetOutputTrayInfo);
  ASSERT_EQ("[" + n(outputs.size()) + "]", j.at("outputTrays"));
  for (size_t i = 0; i < outputs.size(); ++i) {
    const std::string p = "outputTrays." + n(i) + ".";
    EXPECT_EQ(n(outputs[i].outputType), j.at(p + "outputType"));
    EXPECT_EQ(n(outputs[i].status), j.at(p + "status"));
    EXPECT_EQ(LEAF(outputs[i], name), j.at(p + "name"));
    EXPECT_EQ(LEAF(outputs[i], description), j.at(p + "description"));
  }

  const auto supplies = d.list<QMRTonerInfo>(QMRGetNumberOfTonerInfo, QMRGetTonerInfo);
  ASSERT_EQ("[" + n(supplies.size()) + "]", j.at("supplies"));
  for (size_t i = 0; i < supplies.size(); ++i) {
    const std::string p = "supplies." + n(i) + ".";
    EXPECT_EQ(n(supplies[i].supplyUnit), j.at(p + "supplyUnit"));
    EXPECT_EQ(n(supplies[i].maxCapacity), j.at(p + "maxCapacity"));
    EXPECT_EQ(n(supplies[i].level), j.at(p + "level"));
    EXPECT_EQ(LEAF(supplies[i], description), j.at(p + "description"));
  }

  const auto alerts = d.list<QMRAlertInfo>(QMRGetNumberOfAlertInfo, QMRGetAlertInfo);
  ASSERT_EQ("[" + n(alerts.size()) + "]", j.at("alerts"));
  for (size_t i = 0; i < alerts.size(); ++i) {
    const std::string p = "alerts." + n(i) + ".";
    EXPECT_EQ(n(alerts[i].severityLevel), j.at(p + "severityLevel"));
    EXPECT_EQ(n(alerts[i].group), j.at(p + "group"));
    EXPECT_EQ(n(alerts[i].groupIndex), j.at(p + "groupIndex"));
    EXPECT_EQ(n(alerts[i].location), j.at(p + "location"));
    EXPECT_EQ(n(alerts[i].code), j.at(p + "code"));
    EXPECT_EQ(LEAF(alerts[i], description), j.at(p + "description"));
  }

  auto all_jobs = [](void *h, int32_t *count) { return QMRGetNumberOfJobInfo(h, 0, count); };
  const auto jobs = d.list<QMRJobInfo>(all_jobs, QMRGetJobInfo);
  ASSERT_EQ("[" + n(jobs.size()) + "]", j.at("jobs"));
  for (size_t i = 0; i < jobs.size(); ++i) expect_job(j, "jobs." + n(i) + ".", jobs[i]);

  // The printer data is not empty, or the comparison above proves little.
  EXPECT_GE(inputs.size(), 4u);
  EXPECT_GE(supplies.size(), 3u);
  EXPECT_GE(alerts.size(), 2u);
  EXPECT_GE(jobs.size(), 3u);
}

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

}  // namespace

class QmrCommandTest : public PrinterLabSuite {
 protected:
  static void SetUpTestSuite() {
    start_lab({{kAddr7300, "vellumcraft-7300.snmprec"},
               {kAddr7300P, "vellumcraft-7300p.snmprec"},
               {kAddrForeign, "inkwell-400.snmprec"},
               {kAddrBadJob, "vellumcraft-7300-badjob.snmprec"}});
  }
};

TEST_F(QmrCommandTest, StatusJsonHoldsEveryRecordOfTheInterface) {
  expect_status_matches_interface(kAddr7300);
  expect_status_matches_interface(kAddr7300P);
}

// Bulk walks (the printer opened as SNMPv2c) report exactly what the
// row-by-row reads report.
TEST_F(QmrCommandTest, BulkReadsReportWhatRowByRowReadsReport) {
  for (const char *address : {kAddr7300, kAddr7300P}) {
    for (const char *command : {"status", "options"}) {
      SCOPED_TRACE(std::string(command) + " " + address);
      const RunResult rows = run_qmr({command, address, "--json"});
      const RunResult bulk = run_qmr({command, address, "--json", "--bulk"});
      ASSERT_EQ(0, rows.status) << rows.err;
      EXPECT_EQ(0, bulk.status) << bulk.err;
      EXPECT_EQ(rows.out, bulk.out);
    }
  }
  EXPECT_NE(0, run_qmr({"status", kAddr7300, "--bulk=yes"}).status);
}

TEST_F(QmrCommandTest, StatusJsonNamesModelMediaAndLevels) {
  const RunResult run = run_qmr({"status", kAddr7300P, "--json"});
  ASSERT_EQ(0, run.status) << run.err;
  const FlatJson j = flatten_json(run.out);
  ASSERT_FALSE(j.empty());
  EXPECT_EQ(json_string_leaf("Vellumcraft 7300P"), j.at("model"));
  EXPECT_EQ(json_string_leaf("vc7300p-print-room"), j.at("system.sysName"));
  EXPECT_EQ(json_string_leaf("printing"), j.at("printer.printerStatusName"));
  EXPECT_EQ(json_string_leaf("jammed"), j.at("printer.detectedErrors.0"));
  // Letter, Legal, Ledger, Envelope #10 and A4 by the option table's codes.
  EXPECT_EQ("1", j.at("inputTrays.0.mediaSizeCode"));
  EXPECT_EQ(json_string_leaf("Legal"), j.at("inputTrays.1.mediaSizeName"));
  EXPECT_EQ(json_string_leaf("Ledger"), j.at("inputTrays.2.mediaSizeName"));
  EXPECT_EQ(json_string_leaf("Envelope #10"), j.at("inputTrays.3.mediaSizeName"));
  EXPECT_EQ(json_string_leaf("A4"), j.at("inputTrays.4.mediaSizeName"));
  EXPECT_EQ("75", j.at("inputTrays.0.levelPercent"));  // 1120 of 1500 sheets
  EXPECT_EQ("0", j.at("inputTrays.1.levelPercent"));
  EXPECT_EQ("9", j.at("supplies.0.levelPercent"));  // 1080 of 12000
  // A document name with a quote and a dash outside ASCII survives escaping.
  EXPECT_EQ(json_string_leaf("Contract 4471 \u2013 \"signed\" copy"), j.at("jobs.2.lookupText2"));
}

TEST_F(QmrCommandTest, StatusTextAndItsFailures) {
  const RunResult run = run_qmr({"status", kAddr7300});
  ASSERT_EQ(0, run.status) << run.err;
  const std::string title = std::string("Printer ") + kAddr7300 + "  Vellumcraft 7300";
  for (const char *part : {title.c_str(), "idle - lowToner", "A4 (210 x 297 mm)",
                           "[###############.....]  75%", "Magenta toner is low", "JOB00041", "some left"}) {
    EXPECT_TRUE(contains(run.out, part)) << part << "\n" << run.out;
  }

  const RunResult foreign = run_qmr({"status", kAddrForeign});
  EXPECT_EQ(1, foreign.status);
  EXPECT_TRUE(contains(foreign.err, "error -2 (invalid argument or unsupported model)")) << foreign.err;
  EXPECT_TRUE(foreign.out.empty()) << foreign.out;

  const RunResult silent = run_qmr(with({"status", kAddrSilent, "--json"}, kQuick));
  EXPECT_EQ(1, silent.status);
  EXPECT_TRUE(contains(silent.err, "error -203 (no response from the device (time-out))")) << silent.err;
  const FlatJson j = flatten_json(silent.out);
  ASSERT_FALSE(j.empty()) << silent.out;
  EXPECT_EQ("-203", j.at("error.code"));

  const RunResult unknown = run_qmr({"status", "no-such-printer.invalid"});
  EXPECT_EQ(1, unknown.status);
  EXPECT_TRUE(contains(unknown.err, "resolve host name no-such-printer.invalid")) << unknown.err;
}

TEST_F(QmrCommandTest, StatusReportsWhatItCouldReadWhenASectionFails) {
  const RunResult run = run_qmr({"status", kAddrBadJob, "--json"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, "warning: jobs could not be read: error -")) << run.err;
  const FlatJson j = flatten_json(run.out);
  ASSERT_FALSE(j.empty()) << run.out;
  EXPECT_EQ("[1]", j.at("errors"));
  EXPECT_EQ(json_string_leaf("jobs"), j.at("errors.0.section"));
  EXPECT_NE("0", j.at("errors.0.code"));
  EXPECT_EQ("[4]", j.at("inputTrays"));
  EXPECT_EQ(json_string_leaf("Vellumcraft 7300"), j.at("model"));

  const RunResult text = run_qmr({"status", kAddrBadJob});
  EXPECT_EQ(1, text.status);
  EXPECT_TRUE(contains(text.out, "Magenta toner is low")) << text.out;
}

TEST_F(QmrCommandTest, HostNamesAreResolvedBeforeOpening) {
  // "localhost" is opened as its numeric address (whatever answers there).
  const RunResult run = run_qmr(with({"charset", "localhost"}, kQuick));
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, "open 127.0.0.1: error -")) << run.err;
  const RunResult v6 = run_qmr(with({"charset", "localhost", "--protocol", "ipv6"}, kQuick));
  EXPECT_NE(0, v6.status);
  EXPECT_FALSE(contains(v6.err, "open 127.0.0.1")) << v6.err;
}

TEST_F(QmrCommandTest, DiscoverKeepsSupportedModelsAndFilters) {
  RunResult run = run_qmr(with({"discover", "--dest", kAddr7300P, "--json"}, kQuick));
  ASSERT_EQ(0, run.status) << run.err;
  FlatJson j = flatten_json(run.out);
  ASSERT_FALSE(j.empty()) << run.out;
  ASSERT_EQ("1", j.at("count"));
  EXPECT_EQ(json_string_leaf(kAddr7300P), j.at("devices.0.address"));
  EXPECT_EQ(json_string_leaf("Vellumcraft 7300P"), j.at("devices.0.model"));
  EXPECT_EQ(json_string_leaf(kOid7300P), j.at("devices.0.sysObjectId"));

  run = run_qmr(with({"discover", "--dest", kAddr7300}, kQuick));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(contains(run.out, "Found 1 printer")) << run.out;
  EXPECT_TRUE(contains(run.out, "Vellumcraft 7300 ")) << run.out;

  // The unsupported model and a filter for the other model record nothing.
  run = run_qmr(with({"discover", "--dest", kAddrForeign, "--json"}, kQuick));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("0", flatten_json(run.out).at("count"));
  run = run_qmr(with({"discover", "--dest", kAddr7300, "--filter", kOid7300P, "--json"}, kQuick));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("0", flatten_json(run.out).at("count"));

  // An IPv4 destination asked for as IPv6, and IPX without a destination.
  run = run_qmr(with({"discover", "--dest", kAddr7300, "--protocol", "ipv6"}, kQuick));
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, "error -2 ")) << run.err;
  run = run_qmr(with({"discover", "--protocol", "ipx", "--json"}, kQuick));
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("-2", flatten_json(run.out).at("error.code"));
}

TEST_F(QmrCommandTest, OptionsMatchTheInterface) {
  const RunResult run = run_qmr({"options", kAddr7300, "--json"});
  ASSERT_EQ(0, run.status) << run.err;
  const FlatJson j = flatten_json(run.out);
  ASSERT_FALSE(j.empty()) << run.out;

  Device d(kAddr7300);
  ASSERT_EQ(QMR_OK, d.open_result());
  ASSERT_EQ(QMR_OK, QMRRefreshOptions(d.h()));
  for (const char *key : {"Scanner", "Copier", "FAXUnit", "HardDisk", "RamDisk", "DuplexModule", "InTrayMSI"}) {
    int16_t v = -1;
    ASSERT_EQ(QMR_OK, QMRGetOptionValueBoolean(d.h(), key, 0, &v));
    EXPECT_EQ(v ? "true" : "false", j.at(std::string("options.") + key)) << key;
  }
  int32_t trays = 0;
  ASSERT_EQ(QMR_OK, QMRGetOptionValueInteger(d.h(), "NumberOfInputTray", 0, &trays));
  ASSERT_EQ("[" + n(trays) + "]", j.at("inputTrays"));
  for (int32_t i = 0; i < trays; ++i) {
    for (const char *key : {"InputTrayType", "InputTrayCurrentLevelInPercent", "InputTrayMediaSize"}) {
      int32_t v = 0;
      ASSERT_EQ(QMR_OK, QMRGetOptionValueInteger(d.h(), key, static_cast<uint16_t>(i), &v));
      EXPECT_EQ(n(v), j.at("inputTrays." + n(i) + "." + key)) << key;
    }
    char name[256];
    ASSERT_EQ(QMR_OK, QMRGetOptionValueString(d.h(), "InputTrayName", static_cast<uint16_t>(i), name));
    EXPECT_EQ(json_string_leaf(name), j.at("inputTrays." + n(i) + ".InputTrayName"));
  }
  char rom[256];
  ASSERT_EQ(QMR_OK, QMRGetOptionValueString(d.h(), "PrinterRomVersion", 0, rom));
  EXPECT_EQ(json_string_leaf(rom), j.at("options.PrinterRomVersion"));
  EXPECT_EQ("1024", j.at("options.MemorySizeInMByte"));

  const RunResult text = run_qmr({"options", kAddr7300});
  ASSERT_EQ(0, text.status);
  EXPECT_TRUE(contains(text.out, "InputTrayMediaSize               25 (A4)")) << text.out;

  const RunResult foreign = run_qmr({"options", kAddrForeign});
  EXPECT_EQ(1, foreign.status);
  EXPECT_TRUE(contains(foreign.err, "error -2 ")) << foreign.err;
}

TEST_F(QmrCommandTest, JobsByClass) {
  const struct {
    const char *klass;
    std::vector<const char *> ids;
  } cases[] = {{"all", {"JOB00041", "JOB00042", "JOB00043", "JOB00037", "JOB00039"}},
               {"1", {"JOB00041", "JOB00042", "JOB00043"}},
               {"2", {"JOB00037", "JOB00039"}}};
  for (const auto &c : cases) {
    const RunResult run = run_qmr({"jobs", kAddr7300, "--class", c.klass, "--json"});
    ASSERT_EQ(0, run.status) << run.err;
    const FlatJson j = flatten_json(run.out);
    ASSERT_EQ("[" + n(c.ids.size()) + "]", j.at("jobs")) << c.klass;
    for (size_t i = 0; i < c.ids.size(); ++i)
      EXPECT_EQ(json_string_leaf(c.ids[i]), j.at("jobs." + n(i) + ".jobId")) << c.klass;
  }

  // Field by field for one class.
  Device d(kAddr7300);
  ASSERT_EQ(QMR_OK, d.open_result());
  auto class17 = [](void *h, int32_t *count) { return QMRGetNumberOfJobInfo(h, 2, count); };
  const auto jobs = d.list<QMRJobInfo>(class17, QMRGetJobInfo);
  const FlatJson j = flatten_json(run_qmr({"jobs", kAddr7300, "--class", "2", "--json"}).out);
  ASSERT_EQ(2u, jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) expect_job(j, "jobs." + n(i) + ".", jobs[i]);

  const RunResult text = run_qmr({"jobs", kAddr7300, "--class", "1"});
  EXPECT_TRUE(contains(text.out, std::string("Jobs of ") + kAddr7300 + " (class 1): 3")) << text.out;
  EXPECT_TRUE(contains(text.out, "Quarterly report.pdf")) << text.out;

  const RunResult bad_class = run_qmr({"jobs", kAddr7300, "--class", "3"});
  EXPECT_EQ(2, bad_class.status);
  const RunResult silent = run_qmr(with({"jobs", kAddrSilent}, kQuick));
  EXPECT_EQ(1, silent.status);
  EXPECT_TRUE(contains(silent.err, "error -203 ")) << silent.err;
}

TEST_F(QmrCommandTest, CancelAcceptsKnownJobsOnly) {
  RunResult run = run_qmr({"cancel", kAddr7300P, "JOB00312", "--json"});
  ASSERT_EQ(0, run.status) << run.err;
  FlatJson j = flatten_json(run.out);
  EXPECT_EQ("true", j.at("cancelled"));
  EXPECT_EQ(json_string_leaf("JOB00312"), j.at("jobId"));

  run = run_qmr({"cancel", kAddr7300P, "JOB00999"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, "cancel job JOB00999: error -")) << run.err;

  // An agent that does not know the write community stays silent.
  run = run_qmr(with({"cancel", kAddr7300P, "JOB00312", "--write-community", "nobody"}, kQuick));
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, "error -203 ")) << run.err;
}

TEST_F(QmrCommandTest, CharsetMatchesTheInterface) {
  const RunResult run = run_qmr({"charset", kAddr7300, "--json"});
  ASSERT_EQ(0, run.status) << run.err;
  const FlatJson j = flatten_json(run.out);
  Device d(kAddr7300);
  ASSERT_EQ(QMR_OK, d.open_result());
  int32_t standard = 0, vendor = 0;
  ASSERT_EQ(QMR_OK, QMRGetCharSet(d.h(), 0, &standard));
  ASSERT_EQ(QMR_OK, QMRGetCharSet(d.h(), 1, &vendor));
  EXPECT_EQ(n(standard), j.at("standard.value"));
  EXPECT_EQ(n(vendor), j.at("private.value"));
  EXPECT_EQ(json_string_leaf("UTF-8"), j.at("standard.name"));

  const RunResult text = run_qmr({"charset", kAddr7300});
  EXPECT_TRUE(contains(text.out, "106  UTF-8")) << text.out;

  const RunResult silent = run_qmr(with({"charset", kAddrSilent, "--community", "x"}, kQuick));
  EXPECT_EQ(1, silent.status);
  EXPECT_TRUE(contains(silent.err, "error -203 ")) << silent.err;
  const RunResult wrong = run_qmr(with({"charset", kAddr7300, "--community", "nobody"}, kQuick));
  EXPECT_EQ(1, wrong.status);
}

TEST_F(QmrCommandTest, SecurityOptionsSelectSnmpV3) {
  // snmpsimd knows no such user: the request fails through the SNMPv3 path
  // instead of being sent as a community request.
  const RunResult run = run_qmr(with({"charset", kAddr7300, "--user", "nobody", "--level", "auth", "--auth-proto",
                                      "sha", "--auth-pass", "not-the-pass-phrase"},
                                     kQuick));
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, std::string("open ") + kAddr7300 + ": error -")) << run.err;
}

TEST_F(QmrCommandTest, TraceGoesToStderrOrAFile) {
  RunResult run = run_qmr({"charset", kAddr7300, "--json", "--trace", "all"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_FALSE(flatten_json(run.out).empty()) << "trace lines must not reach stdout:\n" << run.out;
  EXPECT_TRUE(contains(run.err, "RequestSession::send_sync")) << run.err;

  run = run_qmr({"charset", kAddr7300, "--trace", "error"});
  EXPECT_FALSE(contains(run.err, "send_sync")) << "trace level not applied:\n" << run.err;

  char path[] = "/tmp/qmr-cli-trace-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  run = run_qmr({"charset", kAddr7300, "--trace", "trace", "--trace-file", path});
  ASSERT_EQ(0, run.status) << run.err;
  std::ifstream in(path);
  const std::string logged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(contains(logged, "RequestSession::send_sync")) << logged;
  EXPECT_FALSE(contains(run.err, "send_sync"));
  unlink(path);
  std::remove((std::string(path) + ".bak").c_str());
}

TEST(QmrUsageTest, HelpForEveryCommandAndUsageErrors) {
  for (const char *command : {"discover", "status", "options", "jobs", "cancel", "charset"}) {
    const RunResult run = run_qmr({command, "--help"});
    EXPECT_EQ(0, run.status) << command;
    EXPECT_TRUE(contains(run.out, std::string("Usage: qmr ") + command)) << run.out;
    EXPECT_TRUE(contains(run.out, "--json")) << command;
  }
  const RunResult top = run_qmr({"--help"});
  EXPECT_EQ(0, top.status);
  EXPECT_TRUE(contains(top.out, "cancel ADDRESS JOBID")) << top.out;

  const std::vector<std::vector<std::string>> usage_errors = {
      {},
      {"print"},
      {"status"},
      {"status", "10.0.0.1", "extra"},
      {"cancel", "10.0.0.1"},
      {"status", "10.0.0.1", "--colour"},
      {"status", "10.0.0.1", "--timeout", "soon"},
      {"status", "10.0.0.1", "--filter", "1.3.6"},
      {"discover", "--protocol", "appletalk"},
      {"status", "10.0.0.1", "--auth-pass", "secret"},
      {"status", "10.0.0.1", "--user", "u", "--level", "4"},
      {"status", "10.0.0.1", "--trace", "loud"},
      {"status", "10.0.0.1", "--trace-file", "/tmp/x"},
      {"status", "10.0.0.1", "--json=yes"},
  };
  for (const auto &args : usage_errors) {
    const RunResult run = run_qmr(args);
    std::string joined;
    for (const auto &a : args) joined += a + " ";
    EXPECT_EQ(2, run.status) << joined;
    EXPECT_TRUE(contains(run.err, "qmr: ")) << joined << run.err;
    EXPECT_TRUE(run.out.empty()) << joined;
  }
}
