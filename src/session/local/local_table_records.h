// Records of this host's route, interface and address tables, and the
// owned lists in which the local interface provider returns them.
#ifndef QMR_SESSION_LOCAL_LOCAL_TABLE_RECORDS_H
#define QMR_SESSION_LOCAL_LOCAL_TABLE_RECORDS_H

#include <cstdint>
#include <new>
#include <string>
#include <vector>

// 32-bit addresses are numbers whose most significant byte is the first
// field of the dotted text (192.168.1.20 is 0xC0A80114).
struct TqcLocalRouteRecord {
  uint32_t destination;
  uint32_t mask;
  uint32_t next_hop;
  int32_t route_type;
  int32_t if_index;
};

struct TqcLocalInterfaceRecord {
  std::string description;
  int32_t if_index;
  int32_t if_type;
};

struct TqcLocalAddressRecord {
  int32_t if_index;
  uint32_t mask;
  int32_t broadcast;  // as delivered by the source
  uint32_t address;
};

// A list owned by the caller; release() frees it with its records.
template <typename Record>
class CTqcLocalRecordList {
 public:
  static CTqcLocalRecordList *create(int32_t *result);

  void release() { delete this; }
  uint32_t count() const { return static_cast<uint32_t>(m_records.size()); }
  const Record &at(uint32_t index) const { return m_records[index]; }
  const std::vector<Record> &records() const { return m_records; }
  // False when memory is exhausted.
  bool append(Record record) {
    try {
      m_records.push_back(std::move(record));
    } catch (const std::bad_alloc &) {
      return false;
    }
    return true;
  }

 private:
  CTqcLocalRecordList() = default;
  ~CTqcLocalRecordList() = default;
  std::vector<Record> m_records;
};

template <typename Record>
CTqcLocalRecordList<Record> *CTqcLocalRecordList<Record>::create(int32_t *result) {
  auto *made = new (std::nothrow) CTqcLocalRecordList();
  if (result != nullptr) *result = made != nullptr ? 0 : -3;
  return made;
}

using CTqcLocalRouteList = CTqcLocalRecordList<TqcLocalRouteRecord>;
using CTqcLocalInterfaceList = CTqcLocalRecordList<TqcLocalInterfaceRecord>;
using CTqcLocalAddressList = CTqcLocalRecordList<TqcLocalAddressRecord>;

#endif  // QMR_SESSION_LOCAL_LOCAL_TABLE_RECORDS_H
