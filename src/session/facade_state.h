// What the get/set and find-device façades share: the request PDU, both
// targets, the device address, the community and the SNMP version, and the
// configuration steps that fill them.
#ifndef QMR_SESSION_FACADE_STATE_H
#define QMR_SESSION_FACADE_STATE_H

#include <cstddef>
#include <cstdint>

#include "net/network_address.h"
#include "net/owned.h"
#include "session/usm_record.h"
#include "snmp/pdu.h"
#include "snmp/snmp_target.h"

// A façade derives from this (privately) and forwards its configuration
// operations here. One thread at a time; no lock.
class CTqcFacadeState {
 public:
  // Longest community text kept (longer texts are cut).
  static constexpr size_t kMaxCommunityLength = 255;

  CTqcFacadeState();
  CTqcFacadeState(const CTqcFacadeState &) = delete;
  CTqcFacadeState &operator=(const CTqcFacadeState &) = delete;

  // Copies at most kMaxCommunityLength characters; default "public". -2 for null.
  int32_t set_community(const char *community);
  // Address, protocol, port, version (2: SNMPv3 with `usm`, otherwise a
  // community target of version 0), time-out, retries, and the maximum
  // message size clamped to the transport's limit (1400 bytes for IPv4 and
  // IPv6, 546 otherwise; 0 selects the limit). A second call starts over.
  int32_t init(const char *address, EProtocol protocol, uint16_t port, int32_t version, const STqcUsmRecord *usm,
               int32_t timeout_ms, int32_t retries, uint32_t max_message_size);
  // Adds a varbind without value; `append_zero` adds the instance ".0".
  int32_t add_oid_string(const char *oid, bool append_zero);
  // The address service's answer, unchanged; -2 for null arguments.
  static int32_t protocol_of(const char *address, EProtocol *protocol);

 protected:
  ~CTqcFacadeState();

  // The target of the stored version: user-based for SNMPv3, else community.
  ITqsSnmpTarget *target() const {
    return m_version == kTqsSnmpV3 ? m_pUserTarget.get() : m_pCommunityTarget.get();
  }

  TqcOwned<ITqsPdu> m_pPdu;
  TqcOwned<ITqsSnmpTarget> m_pCommunityTarget;
  TqcOwned<ITqsSnmpTarget> m_pUserTarget;
  TqcOwned<ITqcNetworkAddress> m_pAddress;
  char m_community[kMaxCommunityLength + 1];
  int32_t m_version;

 private:
  int32_t make_user_target(const STqcUsmRecord *usm, int32_t timeout_ms, int32_t retries);
  int32_t make_community_target(int32_t timeout_ms, int32_t retries);
};

#endif  // QMR_SESSION_FACADE_STATE_H
