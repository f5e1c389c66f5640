#include "printer/device_type_tables.h"

#include <cstring>

namespace {

struct SCodeRange {
  int32_t first;
  int32_t last;
};

constexpr char kStorageTypePrefix[] = "1.3.6.1.2.1.25.2.1.";
constexpr SCodeRange kStorageTypes[] = {{1, 8}};

constexpr char kStandardDeviceTypePrefix[] = "1.3.6.1.2.1.25.3.1.";
constexpr SCodeRange kStandardDeviceTypes[] = {{1, 6}, {10, 21}};
constexpr char kPrivateDeviceTypePrefix[] = "1.3.6.1.4.1.58114.8.52.2.";
constexpr SCodeRange kPrivateDeviceTypes[] = {{101, 109}, {151, 154}, {201, 207}};

constexpr char kJobTypePrefix[] = "1.3.6.1.4.1.58114.8.58.2.";
constexpr SCodeRange kJobTypes[] = {{1, 12}};

constexpr int32_t kUnknownType = 0;
// Every code of these tables has at most three digits.
constexpr size_t kMaxCodeDigits = 3;

// N when `text` is exactly `prefix` followed by N written as an OID
// sub-identifier (no sign, no leading zero) and N lies in one of the ranges;
// 0 otherwise. Matching the whole text keeps "...2.1.80" from meaning 8.
template <size_t R>
int32_t code_of(const char *text, const char *prefix, const SCodeRange (&ranges)[R]) {
  if (text == nullptr) return kUnknownType;
  const size_t prefixLength = std::strlen(prefix);
  if (std::strncmp(text, prefix, prefixLength) != 0) return kUnknownType;
  const char *digits = text + prefixLength;
  const size_t count = std::strlen(digits);
  if (count == 0 || count > kMaxCodeDigits || digits[0] == '0') return kUnknownType;
  int32_t code = 0;
  for (size_t i = 0; i < count; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return kUnknownType;
    code = code * 10 + (digits[i] - '0');
  }
  for (const SCodeRange &range : ranges) {
    if (code >= range.first && code <= range.last) return code;
  }
  return kUnknownType;
}

}  // namespace

int32_t qmr_storage_type_code(const char *oidText) {
  return code_of(oidText, kStorageTypePrefix, kStorageTypes);
}

int32_t qmr_device_type_code(const char *oidText) {
  const int32_t standard = code_of(oidText, kStandardDeviceTypePrefix, kStandardDeviceTypes);
  if (standard != kUnknownType) return standard;
  return code_of(oidText, kPrivateDeviceTypePrefix, kPrivateDeviceTypes);
}

int32_t qmr_job_type_code(const char *oidText) {
  return code_of(oidText, kJobTypePrefix, kJobTypes);
}
