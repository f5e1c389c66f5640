// The get/set data façade: the one object through which the printer code
// reads and writes the MIB objects of one device, by OID text.
#ifndef QMR_SESSION_GET_DATA_H
#define QMR_SESSION_GET_DATA_H

#include <cstddef>
#include <cstdint>

#include "net/network_address.h"
#include "session/usm_record.h"
#include "snmp/object_list.h"

class ITqcBulkShare;

// Use: create, set_community (optional, before init), init once, any number
// of add_oid_string, then one run (set_data or a get_data), then destroy().
// Each run creates its own session dispatcher, session and socket and
// releases them before it returns. One thread at a time; no lock.
//
// Results: 0; -2 invalid argument; -3 out of memory; -7 no value where one
// was expected, or a SET refused with noSuchName / noAccess; otherwise the
// code of the OID parser, the address or the session, unchanged (for
// example -203 when the device never answered).
class ITqcGetData {
 public:
  // Size of the text buffer that the unsized text get_data assumes.
  static constexpr size_t kDefaultTextSize = 256;
  // Longest community text kept (longer texts are cut).
  static constexpr size_t kMaxCommunityLength = 255;

  // Releases PDU, targets and address and frees the object.
  virtual void destroy() = 0;                                                          // 0
  // Copies at most kMaxCommunityLength characters; default "public". -2 for null.
  virtual int32_t set_community(const char *community) = 0;                           // 1
  // Address text and protocol, port, SNMP version (0, 1 community-based; 2
  // SNMPv3 with `usm`, which may be null otherwise), time-out (ms), retries,
  // and the maximum message size (0 or above the transport's limit selects
  // the limit: 1400 bytes for IPv4 and IPv6, 546 otherwise). A second call
  // replaces what the first one made.
  virtual int32_t init(const char *address, EProtocol protocol, uint16_t port, int32_t version,
                       const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries,
                       uint32_t max_message_size) = 0;                                  // 2
  // Adds a varbind without value; when the low byte of `append_zero` is not
  // 0 the instance ".0" is appended to the OID.
  virtual int32_t add_oid_string(const char *oid, int32_t append_zero) = 0;          // 3
  // Adds OID + "." + instance with an INTEGER value (for a SET).
  virtual int32_t add_oid_string(const char *oid, const char *instance, int32_t value) = 0;  // 4
  // SetRequest of the added varbinds.
  virtual int32_t set_data() = 0;                                                      // 5
  // Walks the added column OIDs together with GetNextRequests while the first
  // column stays below `root_oid`, appending one PDU per row to `rows` (the
  // list keeps them). Each row holds one varbind per added column, in the
  // order added; the rows are exactly the first column's rows. A cell that
  // the device lacks (a sparse table) is a NULL value, named by the column
  // OID (plus the row's index for columns of the first column's table).
  // The walk ends at the end of the column or of the agent's data, or at an
  // error-status, with the rows collected so far.
  virtual int32_t get_data(ITqsPduList *rows, const char *root_oid) = 0;              // 6
  // The first value's text form with its NUL, into a buffer of
  // kDefaultTextSize bytes; prefer the sized form below.
  virtual int32_t get_data(char *text) = 0;                                            // 7
  // The first `count` values as signed 32-bit numbers (-1 for values that
  // are not INTEGER); -7 when the response has fewer values (the elements
  // written so far stay).
  virtual int32_t get_data(int32_t *values, uint32_t count) = 0;                      // 8
  // The first value as a signed 32-bit number (-1 when it is not INTEGER).
  virtual int32_t get_data(int32_t *value) = 0;                                        // 9
  // The address service's protocol of an address text, unchanged.
  virtual int32_t protocol_of(const char *address, EProtocol *protocol) = 0;         // 10

  // The first value's text form, cut to size - 1 characters, NUL-terminated;
  // an empty text leaves the buffer unchanged. -2 for a null buffer or size 0.
  virtual int32_t get_data(char *text, size_t size) = 0;

  // Bulk mode for the walk (off by default): on an SNMPv2c or SNMPv3 device
  // the walk asks for many rows per exchange with GetBulkRequests and keeps
  // exactly the rows a row-by-row walk keeps. SNMPv1 devices walk row by row.
  virtual void set_bulk_walk(bool on) = 0;
  // In bulk mode, the reads of one call share what their exchanges learn
  // (see ITqcBulkShare); lent, null for none.
  virtual void set_bulk_share(ITqcBulkShare *share) = 0;

 protected:
  virtual ~ITqcGetData() = default;                                                    // 11
};

// A new façade, or null with -3 through `result` (optional).
ITqcGetData *tqc_create_get_data(int32_t *result = nullptr);

#endif  // QMR_SESSION_GET_DATA_H
