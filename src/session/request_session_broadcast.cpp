// The broadcast exchange of the request session: one GetRequest to a
// broadcast or multicast address, one answer kept per responding address.
#include <chrono>
#include <string>

#include "log/log.h"
#include "net/datagram_socket.h"
#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "session/find_device_responders.h"
#include "session/request_session.h"
#include "snmp/object_list.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "snmp/translator.h"

namespace {

constexpr char kName[] = "RequestSession::send_broad_cast_sync";

// A whole subnet may answer at once: the system's default queue holds only
// a few hundred small datagrams, the rest would be lost before we read them.
constexpr int32_t kBroadcastReceiveBuffer = 4 * 1024 * 1024;

// Millisecond tick; differences are taken in unsigned 32 bits, so a wrap is harmless.
uint32_t tick_ms() {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// A packet for one answer: a new PDU and a target of the request's kind,
// filled by the decoder, the target carrying the responder's address.
// Null with the decoder's (or an allocation) code when the datagram does
// not decode.
ITqsSnmpPacket *decode_answer(const uint8_t *bytes, int32_t length, const ITqsSnmpTarget *request,
                              const ITqcNetworkAddress *source, int32_t *result) {
  TqcOwned<ITqsSnmpTarget> target(tqs_create_target_of_kind(request->kind(), result));
  if (!target) return nullptr;
  TqcOwned<ITqsPdu> pdu(tqs_create_pdu(result));
  if (!pdu) return nullptr;
  TqcOwned<ITqsSnmpPacket> packet(tqs_create_packet(result));
  if (!packet) return nullptr;
  CTqsRawPacket raw;
  raw.attach(const_cast<uint8_t *>(bytes), static_cast<size_t>(length), false);
  if ((*result = tqs_translator()->decode(&raw, pdu.get(), target.get(), request->kind())) != QMR_OK) return nullptr;
  if ((*result = target->set_address(source)) != QMR_OK) return nullptr;
  packet->set_pdu(pdu.release());
  packet->set_target(target.release());
  return packet.release();
}

}  // namespace

int32_t RequestSession::send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) {
  snmp_log().write(kLogTrace, "[%s] enter.", kName);
  struct ExitLine {
    ~ExitLine() { snmp_log().write(kLogTrace, "[%s] exit.", kName); }
  } exit_line;
  if (pdu == nullptr || target == nullptr || list == nullptr || target->get_address() == nullptr)
    return QMR_E_INVALID_ARG;
  int32_t rc = open_socket(target);
  if (rc != QMR_OK) return rc;
  if ((rc = m_pSocket->set_broadcast(true)) != QMR_OK) return rc;
  int32_t granted = 0;
  if (m_pSocket->set_receive_buffer(kBroadcastReceiveBuffer, &granted) != QMR_OK || granted < kBroadcastReceiveBuffer)
    snmp_log().write(kLogWarn, "broad cast: receive buffer is %d bytes, asked for %d; answers may be lost.", granted,
                     kBroadcastReceiveBuffer);

  // One encoding: every try sends the same bytes and request id.
  CTqsRawPacket request;
  if ((rc = encode_request(pdu, target, &request, nullptr)) != QMR_OK) return rc;
  TqcOwned<ITqsSnmpPacketList> answers(tqs_create_packet_list(&rc));
  if (!answers) return rc;

  const ITqcNetworkAddress *destination = target->get_address();
  const int32_t timeout = target->get_timeout();
  const int32_t retries = target->get_retries();
  snmp_log().write(kLogInfo, "broad cast: timeout= %d, retries=%d, destination=%s", timeout, retries,
                   destination->get_address());

  CTqcResponderSet responders;
  std::string key;
  uint8_t buffer[kReceiveBufferSize];
  const uint32_t length = static_cast<uint32_t>(request.message_length());
  // -1 asks for no request at all; other negative counts would mean billions
  // of tries, so they send nothing either.
  const uint32_t tries = retries < 0 ? 0 : static_cast<uint32_t>(retries) + 1u;
  for (uint32_t attempt = 0; attempt < tries && rc == QMR_OK; ++attempt) {
    snmp_log().write(kLogDebug, "broad cast: try %d.", static_cast<int32_t>(attempt));
    if ((rc = m_pSocket->send(request.start(), length, destination)) != QMR_OK) break;
    int32_t remaining = timeout;
    uint32_t start = tick_ms();
    while (remaining > 0) {
      int32_t received = 0;
      ITqcNetworkAddress *from = nullptr;
      const int32_t got = m_pSocket->receive(buffer, sizeof buffer, remaining, &received, &from);
      TqcOwned<ITqcNetworkAddress> source(from);
      if (got == QMR_E_TIMEOUT) break;
      if (got != QMR_OK) {
        rc = got;
        break;
      }
      if (tqc_broadcast_accepts(destination, source.get())) {
        bool listed = false;
        if ((rc = responders.contains(source.get(), &listed, &key)) != QMR_OK) {
          snmp_log().write(kLogError, "[%s] fail search_new_packet().", kName);
          break;
        }
        if (!listed) {
          snmp_log().write(kLogDebug, "broad cast: receive from new address:%s", source->get_address());
          int32_t decoded = QMR_OK;
          ITqsSnmpPacket *packet = decode_answer(buffer, received, target, source.get(), &decoded);
          // A datagram that does not decode is no answer; the sender may
          // still answer properly later, so it is not listed.
          if (packet == nullptr) {
            snmp_log().write(kLogDebug, "broad cast: drop undecodable answer from %s (%d).", source->get_address(),
                             decoded);
          } else if (answers->insert_back(packet) == QMR_OK) {
            responders.insert(source.get(), std::move(key));
          } else {
            packet->release();
          }
        }
      }
      const uint32_t now = tick_ms();
      remaining -= static_cast<int32_t>(now - start);
      start = now;
    }
  }
  if (rc != QMR_OK) {
    snmp_log().write(kLogError, "broad cast: error=%d.", rc);
    return rc;
  }
  *list = answers.release();
  return QMR_OK;
}
