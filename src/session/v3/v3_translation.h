// Between the system's objects and net-snmp's structures for the SNMPv3
// session: the library session a user-based target asks for, the request
// PDU, and the response copied back into the caller's PDU and target.
#ifndef QMR_SESSION_V3_V3_TRANSLATION_H
#define QMR_SESSION_V3_V3_TRANSLATION_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "session/v3/v3_library.h"

class ITqsPdu;
class ITqsSnmpTarget;

// The peer name net-snmp is given for an address: IPv4 text as it is,
// "udp6:[text]" for IPv6 (a numeric scope becomes the interface name the
// library understands), "ipx:text" for IPX; ":port" (IPv4, IPv6) or
// "/port" (IPX) when `port` is not 0. -2 for another protocol.
int32_t tqc_v3_peer_name(const char *text, int32_t protocol, uint16_t port, std::string *peer);

// The text form of a sender's socket address (IPv4 dotted, IPv6 with
// "%scope" when scoped); false for another family.
bool tqc_v3_sender_text(const void *address, size_t length, std::string *text, uint16_t *port);

// A library session opened for a user-based target of version 2. The
// engine ID is the target's; when it is unknown and `probe` is set, it is
// discovered first with a probe to the peer. Closing releases the user the
// session installed.
class CTqcV3LibrarySession {
 public:
  CTqcV3LibrarySession() = default;
  ~CTqcV3LibrarySession();
  CTqcV3LibrarySession(const CTqcV3LibrarySession &) = delete;
  CTqcV3LibrarySession &operator=(const CTqcV3LibrarySession &) = delete;

  // Results: 0; -2 not a user-based target of version 2, unknown codes or
  // protocol, address refused by the library; key generation and library
  // codes (-203 no answer to the probe, -204 no engine ID learnt).
  int32_t open(ITqsSnmpTarget *target, bool probe);
  void close();
  void *handle() const { return m_sessp; }
  netsnmp_session *session() const;

 private:
  int32_t discover_engine_id();

  void *m_sessp = nullptr;
  bool m_user = false;
};

// The library PDU for the request: PDU type 0/1/3/4 -> Get, GetNext, Set,
// SNMPv2-Trap (others get command 0); every varbind through the value
// visitor. -3 no memory; -2 OID that does not parse; -5 a value type that
// is not sent; library codes of snmp_add_var.
int32_t tqc_v3_build_request(ITqsPdu *pdu, netsnmp_pdu **out);
// The library request id for the system's id (0 is not usable there).
long tqc_v3_request_id(int32_t id);
// The engine-ID probe: an empty-user noAuthNoPriv GetRequest.
int32_t tqc_v3_build_probe_pdu(netsnmp_pdu **out);

// Copies a response into the caller's PDU (type, id, error fields,
// varbinds in order) and, for SNMPv3, target (user, level, context, engine
// ID, sender address). -10 for a value of an unknown type.
int32_t tqc_v3_translate_response(const netsnmp_pdu *response, ITqsPdu *pdu, ITqsSnmpTarget *target);

#endif  // QMR_SESSION_V3_V3_TRANSLATION_H
