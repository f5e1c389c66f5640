#include "reliability/status_snapshot.h"

#include <chrono>
#include <cstring>
#include <functional>

#include "qmr.h"

namespace {

const char *const kStringKeys[] = {"PrinterRomVersion", "SysName", "SysLocation", "NetWareSAPUnitName"};
const char *const kIntegerKeys[] = {"MemorySizeInKByte", "MemorySizeInMByte", "NumberOfInputTray"};
const char *const kTrayKeys[] = {"InputTrayIndex", "InputTrayType", "InputTrayMaxCapacityInSheets",
                                 "InputTrayCurrentLevelInPercent", "InputTrayMediaSize"};
const char *const kBooleanKeys[] = {"Scanner", "Copier", "FAXUnit", "HardDisk", "RamDisk", "DuplexModule",
                                    "InTrayMSI"};
constexpr size_t kOptionText = 256;

template <typename Record>
using CountFn = int32_t (*)(void *, int32_t *);
template <typename Record>
using GetFn = int32_t (*)(void *, uint32_t, Record *);

struct Reader {
  void *h;
  StatusSnapshot *out;

  bool ok(const char *step, int32_t rc) {
    if (rc == QMR_OK) return true;
    out->rc = rc;
    out->failed_step = step;
    return false;
  }

  template <typename Record>
  bool list(const char *name, int32_t (*count_fn)(void *, int32_t *), GetFn<Record> get_fn) {
    int32_t count = 0;
    if (!ok(name, count_fn(h, &count))) return false;
    return copy_out(name, count, get_fn);
  }

  template <typename Record>
  bool copy_out(const std::string &name, int32_t count, GetFn<Record> get_fn) {
    std::string entry = name + ":" + std::to_string(count) + ":";
    for (int32_t i = 0; i < count; ++i) {
      Record record;
      memset(&record, 0, sizeof record);
      if (!ok(name.c_str(), get_fn(h, static_cast<uint32_t>(i), &record))) return false;
      entry.append(reinterpret_cast<const char *>(&record), sizeof record);
    }
    out->lists.push_back(entry);
    return true;
  }

  bool options() {
    if (!ok("QMRRefreshOptions", QMRRefreshOptions(h))) return false;
    for (const char *key : kStringKeys) {
      char text[kOptionText] = {};
      int32_t rc = QMRGetOptionValueString(h, key, 0, text);
      out->options.push_back(std::string(key) + "=" + std::to_string(rc) + ":" + text);
    }
    int32_t trays = 0;
    for (const char *key : kIntegerKeys) {
      int32_t value = 0;
      int32_t rc = QMRGetOptionValueInteger(h, key, 0, &value);
      if (strcmp(key, "NumberOfInputTray") == 0 && rc == QMR_OK) trays = value;
      out->options.push_back(std::string(key) + "=" + std::to_string(rc) + ":" + std::to_string(value));
    }
    for (int32_t tray = 0; tray < trays; ++tray)
      for (const char *key : kTrayKeys) {
        int32_t value = 0;
        int32_t rc = QMRGetOptionValueInteger(h, key, static_cast<uint16_t>(tray), &value);
        out->options.push_back(std::string(key) + "[" + std::to_string(tray) + "]=" + std::to_string(rc) + ":" +
                               std::to_string(value));
      }
    for (const char *key : kBooleanKeys) {
      int16_t flag = -1;
      int32_t rc = QMRGetOptionValueBoolean(h, key, 0, &flag);
      out->options.push_back(std::string(key) + "=" + std::to_string(rc) + ":" + std::to_string(flag));
    }
    return true;
  }
};

int32_t job_count_all(void *h, int32_t *count) { return QMRGetNumberOfJobInfo(h, 0, count); }
int32_t job_count_class(void *h, int32_t *count) { return QMRGetNumberOfJobInfo(h, 2, count); }

}  // namespace

StatusSnapshot read_full_status(void *handle) {
  StatusSnapshot snapshot;
  Reader r{handle, &snapshot};
  if (!r.options()) return snapshot;
  QMRPrinterInfo printer;
  memset(&printer, 0, sizeof printer);
  if (!r.ok("QMRGetPrinterInfo", QMRGetPrinterInfo(handle, &printer))) return snapshot;
  snapshot.lists.push_back("printer:" + std::string(reinterpret_cast<const char *>(&printer), sizeof printer));
  for (uint32_t selector = 0; selector <= 1; ++selector) {
    int32_t value = 0;
    if (!r.ok("QMRGetCharSet", QMRGetCharSet(handle, selector, &value))) return snapshot;
    snapshot.lists.push_back("charset" + std::to_string(selector) + ":" + std::to_string(value));
  }
  r.list<QMRStorageInfo>("storage", QMRGetNumberOfStorageInfo, QMRGetStorageInfo) &&
      r.list<QMRDeviceInfo>("device", QMRGetNumberOfDeviceInfo, QMRGetDeviceInfo) &&
      r.list<QMRInputTrayInfo>("input", QMRGetNumberOfInputTrayInfo, QMRGetInputTrayInfo) &&
      r.list<QMROutputTrayInfo>("output", QMRGetNumberOfOutputTrayInfo, QMRGetOutputTrayInfo) &&
      r.list<QMRTonerInfo>("toner", QMRGetNumberOfTonerInfo, QMRGetTonerInfo) &&
      r.list<QMRAlertInfo>("alert", QMRGetNumberOfAlertInfo, QMRGetAlertInfo) &&
      r.list<QMRJobInfo>("jobs-all", job_count_all, QMRGetJobInfo) &&
      r.list<QMRJobInfo>("jobs-class", job_count_class, QMRGetJobInfo);
  return snapshot;
}

std::vector<CallResult> call_every_read(void *h, const std::function<uint64_t()> &sent_so_far) {
  int32_t count = 0, value = 0;
  QMRPrinterInfo printer;
  const std::vector<std::pair<const char *, std::function<int32_t()>>> calls = {
      {"QMRRefreshOptions", [&] { return QMRRefreshOptions(h); }},
      {"QMRGetPrinterInfo", [&] { return QMRGetPrinterInfo(h, &printer); }},
      {"QMRGetCharSet", [&] { return QMRGetCharSet(h, 0, &value); }},
      {"QMRGetNumberOfStorageInfo", [&] { return QMRGetNumberOfStorageInfo(h, &count); }},
      {"QMRGetNumberOfDeviceInfo", [&] { return QMRGetNumberOfDeviceInfo(h, &count); }},
      {"QMRGetNumberOfInputTrayInfo", [&] { return QMRGetNumberOfInputTrayInfo(h, &count); }},
      {"QMRGetNumberOfOutputTrayInfo", [&] { return QMRGetNumberOfOutputTrayInfo(h, &count); }},
      {"QMRGetNumberOfTonerInfo", [&] { return QMRGetNumberOfTonerInfo(h, &count); }},
      {"QMRGetNumberOfAlertInfo", [&] { return QMRGetNumberOfAlertInfo(h, &count); }},
      {"QMRGetNumberOfJobInfo", [&] { return QMRGetNumberOfJobInfo(h, 0, &count); }},
      {"QMRCancelJob", [&] { return QMRCancelJob(h, "1"); }},
  };
  std::vector<CallResult> results;
  for (const auto &call : calls) {
    uint64_t before = sent_so_far();
    auto start = std::chrono::steady_clock::now();
    int32_t rc = call.second();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    results.push_back({call.first, rc, ms, sent_so_far() - before});
  }
  return results;
}
