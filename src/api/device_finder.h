// Discovery front of the library handle: the sysObjectID prefix filters, the
// list of found devices and the walk over it.
#ifndef QMR_API_DEVICE_FINDER_H
#define QMR_API_DEVICE_FINDER_H

#include <cstdint>
#include <memory>
#include <vector>

#include "net/network_address.h"
#include "printer/supported_models.h"
#include "qmr.h"
#include "session/find_device.h"

class IQMRPluginUSM;

constexpr int32_t kQMRMaxFilters = 50;

// Room of each text of a found device, and of each walk output.
constexpr size_t kQMRFoundTextSize = 64;

// One found device. Its sysObjectID and address are offsets into the list's
// text store (which may move as it grows); the model name is the model
// table's own.
struct SQMRFoundDevice {
  const char *modelName;
  uint32_t sysObjectIdAt;
  uint32_t addressAt;
};

// The newest answer is in front, so the walk returns the last answer first.
// The nodes sit in one array in answer order and the front is its back end:
// a discovery adds thousands of nodes without one allocation each, and the
// walk reaches the cursor's node in one step. Texts are packed, not padded
// to their full room: a fresh store costs a page fault per 4 KiB filled.
struct SQMRFoundList {
  int32_t count = 0;
  int32_t cursor = 0;  // 0-based position of the next device to return
  std::vector<SQMRFoundDevice> nodes;  // nodes[count - 1] is the front
  std::vector<char> texts;             // zero-terminated node texts
};

struct SQMRFindDeviceDeleter {
  void operator()(ITqcFindDeviceSnmp *facade) const {
    if (facade != nullptr) facade->destroy();
  }
};

class CQMRDeviceFinder {
 public:
  // Null and -3 through rc when memory runs out.
  static CQMRDeviceFinder *create(int32_t *rc);
  virtual ~CQMRDeviceFinder();
  CQMRDeviceFinder(const CQMRDeviceFinder &) = delete;
  CQMRDeviceFinder &operator=(const CQMRDeviceFinder &) = delete;

  void release();

  // One discovery. dest may be null (broadcast or multicast address of the
  // protocol). Drops the previous results, then records the answers of
  // supported models that pass the filters. -5 for a protocol discovery does
  // not serve, else 0 or the code of the failed step; *found is the count.
  int32_t find(const char *dest, EProtocol protocol, int32_t selector,
               const QMRSecurityBlock *block, IQMRPluginUSM *usm, const char *communityFind,
               uint32_t timeoutMs, uint32_t retries, uint32_t maxMessageSize, int32_t *found);

  // Keeps the text in the first free filter; a 51st filter is dropped. 0,
  // or -2 for a null text or one that does not fit an entry.
  int32_t add_filter(const char *filter);
  void clear_filters();
  void reset_position();
  // Copies the device at the cursor (64-byte outputs) and advances; false
  // when there is none left.
  bool get_next(char *address, char *model, char *zeroByte, char *sysObjectId);

  // Records one answer when its sysObjectID names a supported model and
  // passes the filters; false when it is dropped. Needs a list (see find).
  bool add_answer(const char *sysObjectId, const char *address);
  // Replaces the found list by an empty one, as a discovery does before it
  // collects answers. False when memory runs out.
  bool start_list();

 private:
  CQMRDeviceFinder();
  int32_t run_discovery(const char *dest, EProtocol protocol, uint32_t timeoutMs,
                        uint32_t retries, uint32_t maxMessageSize, int32_t *found);
  // Leaves no list; keeps its storage, emptied, for the next one.
  void drop_list();
  // Room for `answers` more nodes, so that recording them allocates nothing.
  // False when memory runs out.
  bool reserve_answers(uint32_t answers);

  // Kept from one discovery until the next one or the finder's end.
  std::unique_ptr<ITqcFindDeviceSnmp, SQMRFindDeviceDeleter> m_pFindDeviceSnmp;
  std::unique_ptr<SQMRFoundList> m_pFound;
  SQMRFoundList m_spare;  // empty; holds the last list's storage
  char m_filters[kQMRMaxFilters][64];
  const SQMRModelEntry *m_pModels;
  char m_community[256];
  IQMRPluginUSM *m_pUsm;  // the handle's, lent for the length of one discovery
};

#endif  // QMR_API_DEVICE_FINDER_H
