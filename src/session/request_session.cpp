#include "session/request_session.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <new>

#include "log/log.h"
#include "log/logger.h"
#include "net/datagram_socket.h"
#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "snmp/packet_exchange.h"
#include "snmp/request_id.h"
#include "snmp/object_list.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "snmp/translator.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr int32_t kErrorTooBig = 1;

// Millisecond tick; differences are taken in unsigned 32 bits, so a wrap is harmless.
uint32_t tick_ms() {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

uint32_t var_bind_count(const ITqsPdu *pdu) {
  const ITqsVarBindList *list = pdu->get_var_bind_list();
  return list != nullptr ? list->count() : 0;
}

// The snmp logger's level mask, read once per exchange: an exchange has
// several lines that are off in normal use, and each write would check it
// again through the logger.
uint32_t snmp_levels() { return snmp_log().logger()->get_level_mask(); }

uint32_t ceil_div(uint64_t n, uint64_t d) { return static_cast<uint32_t>((n + d - 1) / d); }

// Same text, protocol and port: the cheap test that spares a copy into the
// target when the responder is the address the request went to.
bool same_endpoint(const ITqcNetworkAddress *a, const ITqcNetworkAddress *b) {
  return a != nullptr && b != nullptr && a->get_protocol() == b->get_protocol() &&
         a->get_port() == b->get_port() && std::strcmp(a->get_address(), b->get_address()) == 0;
}

}  // namespace

RequestSession *tqc_create_request_session(int32_t *result) {
  RequestSession *session = new (std::nothrow) RequestSession();
  if (result != nullptr) *result = session ? QMR_OK : QMR_E_NO_MEMORY;
  return session;
}

namespace {

// The encoder's area is as large as the largest message (tens of KiB), and
// a session lasts one walk; one area is kept here for the next session
// instead of being allocated and freed with each. Never destroyed, so a
// session ending late in the program's exit still finds it.
std::atomic<CTqsRawPacket *> g_spareRequest{nullptr};

CTqsRawPacket *take_request_area() {
  CTqsRawPacket *spare = g_spareRequest.exchange(nullptr, std::memory_order_acquire);
  return spare != nullptr ? spare : new (std::nothrow) CTqsRawPacket();
}

void keep_request_area(CTqsRawPacket *area) {
  CTqsRawPacket *none = nullptr;
  if (!g_spareRequest.compare_exchange_strong(none, area, std::memory_order_acq_rel)) delete area;
}

}  // namespace

RequestSession::~RequestSession() {
  close_socket();
  if (m_pRequest != nullptr) keep_request_area(m_pRequest);
}

void RequestSession::release() { delete this; }

int32_t RequestSession::reserved() { return QMR_E_NOT_SUPPORTED; }

void RequestSession::close_socket() {
  if (m_pSocket != nullptr) {
    m_pSocket->release();
    m_pSocket = nullptr;
  }
}

int32_t RequestSession::open_socket(const ITqsSnmpTarget *target) {
  close_socket();
  const ITqcNetworkAddress *address = target->get_address();
  return create_datagram_socket(address->get_protocol(), target->get_port(), &m_pSocket);
}

int32_t RequestSession::encode_request(ITqsPdu *pdu, ITqsSnmpTarget *target, CTqsRawPacket *raw, uint32_t *fitted) {
  pdu->set_request_id(static_cast<int32_t>(tqs_next_request_id()));
  return tqs_translator()->encode(pdu, target, raw, fitted);
}

int32_t RequestSession::send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  static const char kName[] = "RequestSession::send_sync";
  const uint32_t levels = snmp_levels();
  if ((levels & kLogTrace) != 0) snmp_log().write(kLogTrace, "[%s] enter.", kName);
  int32_t rc = QMR_E_INVALID_ARG;
  if (pdu != nullptr && target != nullptr && target->get_address() != nullptr) {
    rc = open_socket(target);
    if (rc == QMR_OK) {
      uint32_t fragments = 0;
      rc = _send_and_receive(pdu, target, &fragments);
      // A GetBulkRequest's answer interleaves its columns, so fragments'
      // answers could not be merged: its sender asks for fewer rows instead.
      if (fragments != 0 && pdu->get_type() != kTqsGetBulkRequest) rc = fragment_process(pdu, target, fragments);
    }
  }
  if ((levels & kLogTrace) != 0) snmp_log().write(kLogTrace, "[%s] exit.", kName);
  return rc;
}

int32_t RequestSession::send_sync(ITqsSnmpPacket *packet) {
  return tqs_exchange_packet(packet, [this](ITqsPdu *pdu, ITqsSnmpTarget *target) { return send_sync(pdu, target); });
}

int32_t RequestSession::send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) {
  return tqs_exchange_packet(packet, [this, list](ITqsPdu *pdu, ITqsSnmpTarget *target) {
    return send_broad_cast_sync(pdu, target, list);
  });
}

int32_t RequestSession::_send_and_receive(ITqsPdu *pdu, ITqsSnmpTarget *target, uint32_t *fragments) {
  *fragments = 0;
  if (pdu == nullptr || target == nullptr) return QMR_E_INVALID_ARG;

  // One encoding per request: every try sends the same bytes and id.
  if (m_pRequest == nullptr) {
    m_pRequest = take_request_area();
    if (m_pRequest == nullptr) return QMR_E_NO_MEMORY;
  }
  CTqsRawPacket &request = *m_pRequest;
  uint32_t fitted = 0;
  int32_t rc = encode_request(pdu, target, &request, &fitted);
  if (rc == QMR_E_MESSAGE_SIZE) {
    const uint32_t count = var_bind_count(pdu);
    // Nothing fitted: not even the last varbind fits alone, so no split can help.
    if (fitted == 0) return QMR_E_CANNOT_SPLIT;
    *fragments = count == fitted ? 2 : ceil_div(count, fitted);
    return QMR_E_MESSAGE_SIZE;
  }
  if (rc != QMR_OK) return rc;
  const uint32_t length = static_cast<uint32_t>(request.message_length());
  const int64_t max_size = target->get_max_message_size();
  if (max_size > 0 && length > static_cast<uint64_t>(max_size)) {
    *fragments = ceil_div(length, static_cast<uint64_t>(max_size));
    return QMR_E_MESSAGE_SIZE;
  }

  const int32_t timeout = target->get_timeout();
  const uint32_t retries = static_cast<uint32_t>(target->get_retries());
  const ITqcNetworkAddress *destination = target->get_address();
  const int32_t version = target->get_version();
  const uint32_t levels = snmp_levels();
  if ((levels & kLogInfo) != 0)
    snmp_log().write(kLogInfo, "_send_and_receive(): timeout= %d, retries=%d", timeout, static_cast<int32_t>(retries));

  // Nothing sent or nothing waited for is never a success.
  rc = QMR_E_TIMEOUT;
  TqcOwned<ITqcNetworkAddress> responder;
  bool answered_by_destination = false;
  uint8_t buffer[kReceiveBufferSize];
  bool done = false;
  for (uint32_t attempt = 0; attempt < retries + 1u && !done; ++attempt) {
    if ((levels & kLogDebug) != 0)
      snmp_log().write(kLogDebug, "_send_and_receive(): try %d, destination=%s", static_cast<int32_t>(attempt),
                     destination->get_address());
    rc = m_pSocket->send(request.start(), length, destination);
    if (rc != QMR_OK) return rc;
    // A try that saw only unacceptable datagrams reports the last reason.
    int32_t dropped = QMR_E_TIMEOUT;
    rc = QMR_E_TIMEOUT;
    int32_t remaining = timeout;
    uint32_t start = tick_ms();
    while (remaining > 0) {
      int32_t received = 0;
      ITqcNetworkAddress *source = nullptr;
      // An answer from the destination itself comes without an address
      // object (from_destination): it is the destination's address.
      bool from_destination = false;
      const int32_t got =
          m_pSocket->receive_from(buffer, sizeof(buffer), remaining, &received, destination, &source, &from_destination);
      TqcOwned<ITqcNetworkAddress> sender(source);
      if (got == QMR_E_TIMEOUT) {
        snmp_log().write(kLogError, "_send_and_receive(): receive timeout.");
        rc = dropped;
        break;
      }
      if (got != QMR_OK) {
        snmp_log().write(kLogError, "_send_and_receive(): error=%d.", got);
        return got;
      }
      if ((levels & kLogDebug) != 0)
        snmp_log().write(kLogDebug, "_send_and_receive(): receive from %s",
                         sender ? sender->get_address() : (from_destination ? destination->get_address() : ""));
      CTqsRawPacket raw;
      raw.attach(buffer, static_cast<size_t>(received), false);
      rc = check_received_raw_packet(pdu, target, &raw);
      if (rc == QMR_E_TOO_BIG) {
        snmp_log().write(kLogDebug, "_send_and_receive(): receive packet is too big.");
        done = true;
        break;
      }
      if (rc == QMR_OK) {
        rc = tqs_translator()->decode(&raw, pdu, target, target->kind());
        // An answer in another SNMP version than the request's is no answer to it.
        if (rc == QMR_OK && target->get_version() != version) {
          target->set_version(version);
          rc = QMR_E_DECODE;
        }
        if (rc != QMR_E_DECODE) {
          if (rc == QMR_OK) {
            responder = std::move(sender);
            answered_by_destination = from_destination;
          }
          done = true;
          break;
        }
      } else if (rc != QMR_E_WRONG_REQUEST_ID && rc != QMR_E_DECODE) {
        return rc;
      }
      // Dropped: the rest of this try's time-out still applies.
      dropped = rc;
      const uint32_t now = tick_ms();
      remaining -= static_cast<int32_t>(now - start);
      start = now;
    }
  }
  if (rc == QMR_OK && !answered_by_destination && responder && !same_endpoint(responder.get(), destination)) {
    const int32_t set = target->set_address(responder.get());
    if (set != QMR_OK) return set;
  }
  if (rc == QMR_E_TOO_BIG) *fragments = 2;
  return rc;
}

int32_t RequestSession::check_received_raw_packet(ITqsPdu *pdu, ITqsSnmpTarget *target, CTqsRawPacket *raw) {
  int32_t error_status = 0;
  int32_t request_id = 0;
  const int32_t rc = tqs_translator()->peek(raw, &error_status, &request_id, target->kind());
  if (rc != QMR_OK) return rc;
  if (request_id == pdu->get_request_id()) return error_status == kErrorTooBig ? QMR_E_TOO_BIG : QMR_OK;
  snmp_log().write(kLogDebug,
                   "[RequestSession::check_received_raw_packet] request id not match. sended packet[%ud]:received "
                   "packet[%ud].",
                   static_cast<uint32_t>(pdu->get_request_id()), static_cast<uint32_t>(request_id));
  return QMR_E_WRONG_REQUEST_ID;
}

ITqsPduList *RequestSession::fragment_pdu(ITqsPdu *pdu, uint32_t count, int32_t *result) {
  TqcOwned<ITqsVarBindList> all(pdu->take_var_bind_list());
  const uint32_t total = all ? all->count() : 0;
  const uint32_t base = count != 0 ? total / count : 0;
  const uint32_t extra = count != 0 ? total % count : 0;
  if (base == 0) {
    snmp_log().write(kLogError, "[RequestSession::fragment_pdu] can't fragment the packet[%d] any more.",
                     pdu->get_request_id());
    // The caller keeps its request.
    pdu->set_var_bind_list(all.release());
    *result = QMR_E_CANNOT_SPLIT;
    return nullptr;
  }
  int32_t rc = QMR_OK;
  TqcOwned<ITqsPduList> fragments(tqs_create_pdu_list(&rc));
  if (!fragments) {
    pdu->set_var_bind_list(all.release());
    *result = rc;
    return nullptr;
  }
  for (uint32_t i = 0; i < count; ++i) {
    TqcOwned<ITqsPdu> fragment(tqs_create_pdu(&rc));
    if (!fragment || (rc = fragment->copy_header(pdu)) != QMR_OK) {
      *result = rc;
      return nullptr;
    }
    TqcOwned<ITqsVarBindList> part(all->take_front(base + (i < extra ? 1 : 0), &rc));
    if (!part || (rc = fragment->set_var_bind_list(part.get())) != QMR_OK) {
      *result = rc;
      return nullptr;
    }
    part.release();
    if ((rc = fragments->insert_back(fragment.get())) != QMR_OK) {
      *result = rc;
      return nullptr;
    }
    fragment.release();
  }
  const uint32_t left = all->count();
  pdu->set_var_bind_list(all.release());
  if (left != 0) {
    snmp_log().write(kLogError, "[RequestSession::fragment_pdu] vb size of a fragmented packet is zero.");
    *result = QMR_E_FAILED;
    return nullptr;
  }
  *result = QMR_OK;
  return fragments.release();
}

int32_t RequestSession::fragment_process(ITqsPdu *pdu, ITqsSnmpTarget *target, uint32_t count) {
  int32_t rc = QMR_OK;
  TqcOwned<ITqsPduList> fragments(fragment_pdu(pdu, count, &rc));
  if (!fragments) return rc;
  snmp_log().write(kLogInfo, "[RequestSession::fragment_process] packet[%d] is fragmented to %d.",
                   pdu->get_request_id(), static_cast<int32_t>(fragments->count()));

  TqcOwned<ITqsListIterator> it(fragments->new_iterator(&rc));
  if (!it) return rc;
  for (ITqsPdu *fragment; (fragment = fragments->element_at(it.get())) != nullptr; fragments->step(it.get())) {
    uint32_t split = 0;
    rc = _send_and_receive(fragment, target, &split);
    // Recursion ends at the latest when a fragment would hold no varbind.
    if (split != 0) rc = fragment_process(fragment, target, split);
    if (rc != QMR_OK) return rc;
  }

  // Merge: the first error reported wins, its index counted over the whole request.
  int32_t error_status = 0;
  int64_t error_index = 0;
  int64_t offset = 0;
  bool first = true;
  fragments->reset_iterator(it.get());
  for (ITqsPdu *fragment; (fragment = fragments->element_at(it.get())) != nullptr; fragments->step(it.get())) {
    if (first) {
      pdu->set_type(fragment->get_type());
      first = false;
    }
    if (error_status == 0 && fragment->get_error_status() != 0) {
      error_status = fragment->get_error_status();
      error_index = offset + fragment->get_error_index();
    }
    const uint32_t n = var_bind_count(fragment);
    for (uint32_t i = 0; i < n; ++i) {
      ITqsVarBind *var_bind = fragment->take_first_var_bind();
      if ((rc = pdu->append_var_bind(var_bind)) != QMR_OK) {
        var_bind->release();
        return rc;
      }
    }
    offset += n;
  }
  pdu->set_error_status(error_status);
  pdu->set_error_index(error_index);
  return QMR_OK;
}
