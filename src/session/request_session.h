// The request session: synchronous SNMP v1/v2c exchanges over the library's
// own codec and a datagram socket, with time-outs, retries, request-id
// matching and splitting of requests that do not fit.
#ifndef QMR_SESSION_REQUEST_SESSION_H
#define QMR_SESSION_REQUEST_SESSION_H

#include <cstddef>
#include <cstdint>

#include "snmp/snmp_session.h"

class CTqsRawPacket;
class DataGramSocket;

// One exchange at a time (the socket holder is shared by the calls); the
// façades make a session per operation through the dispatcher. Each
// exchange opens a fresh socket, which the session keeps until the next
// exchange or its release.
//
// Unicast results: 0 (the PDU holds the response, the target the
// responder's address); -2 null PDU or target, target without address;
// -3; -203 no acceptable answer within time-out x (retries + 1), also when
// nothing could be sent or waited for (retries 0xFFFFFFFF, time-out <= 0);
// -210 tooBig that could not be split; -211 does not fit; -212 cannot be
// split further; -250 / -251 when only unacceptable datagrams came;
// socket and codec codes unchanged.
class RequestSession final : public ITqsSnmpSession {
 public:
  // Bytes read per received datagram.
  static constexpr size_t kReceiveBufferSize = 2048;

  void release() override;
  int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) override;
  int32_t send_sync(ITqsSnmpPacket *packet) override;
  int32_t send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) override;
  // One GetRequest to a broadcast or multicast address, one answer kept per
  // responder (request_session_broadcast.cpp).
  int32_t send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) override;
  int32_t reserved() override;

  RequestSession(const RequestSession &) = delete;
  RequestSession &operator=(const RequestSession &) = delete;

 private:
  friend RequestSession *tqc_create_request_session(int32_t *result);
  RequestSession() = default;
  ~RequestSession() override;

  // Replaces the held socket by a new one for the target address's
  // protocol, bound to the target's local port (0: any).
  int32_t open_socket(const ITqsSnmpTarget *target);
  void close_socket();
  // Gives the PDU the next request id and encodes PDU and target into
  // `raw`. On -211, `fitted` holds the number of varbinds that fitted.
  int32_t encode_request(ITqsPdu *pdu, ITqsSnmpTarget *target, CTqsRawPacket *raw, uint32_t *fitted);

  // One request: encode once, send and wait per try. A non-zero `fragments`
  // asks the caller to split the request that many ways.
  int32_t _send_and_receive(ITqsPdu *pdu, ITqsSnmpTarget *target, uint32_t *fragments);
  // Peeks a received datagram: 0 it answers `pdu`, -210 it says tooBig,
  // -251 it answers another request; other codes from the codec.
  int32_t check_received_raw_packet(ITqsPdu *pdu, ITqsSnmpTarget *target, CTqsRawPacket *raw);
  // Moves the PDU's varbinds, in order, into `count` new PDUs with the same
  // header (the first n mod count get one more). -212 when a fragment
  // would be empty. The PDU keeps no varbinds on success.
  ITqsPduList *fragment_pdu(ITqsPdu *pdu, uint32_t count, int32_t *result);
  // Runs the fragments one after the other and merges their answers into
  // `pdu` (error-index offset by the varbinds of the fragments before).
  int32_t fragment_process(ITqsPdu *pdu, ITqsSnmpTarget *target, uint32_t count);

  DataGramSocket *m_pSocket = nullptr;
  // The encoded request. Kept from one exchange to the next (and handed
  // on to the next session): the encoder asks for the same area size each
  // time and reuses the area then.
  CTqsRawPacket *m_pRequest = nullptr;
};

// A new session holding no socket, or null with -3 through `result` (optional).
RequestSession *tqc_create_request_session(int32_t *result = nullptr);

#endif  // QMR_SESSION_REQUEST_SESSION_H
