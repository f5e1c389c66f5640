// Reads every record of one simulated printer through the exported
// functions of the library, loaded and bound at run time as a host does:
// LoadLibraryA and GetProcAddress on Windows, dlopen and dlsym elsewhere.
// The records are printed byte by byte, so the output of the Windows and
// the Linux build can be compared whole.
//
//   records_dump LIBRARY ADDRESS COMMUNITY...   (IPv4 or IPv6 address)
// Exit status: 0 when every community's printer was opened and read.
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstring>
#include <string>

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
  return ok;
}

void print_bytes(const char *what, int index, const void *record, size_t size) {
  std::printf("%s[%d]", what, index);
  const auto *b = static_cast<const unsigned char *>(record);
  for (size_t i = 0; i < size; ++i) std::printf("%s%02x", i % 32 == 0 ? "\n  " : "", b[i]);
  std::printf("\n");
}

// A counted list: its count, then each record. False when a call fails.
template <typename Record, typename CountFn, typename GetFn>
bool dump_list(const char *what, void *h, CountFn count_fn, GetFn get_fn) {
  int32_t count = -1;
  int32_t rc = count_fn(h, &count);
  std::printf("%s count rc=%d count=%d\n", what, rc, count);
  if (rc != QMR_OK) return false;
  for (int32_t i = 0; i < count; ++i) {
    Record record;
    std::memset(&record, 0, sizeof record);
    rc = get_fn(h, static_cast<uint32_t>(i), &record);
    if (rc != QMR_OK) {
      std::printf("%s[%d] rc=%d\n", what, i, rc);
      return false;
    }
    print_bytes(what, i, &record, sizeof record);
  }
  return true;
}

bool dump_printer(const Api &api, const char *address, const char *community) {
  void *h = nullptr;
  if (api.init(&h) != QMR_OK || h == nullptr) return false;
  bool ok = api.command(h, "CmdSetCommunityGetOption", community) == QMR_OK;
  // The interface numbers IPv4 1 and IPv6 5.
  const int32_t protocol = std::strchr(address, ':') != nullptr ? 5 : 1;
  int32_t rc = ok ? api.init_device(h, address, protocol, 2000, 2) : QMR_E_FAILED;
  std::printf("== %s init_device rc=%d\n", community, rc);
  ok = ok && rc == QMR_OK;
  if (ok) {
    ok &= dump_list<QMRStorageInfo>("storage", h, api.storage_count, api.storage);
    ok &= dump_list<QMRDeviceInfo>("device", h, api.device_count, api.device);
    QMRPrinterInfo printer;
    std::memset(&printer, 0, sizeof printer);
    rc = api.printer(h, &printer);
    std::printf("printer rc=%d\n", rc);
    if (rc == QMR_OK) print_bytes("printer", 0, &printer, sizeof printer);
    ok &= dump_list<QMRInputTrayInfo>("input_tray", h, api.input_count, api.input);
    ok &= dump_list<QMROutputTrayInfo>("output_tray", h, api.output_count, api.output);
    ok &= dump_list<QMRTonerInfo>("toner", h, api.toner_count, api.toner);
    ok &= dump_list<QMRAlertInfo>("alert", h, api.alert_count, api.alert);
    for (uint32_t selector = 0; selector <= 2; ++selector) {
      std::string what = "job" + std::to_string(selector);
      ok &= dump_list<QMRJobInfo>(what.c_str(), h,
                                  [&](void *handle, int32_t *count) { return api.job_count(handle, selector, count); },
                                  api.job);
    }
    for (uint32_t selector = 0; selector <= 1; ++selector) {
      int32_t value = -1;
      rc = api.char_set(h, selector, &value);
      std::printf("char_set%u rc=%d value=%d\n", selector, rc, value);
    }
  }
  api.uninit(h);
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s LIBRARY ADDRESS COMMUNITY...\n", argv[0]);
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
  for (int i = 3; i < argc; ++i) ok &= dump_printer(api, argv[2], argv[i]);
  std::fflush(stdout);
  return ok ? 0 : 1;
}
