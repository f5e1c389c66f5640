// The IP helper's table functions over the kernel's tables, with the IP
// helper's two-call protocol (a short buffer reports the size it needs).
#include <cstring>
#include <new>
#include <vector>

#include "session/local/posix/local_kernel_tables_posix.h"

namespace {

constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorGenFailure = 31;

template <typename Table, typename Row>
uint32_t fill(bool (*read)(std::vector<Row> &), Table *table, uint32_t *size) {
  if (size == nullptr) return kErrorInvalidParameter;
  std::vector<Row> rows;
  try {
    if (!read(rows)) return kErrorGenFailure;
  } catch (const std::bad_alloc &) {
    return kErrorGenFailure;
  }
  size_t needed = tqc_table_size<Table>(static_cast<uint32_t>(rows.size()));
  if (table == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return kTqcLocalErrorInsufficientBuffer;
  }
  table->count = static_cast<uint32_t>(rows.size());
  if (!rows.empty()) std::memcpy(table->rows, rows.data(), rows.size() * sizeof(Row));
  return kTqcLocalErrorSuccess;
}

// The kernel's lists are kept sorted, so the order flag changes nothing.
uint32_t get_ip_forward_table(TqcIpForwardTable *table, uint32_t *size, int32_t /*sorted*/) {
  return fill(&tqc_read_kernel_routes, table, size);
}

uint32_t get_if_table(TqcIfTable *table, uint32_t *size, int32_t /*sorted*/) {
  return fill(&tqc_read_kernel_interfaces, table, size);
}

uint32_t get_ip_addr_table(TqcIpAddrTable *table, uint32_t *size, int32_t /*sorted*/) {
  return fill(&tqc_read_kernel_addresses, table, size);
}

uint32_t get_number_of_interfaces(uint32_t *count) {
  if (count == nullptr) return kErrorInvalidParameter;
  std::vector<TqcIfRow> rows;
  try {
    if (!tqc_read_kernel_interfaces(rows)) return kErrorGenFailure;
  } catch (const std::bad_alloc &) {
    return kErrorGenFailure;
  }
  *count = static_cast<uint32_t>(rows.size());
  return kTqcLocalErrorSuccess;
}

}  // namespace

void *tqc_posix_ip_table_symbol(const char *name) {
  if (name == nullptr) return nullptr;
  if (std::strcmp(name, "GetIpForwardTable") == 0) return reinterpret_cast<void *>(&get_ip_forward_table);
  if (std::strcmp(name, "GetNumberOfInterfaces") == 0) return reinterpret_cast<void *>(&get_number_of_interfaces);
  if (std::strcmp(name, "GetIfTable") == 0) return reinterpret_cast<void *>(&get_if_table);
  if (std::strcmp(name, "GetIpAddrTable") == 0) return reinterpret_cast<void *>(&get_ip_addr_table);
  return nullptr;
}
