// The find-device façade: one GetRequest broadcast (IPv4, IPX) or
// multicast (IPv6) and the list of answers, one per responder.
#ifndef QMR_SESSION_FIND_DEVICE_H
#define QMR_SESSION_FIND_DEVICE_H

#include <cstdint>

#include "net/network_address.h"
#include "session/usm_record.h"
#include "snmp/object_list.h"

// Use: create, set_community (optional, before init), init once with the
// broadcast or multicast address, add_oid_string, send_broad_cast, destroy.
// Configured exactly as the get/set façade (session/get_data.h). One thread
// at a time; no lock.
//
// Results: 0; -2 invalid argument; -3 out of memory; otherwise the code of
// the OID parser, the address or the session, unchanged.
class ITqcFindDeviceSnmp {
 public:
  // Releases PDU, targets and address and frees the object.
  virtual void destroy() = 0;                                                           // 0
  // At most 255 characters are kept; default "public". -2 for null.
  virtual int32_t set_community(const char *community) = 0;                            // 1
  // As ITqcGetData::init.
  virtual int32_t init(const char *address, EProtocol protocol, uint16_t port, int32_t version,
                       const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries,
                       uint32_t max_message_size) = 0;                                   // 2
  // Adds the OID with the instance ".0" (always; the flag is not looked at)
  // and no value.
  virtual int32_t add_oid_string(const char *oid, int32_t unused = 0) = 0;            // 3
  // GetRequest of the added OIDs to the configured address. On 0 *answers
  // is a new list owned by the caller: one packet per responding address, in
  // the order of their first answers, each holding the decoded response and
  // a target whose address is the responder's. Silence gives an empty list.
  // On failure *answers is not written.
  virtual int32_t send_broad_cast(ITqsSnmpPacketList **answers) = 0;                  // 4
  // The address service's protocol of an address text, unchanged.
  virtual int32_t protocol_of(const char *address, EProtocol *protocol) = 0;          // 5

 protected:
  virtual ~ITqcFindDeviceSnmp() = default;                                              // 6
};

// A new façade, or null with -3 through `result` (optional).
ITqcFindDeviceSnmp *tqc_create_find_device_snmp(int32_t *result = nullptr);

#endif  // QMR_SESSION_FIND_DEVICE_H
