// One request of the device status reader through a fresh get/set façade,
// with the "QMR" failure line of each step that fails.
#ifndef QMR_PRINTER_STATUS_REQUEST_H
#define QMR_PRINTER_STATUS_REQUEST_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "net/network_address.h"
#include "session/get_data.h"
#include "session/usm_record.h"
#include "snmp/object_list.h"
#include "snmp/owned.h"

// The connection settings a request is opened with. Texts are lent.
struct SQMRConnection {
  EProtocol protocol;
  const char *address;
  uint16_t port;
  int32_t version;  // security selector: 2 SNMPv3, anything else community-based
  STqcUsmRecord usm;
  uint32_t timeoutMs;
  uint32_t retries;
  uint32_t maxMessageSize;
  const char *community;  // null: the façade's default ("public")
};

struct SQMRStatusGetDataDeleter {
  void operator()(ITqcGetData *getData) const {
    if (getData != nullptr) getData->destroy();
  }
};

// Use: open, then add (one or more), then one run. The façade is destroyed
// with the request.
class CQMRStatusRequest {
 public:
  CQMRStatusRequest() = default;
  CQMRStatusRequest(const CQMRStatusRequest &) = delete;
  CQMRStatusRequest &operator=(const CQMRStatusRequest &) = delete;

  // Creates the façade, hands it the community when one is given, init.
  int32_t open(const SQMRConnection &connection);
  // A column or an exact instance (no ".0" appended).
  int32_t add(const char *oid);
  int32_t add_columns(const char *const *oids, size_t count);
  // OID "." instance with an INTEGER value, for a set.
  int32_t add_integer(const char *oid, const char *instance, int32_t value);

  // Walks the added columns into a new row list (one PDU per row).
  int32_t walk(const char *root, TqsOwned<ITqsPduList> *rows);
  // Single-value reads; their failures write no line (callers say why).
  int32_t read_integer(int32_t *value);
  int32_t read_text(char *text, size_t size);
  int32_t set();

 private:
  std::unique_ptr<ITqcGetData, SQMRStatusGetDataDeleter> m_pGetData;
};

// Opens a request, adds `columns` and walks them with the first as root.
int32_t qmr_walk_columns(const SQMRConnection &connection, const char *const *columns,
                         size_t count, TqsOwned<ITqsPduList> *rows);

#endif  // QMR_PRINTER_STATUS_REQUEST_H
