// Reads every record of one simulated printer through the exported
// functions of the library, loaded and bound at run time as a host does:
// LoadLibraryA and GetProcAddress on Windows, dlopen and dlsym elsewhere.
// The records are printed byte by byte, so the output of the Windows and
// the Linux build can be compared whole.
//
//   records_dump LIBRARY ADDRESS COMMUNITY...   (IPv4 or IPv6 address)
//   records_dump LIBRARY ADDRESS --v3 USER LEVEL AUTH PRIV AUTHPASS PRIVPASS [THREADS]
//   records_dump LIBRARY ADDRESS --v3-find USER LEVEL AUTH PRIV AUTHPASS PRIVPASS
// --v3 reads the printer over SNMPv3 (security selector 2; LEVEL, AUTH and
// PRIV are the block's codes), on THREADS threads at once, each with its
// own handle, and prints one read when all threads read the same; it also
// tries to cancel the first job. --v3-find runs SNMPv3 discovery towards
// ADDRESS and prints what it found.
// Exit status: 0 when every printer was opened and read (or found).
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "qmr.h"

namespace {

void *open_library(const char *name) {
#if defined(_WIN32)
  return reinterpret_cast<void *>(LoadLibraryA(name));
#else
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
#endif
}

void *entry(void *library, const char *name) {
#if defined(_WIN32)
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

struct Api {
  decltype(&QMRInit) init;
  decltype(&QMRUnInit) uninit;
  decltype(&QMRCommandString) command;
  decltype(&QMRInitDevice) init_device;
  decltype(&QMRGetNumberOfStorageInfo) storage_count;
  decltype(&QMRGetStorageInfo) storage;
  decltype(&QMRGetNumberOfDeviceInfo) device_count;
  decltype(&QMRGetDeviceInfo) device;
  decltype(&QMRGetPrinterInfo) printer;
  decltype(&QMRGetNumberOfInputTrayInfo) input_count;
  decltype(&QMRGetInputTrayInfo) input;
  decltype(&QMRGetNumberOfOutputTrayInfo) output_count;
  decltype(&QMRGetOutputTrayInfo) output;
  decltype(&QMRGetNumberOfTonerInfo) toner_count;
  decltype(&QMRGetTonerInfo) toner;
  decltype(&QMRGetNumberOfAlertInfo) alert_count;
  decltype(&QMRGetAlertInfo) alert;
  decltype(&QMRGetNumberOfJobInfo) job_count;
  decltype(&QMRGetJobInfo) job;
  decltype(&QMRGetCharSet) char_set;
  decltype(&QMRInitDeviceEx) init_device_ex;
  decltype(&QMRCancelJob) cancel_job;
  decltype(&QMRFindDeviceSNMPEx) find_ex;
  decltype(&QMRGetDeviceNext) device_next;
};

template <typename Fn>
bool bind(void *library, const char *name, Fn *out) {
  *out = reinterpret_cast<Fn>(entry(library, name));
  if (*out == nullptr) std::fprintf(stderr, "missing export %s\n", name);
  return *out != nullptr;
}

bool bind_all(void *library, Api *api) {
  bool ok = true;
  ok &= bind(library, "QMRInit", &api->init);
  ok &= bind(library, "QMRUnInit", &api->uninit);
  ok &= bind(library, "QMRCommandString", &api->command);
  ok &= bind(library, "QMRInitDevice", &api->init_device);
  ok &= bind(library, "QMRGetNumberOfStorageInfo", &api->storage_count);
  ok &= bind(library, "QMRGetStorageInfo", &api->storage);
  ok &= bind(library, "QMRGetNumberOfDeviceInfo", &api->device_count);
  ok &= bind(library, "QMRGetDeviceInfo", &api->device);
  ok &= bind(library, "QMRGetPrinterInfo", &api->printer);
  ok &= bind(library, "QMRGetNumberOfInputTrayInfo", &api->input_count);
  ok &= bind(library, "QMRGetInputTrayInfo", &api->input);
  ok &= bind(library, "QMRGetNumberOfOutputTrayInfo", &api->output_count);
  ok &= bind(library, "QMRGetOutputTrayInfo", &api->output);
  ok &= bind(library, "QMRGetNumberOfTonerInfo", &api->toner_count);
  ok &= bind(library, "QMRGetTonerInfo", &api->toner);
  ok &= bind(library, "QMRGetNumberOfAlertInfo", &api->alert_count);
  ok &= bind(library, "QMRGetAlertInfo", &api->alert);
  ok &= bind(library, "QMRGetNumberOfJobInfo", &api->job_count);
  ok &= bind(library, "QMRGetJobInfo", &api->job);
  ok &= bind(library, "QMRGetCharSet", &api->char_set);
  ok &= bind(library, "QMRInitDeviceEx", &api->init_device_ex);
  ok &= bind(library, "QMRCancelJob", &api->cancel_job);
  ok &= bind(library, "QMRFindDeviceSNMPEx", &api->find_ex);
  ok &= bind(library, "QMRGetDeviceNext", &api->device_next);
  return ok;
}

// Output goes to a text per read, so that reads on several threads can be
// compared before anything is printed.
void print(std::string &out, const char *format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out += line;
}

void print_bytes(std::string &out, const char *what, int index, const void *record, size_t size) {
  print(out, "%s[%d]", what, index);
  const auto *b = static_cast<const unsigned char *>(record);
  for (size_t i = 0; i < size; ++i) print(out, "%s%02x", i % 32 == 0 ? "\n  " : "", b[i]);
  print(out, "\n");
}

// A counted list: its count, then each record. False when a call fails.
template <typename Record, typename CountFn, typename GetFn>
bool dump_list(std::string &out, const char *what, void *h, CountFn count_fn, GetFn get_fn,
               Record *first = nullptr) {
  int32_t count = -1;
  int32_t rc = count_fn(h, &count);
  print(out, "%s count rc=%d count=%d\n", what, rc, count);
  if (rc != QMR_OK) return false;
  for (int32_t i = 0; i < count; ++i) {
    Record record;
    std::memset(&record, 0, sizeof record);
    rc = get_fn(h, static_cast<uint32_t>(i), &record);
    if (rc != QMR_OK) {
      print(out, "%s[%d] rc=%d\n", what, i, rc);
      return false;
    }
    if (i == 0 && first != nullptr) *first = record;
    print_bytes(out, what, i, &record, sizeof record);
  }
  return true;
}

// Every record of the device open on `h`; with `cancel`, then a cancel of
// the first job of the first list.
bool dump_records(std::string &out, const Api &api, void *h, bool cancel) {
  bool ok = dump_list<QMRStorageInfo>(out, "storage", h, api.storage_count, api.storage);
  ok &= dump_list<QMRDeviceInfo>(out, "device", h, api.device_count, api.device);
  QMRPrinterInfo printer;
  std::memset(&printer, 0, sizeof printer);
  int32_t rc = api.printer(h, &printer);
  print(out, "printer rc=%d\n", rc);
  if (rc == QMR_OK) print_bytes(out, "printer", 0, &printer, sizeof printer);
  ok &= dump_list<QMRInputTrayInfo>(out, "input_tray", h, api.input_count, api.input);
  ok &= dump_list<QMROutputTrayInfo>(out, "output_tray", h, api.output_count, api.output);
  ok &= dump_list<QMRTonerInfo>(out, "toner", h, api.toner_count, api.toner);
  ok &= dump_list<QMRAlertInfo>(out, "alert", h, api.alert_count, api.alert);
  QMRJobInfo first_job;
  std::memset(&first_job, 0, sizeof first_job);
  for (uint32_t selector = 0; selector <= 2; ++selector) {
    std::string what = "job" + std::to_string(selector);
    ok &= dump_list<QMRJobInfo>(out, what.c_str(), h,
                                [&](void *handle, int32_t *count) { return api.job_count(handle, selector, count); },
                                api.job, selector == 0 ? &first_job : nullptr);
  }
  for (uint32_t selector = 0; selector <= 1; ++selector) {
    int32_t value = -1;
    rc = api.char_set(h, selector, &value);
    print(out, "char_set%u rc=%d value=%d\n", selector, rc, value);
  }
  if (cancel && first_job.jobId[0] != '\0') print(out, "cancel rc=%d\n", api.cancel_job(h, first_job.jobId));
  return ok;
}

// The interface numbers IPv4 1 and IPv6 5.
int32_t protocol_of(const char *address) { return std::strchr(address, ':') != nullptr ? 5 : 1; }

bool dump_printer(std::string &out, const Api &api, const char *address, const char *community) {
  void *h = nullptr;
  if (api.init(&h) != QMR_OK || h == nullptr) return false;
  bool ok = api.command(h, "CmdSetCommunityGetOption", community) == QMR_OK;
  int32_t rc = ok ? api.init_device(h, address, protocol_of(address), 2000, 2) : QMR_E_FAILED;
  print(out, "== %s init_device rc=%d\n", community, rc);
  ok = ok && rc == QMR_OK && dump_records(out, api, h, false);
  api.uninit(h);
  return ok;
}

// USER LEVEL AUTH PRIV AUTHPASS PRIVPASS as a security block.
QMRSecurityBlock security_block(char **arg) {
  QMRSecurityBlock block;
  std::memset(&block, 0, sizeof block);
  std::snprintf(block.userName, sizeof block.userName, "%s", arg[0]);
  block.choice1 = std::atoi(arg[1]);
  block.choice2 = std::atoi(arg[2]);
  block.choice3 = std::atoi(arg[3]);
  std::snprintf(block.passPhrase1, sizeof block.passPhrase1, "%s", arg[4]);
  std::snprintf(block.passPhrase2, sizeof block.passPhrase2, "%s", arg[5]);
  return block;
}

constexpr int32_t kSelectorSnmpV3 = 2;

bool dump_printer_v3(std::string &out, const Api &api, const char *address, const QMRSecurityBlock &block) {
  void *h = nullptr;
  if (api.init(&h) != QMR_OK || h == nullptr) return false;
  const int32_t rc = api.init_device_ex(h, address, protocol_of(address), kSelectorSnmpV3, &block, 2000, 1);
  print(out, "== v3 %s init_device rc=%d\n", block.userName, rc);
  const bool ok = rc == QMR_OK && dump_records(out, api, h, true);
  api.uninit(h);
  return ok;
}

bool find_v3(std::string &out, const Api &api, const char *address, const QMRSecurityBlock &block) {
  void *h = nullptr;
  if (api.init(&h) != QMR_OK || h == nullptr) return false;
  int32_t found = -1;
  const int32_t rc = api.find_ex(h, address, protocol_of(address), kSelectorSnmpV3, &block, 2000, 1, &found);
  print(out, "== v3 find rc=%d found=%d\n", rc, found);
  char where[64], model[64], zero[64], oid[64];
  while (api.device_next(h, where, model, zero, oid) == 1) print(out, "device %s %s %s\n", where, model, oid);
  api.uninit(h);
  return rc == QMR_OK && found > 0;
}

}  // namespace

int main(int argc, char **argv) {
  const bool v3 = argc >= 4 && std::strcmp(argv[3], "--v3") == 0;
  const bool v3_find = argc >= 4 && std::strcmp(argv[3], "--v3-find") == 0;
  if (argc < 4 || ((v3 || v3_find) && argc < 10)) {
    std::fprintf(stderr, "usage: %s LIBRARY ADDRESS COMMUNITY... | --v3[-find] USER LEVEL AUTH PRIV AUTHPASS PRIVPASS\n",
                 argv[0]);
    return 2;
  }
  void *library = open_library(argv[1]);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  Api api{};
  if (!bind_all(library, &api)) return 1;
  bool ok = true;
  std::string out;
  if (v3_find) {
    ok = find_v3(out, api, argv[2], security_block(argv + 4));
  } else if (v3) {
    const QMRSecurityBlock block = security_block(argv + 4);
    const int threads = argc > 10 ? std::atoi(argv[10]) : 1;
    std::vector<std::string> reads(threads > 1 ? threads : 1);
    std::vector<char> results(reads.size(), 0);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < reads.size(); ++i)
      workers.emplace_back([&, i] { results[i] = dump_printer_v3(reads[i], api, argv[2], block); });
    for (std::thread &worker : workers) worker.join();
    out = reads[0];
    for (size_t i = 0; i < reads.size(); ++i) {
      ok &= results[i] != 0;
      if (reads[i] != reads[0]) {
        std::fprintf(stderr, "thread %zu read other records:\n%s", i, reads[i].c_str());
        ok = false;
      }
    }
  } else {
    for (int i = 3; i < argc; ++i) ok &= dump_printer(out, api, argv[2], argv[i]);
  }
  std::fputs(out.c_str(), stdout);
  std::fflush(stdout);
  return ok ? 0 : 1;
}
