// The exported interface driven with arbitrary texts and numbers on handles
// that have no device: every call must answer one of its documented codes.
// Nothing here can reach a device: device opening and discovery are only
// called with protocol numbers that no transport serves, so the calls end
// before a socket is made (scripts/run-fuzz.sh also runs this target in a
// network namespace of its own when it can).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qmr.h"

namespace {

void check(bool condition, const char *what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

constexpr size_t kMaxCommunity = 255;
constexpr size_t kMaxAddress = 63;
constexpr size_t kFilterEntry = 64;
constexpr int kMaxCalls = 64;
const char *const kCommands[] = {"CmdSetCommunityGetOption", "CmdSetCommunityFind", "CmdSetCommunityWrite"};
// Protocol numbers that pass no transport: 3 is accepted but served by none.
const int32_t kUnservedProtocols[] = {0, 3, 4, 6, -1, 0x7fffffff};

bool is_known_command(const std::string &command) {
  for (const char *known : kCommands)
    if (strcmp(command.c_str(), known) == 0) return true;
  return false;
}

// A text that is sometimes one of the valid commands, sometimes close to one.
std::string command_text(FuzzedDataProvider &in) {
  if (in.ConsumeBool()) return in.ConsumeRandomLengthString(64);
  std::string command = kCommands[in.ConsumeIntegralInRange<size_t>(0, 2)];
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return command;
    case 1: return command + in.ConsumeRandomLengthString(2);
    default: return command.substr(0, in.ConsumeIntegralInRange<size_t>(0, command.size()));
  }
}

void device_calls(FuzzedDataProvider &in, void *h, bool opened) {
  int32_t expected = opened ? QMR_OK : QMR_E_NO_DEVICE;
  std::string key = in.ConsumeRandomLengthString(300);
  uint16_t index = in.ConsumeIntegral<uint16_t>();
  int32_t count = 0x5a5a5a5a;
  uint32_t record_index = in.ConsumeIntegral<uint32_t>();
  alignas(8) uint8_t record[2048];
  memset(record, 0xa5, sizeof record);
  switch (in.ConsumeIntegralInRange<int>(0, 12)) {
    case 0: {
      int16_t flag = 7;
      int32_t rc = QMRGetOptionValueBoolean(h, key.c_str(), index, &flag);
      if (!opened) check(rc == QMR_E_NO_DEVICE && flag == 7, "boolean option without device");
      break;
    }
    case 1: {
      int32_t value = 7;
      int32_t rc = QMRGetOptionValueInteger(h, key.c_str(), index, &value);
      if (!opened) check(rc == QMR_E_NO_DEVICE && value == 7, "integer option without device");
      break;
    }
    case 2: {
      uint32_t value = 7;
      int32_t rc = QMRGetOptionValueUInteger(h, key.c_str(), index, &value);
      check(rc == QMR_E_NO_DEVICE || rc == QMR_E_NOT_SUPPORTED, "unsigned option answers -8 or -5");
      check(value == 7, "unsigned option writes nothing");
      break;
    }
    case 3: {
      char text[256];
      memset(text, 'x', sizeof text);
      int32_t rc = QMRGetOptionValueString(h, key.c_str(), index, text);
      if (!opened) check(rc == QMR_E_NO_DEVICE && text[0] == 'x', "string option without device");
      break;
    }
    case 4: check(QMRGetNumberOfStorageInfo(h, &count) == expected || opened, "storage count"); break;
    case 5: check(QMRGetStorageInfo(h, record_index, reinterpret_cast<QMRStorageInfo *>(record)) != QMR_OK,
                  "no storage record without a read");
            break;
    case 6: check(QMRGetDeviceInfo(h, record_index, reinterpret_cast<QMRDeviceInfo *>(record)) != QMR_OK,
                  "no device record without a read");
            break;
    case 7: check(QMRGetInputTrayInfo(h, record_index, reinterpret_cast<QMRInputTrayInfo *>(record)) != QMR_OK,
                  "no tray record without a read");
            break;
    case 8: check(QMRGetJobInfo(h, record_index, reinterpret_cast<QMRJobInfo *>(record)) != QMR_OK,
                  "no job record without a read");
            break;
    case 9: {
      uint32_t selector = in.ConsumeIntegral<uint32_t>();
      int32_t rc = QMRGetNumberOfJobInfo(h, selector, &count);
      if (selector > 2) check(rc == QMR_E_INVALID_ARG, "job selector above 2");
      else if (!opened) check(rc == QMR_E_NO_DEVICE, "job count without device");
      break;
    }
    case 10: {
      uint32_t selector = in.ConsumeIntegral<uint32_t>();
      int32_t value = 0;
      int32_t rc = QMRGetCharSet(h, selector, &value);
      if (selector > 1) check(rc == QMR_E_INVALID_ARG, "character-set selector above 1");
      else if (!opened) check(rc == QMR_E_NO_DEVICE, "character set without device");
      break;
    }
    case 11: {
      int32_t rc = QMRCancelJob(h, key.c_str());
      if (!opened) check(rc == QMR_E_NO_DEVICE, "cancel without device");
      break;
    }
    default: {
      int16_t flag = QMRIsSupportedOID(h, in.ConsumeBool() ? nullptr : key.c_str());
      if (!opened) check(flag == 0, "supported OID without device");
      break;
    }
  }
  // Record bytes past every record size stay untouched.
  for (size_t i = 1336; i < sizeof record; ++i) check(record[i] == 0xa5, "record copy stays in bounds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  void *h = nullptr;
  check(QMRInit(&h) == QMR_OK && h != nullptr, "QMRInit");
  bool refused_opening = false;  // a refused opening may leave the option object attached

  for (int call = 0; call < kMaxCalls && in.remaining_bytes() > 0; ++call) {
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
      case 0: {
        std::string command = command_text(in);
        std::string value = in.ConsumeRandomLengthString(300);
        int32_t rc = QMRCommandString(h, command.c_str(), value.c_str());
        if (!is_known_command(command)) check(rc == QMR_E_NOT_SUPPORTED || rc == QMR_E_INVALID_ARG, "unknown command");
        else check(rc == (strlen(value.c_str()) > kMaxCommunity ? QMR_E_INVALID_ARG : QMR_OK), "community command");
        break;
      }
      case 1: {
        int32_t value = in.ConsumeIntegral<int32_t>();
        check(QMRCommandInteger(h, in.ConsumeIntegral<int32_t>(), &value) == QMR_E_NOT_SUPPORTED,
              "integer command");
        break;
      }
      case 2: {
        std::string filter = in.ConsumeRandomLengthString(128);
        // A filter that its 64-byte entry would cut is refused, not cut.
        int32_t rc = QMRFindAddFilter(h, filter.c_str());
        check(rc == (strlen(filter.c_str()) < kFilterEntry ? QMR_OK : QMR_E_INVALID_ARG), "filter taken or refused");
        break;
      }
      case 3: QMRFindClearFilter(h); break;
      case 4: QMRFindResetPosition(h); break;
      case 5: {
        char address[64], model[64], zero = 1, oid[64];
        check(QMRGetDeviceNext(h, address, model, &zero, oid) == 0, "no device found without discovery");
        break;
      }
      case 6: {
        int32_t protocol = in.PickValueInArray(kUnservedProtocols);
        std::string dest = in.ConsumeRandomLengthString(80);
        bool broadcast = in.ConsumeBool();
        int32_t found = -1;
        int32_t rc = QMRFindDeviceSNMP(h, broadcast ? nullptr : dest.c_str(), protocol,
                                       in.ConsumeIntegral<uint32_t>() % 50, in.ConsumeIntegral<uint32_t>() % 3,
                                       &found);
        bool fits = broadcast || strlen(dest.c_str()) <= kMaxAddress;
        check(rc == (protocol == 3 && fits ? QMR_E_NOT_SUPPORTED : QMR_E_INVALID_ARG),
              "discovery over an unserved protocol");
        break;
      }
      case 7: {
        int32_t protocol = in.PickValueInArray(kUnservedProtocols);
        std::string address = in.ConsumeRandomLengthString(80);
        QMRSecurityBlock block;
        memset(&block, in.ConsumeIntegral<uint8_t>(), sizeof block);
        int32_t rc = in.ConsumeBool()
                         ? QMRInitDevice(h, address.c_str(), protocol, 10, 0)
                         : QMRInitDeviceEx(h, address.c_str(), protocol, in.ConsumeIntegral<int32_t>(), &block, 10, 0);
        check(rc == QMR_E_INVALID_ARG, "device opening over an unserved protocol");
        refused_opening = refused_opening || protocol == 3;
        break;
      }
      case 8: {
        int16_t flag = QMRTransportAvailable(in.ConsumeIntegral<int32_t>());
        check(flag == 0 || flag == 1, "transport flag");
        break;
      }
      default: device_calls(in, h, refused_opening); break;
    }
  }
  QMRUnInit(h);
  return 0;
}
