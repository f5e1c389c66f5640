#include "session/v3/v3_request_session.h"

#include <cstdlib>
#include <new>
#include <string>

#include "log/log.h"
#include "net/network_address.h"
#include "qmr.h"
#include "snmp/packet_exchange.h"
#include "snmp/request_id.h"
#include "session/v3/v3_session_factory.h"
#include "session/v3/v3_translation.h"
#include "snmp/object_list.h"
#include "snmp/pdu.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "snmp/user_target.h"

namespace {

const char kSendSyncName[] = "v3RequestSession::send_sync(ITqsSnmpPacket*)";
const char kBroadcastPacketName[] = "v3RequestSession::send_broad_cast_sync(ITqsSnmpPacket*, ITqsSnmpPacketList**)";
const char kBroadcastName[] =
    "v3RequestSession::send_broad_cast_sync(ITqsPdu*, ITqsSnmpTarget*, ITqsSnmpPacketList**)";
const char kInternalName[] = "v3RequestSession::send_sync_internal(ITqsPdu*, ITqsSnmpTarget*)";
const char kEngineIdName[] = "v3RequestSession::get_engine_id_broad_cast";
const char kCallbackName[] = "broadcast_callback";

class CTqcTraceScope {
 public:
  explicit CTqcTraceScope(const char *name) : m_name(name) { snmp_log().write(kLogTrace, "[%s] enter.", m_name); }
  ~CTqcTraceScope() { snmp_log().write(kLogTrace, "[%s] exit.", m_name); }

 private:
  const char *m_name;
};

// Maps a non-zero status of the response loop: the time-out, else the
// session's error number.
int32_t status_result(const char *call, void *sessp, int status) {
  const int32_t rc = tqc_log_session_failure(call, sessp);
  return status == STAT_TIMEOUT ? QMR_E_TIMEOUT : rc;
}

bool engine_known(const std::vector<TqcOwned<ITqsSnmpTarget>> &engines, const std::string &sender) {
  for (const TqcOwned<ITqsSnmpTarget> &engine : engines) {
    const ITqcNetworkAddress *address = engine->get_address();
    if (address != nullptr && sender == address->get_address()) return true;
  }
  return false;
}

// A new engine: a user-based target with the sender's address and engine ID.
void add_engine(std::vector<TqcOwned<ITqsSnmpTarget>> *engines, const std::string &sender, uint16_t port,
                const netsnmp_pdu *pdu) {
  int32_t rc = QMR_OK;
  TqcOwned<CTqsUserTarget> engine(tqs_create_user_target(&rc));
  TqcOwned<ITqcNetworkAddress> address(tqc_create_network_address(sender.c_str(), port, &rc));
  if (!engine || !address || engine->set_address(address.get()) != QMR_OK ||
      engine->set_engine_id(pdu->securityEngineID, static_cast<uint32_t>(pdu->securityEngineIDLen)) != QMR_OK) {
    snmp_log().write(kLogError, "[%s] can't keep the engine of %s.", kCallbackName, sender.c_str());
    return;
  }
  engines->emplace_back(engine.release());
}

// The response callback of the engine-ID probe: every sender within the
// time-out is kept once; the wait ends only with the time-out.
int broadcast_callback(int operation, netsnmp_session *session, int reqid, netsnmp_pdu *pdu, void *magic) {
  CTqcTraceScope trace(kCallbackName);
  auto *state = static_cast<STqcSynchState *>(magic);
  auto *engines = static_cast<std::vector<TqcOwned<ITqsSnmpTarget>> *>(state->data);
  if (pdu != nullptr && reqid != state->reqid && pdu->command != SNMP_MSG_REPORT) return 0;
  switch (operation) {
    case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE: {
      std::string sender;
      uint16_t port = 0;
      if (pdu != nullptr && pdu->securityEngineIDLen != 0 &&
          tqc_v3_sender_text(pdu->transport_data, pdu->transport_data_length, &sender, &port) &&
          !engine_known(*engines, sender)) {
        snmp_log().write(kLogDebug, "[%s] engine at %s.", kCallbackName, sender.c_str());
        add_engine(engines, sender, port, pdu);
      }
      // The library adopts the first engine ID it sees for the session and
      // would then drop the answers of the other engines.
      if (session->securityEngineIDLen != 0) {
        std::free(session->securityEngineID);
        session->securityEngineID = nullptr;
        session->securityEngineIDLen = 0;
      }
      return 0;  // keeps the request waiting for more answers
    }
    case NETSNMP_CALLBACK_OP_TIMED_OUT:
      state->waiting = 0;
      state->finished = true;
      if (engines->empty()) {
        state->status = STAT_TIMEOUT;
        session->s_snmp_errno = SNMPERR_TIMEOUT;
      } else {
        state->status = STAT_SUCCESS;
      }
      return 1;
    case NETSNMP_CALLBACK_OP_DISCONNECT:
      state->waiting = 0;
      state->finished = true;
      state->status = STAT_ERROR;
      session->s_snmp_errno = SNMPERR_ABORT;
      return 1;
    default:
      // The library reports a Report it cannot use as a security error;
      // the other engines may still answer, so the collection goes on.
      return 1;
  }
}

bool skipped_engine(int32_t rc) {
  return rc == QMR_E_DECODE || rc == QMR_E_SECURITY || rc == QMR_E_RECEIVE || rc == QMR_E_TIMEOUT;
}

}  // namespace

ITqsSnmpSession *tqc_create_v3_request_session(int32_t *result) {
  ITqsSnmpSession *session = new (std::nothrow) v3RequestSession();
  if (result != nullptr) *result = session ? QMR_OK : QMR_E_NO_MEMORY;
  return session;
}

void v3RequestSession::release() { delete this; }

int32_t v3RequestSession::reserved() { return QMR_E_NOT_SUPPORTED; }

int32_t v3RequestSession::send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  CTqcTraceScope trace(kSendSyncName);
  CTqcSnmpLibraryUse library;
  return send_sync_internal(pdu, target);
}

int32_t v3RequestSession::send_sync(ITqsSnmpPacket *packet) {
  CTqcTraceScope trace(kSendSyncName);
  return tqs_exchange_packet(packet, [this](ITqsPdu *pdu, ITqsSnmpTarget *target) { return send_sync(pdu, target); });
}

int32_t v3RequestSession::send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) {
  CTqcTraceScope trace(kBroadcastPacketName);
  return tqs_exchange_packet(packet, [this, list](ITqsPdu *pdu, ITqsSnmpTarget *target) {
    return send_broad_cast_sync(pdu, target, list);
  });
}

int32_t v3RequestSession::send_sync_internal(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  CTqcTraceScope trace(kInternalName);
  if (pdu == nullptr || target == nullptr) return QMR_E_INVALID_ARG;
  pdu->set_request_id(static_cast<int32_t>(tqs_next_request_id()));

  // Checked before anything is opened, so that a bad request sends nothing.
  netsnmp_pdu *request = nullptr;
  CTqcV3LibrarySession library;
  int32_t rc = library.open(target, true);
  if (rc == QMR_OK) rc = tqc_v3_build_request(pdu, &request);
  if (rc != QMR_OK) return rc;

  STqcSynchState state;
  const int status = tqc_snmp_sess_synch_response_cb(library.handle(), request, tqc_snmp_synch_input, &state);
  int32_t error = QMR_OK;
  if (status != STAT_SUCCESS) error = status_result("snmp_synch_response", library.handle(), status);
  if (state.pdu == nullptr) {
    rc = error != QMR_OK ? error : QMR_E_RECEIVE;
  } else {
    rc = tqc_v3_translate_response(state.pdu, pdu, target);
    if (error != QMR_OK) rc = error;
  }
  snmp_free_pdu(state.pdu);
  return rc;
}

int32_t v3RequestSession::get_engine_id_broad_cast(ITqsSnmpTarget *target,
                                                   std::vector<TqcOwned<ITqsSnmpTarget>> *engines) {
  CTqcTraceScope trace(kEngineIdName);
  if (target == nullptr || engines == nullptr) return QMR_E_INVALID_ARG;
  int32_t rc = QMR_OK;
  TqcOwned<ITqsPdu> pdu(tqs_create_pdu(&rc));
  if (!pdu) return rc;
  pdu->set_request_id(static_cast<int32_t>(tqs_next_request_id()));
  CTqcV3LibrarySession library;
  // No probe of its own: the probe below is the broadcast.
  rc = library.open(target, false);
  if (rc != QMR_OK) return rc;
  netsnmp_pdu *probe = nullptr;
  rc = tqc_v3_build_probe_pdu(&probe);
  if (rc != QMR_OK) return rc;
  probe->reqid = tqc_v3_request_id(pdu->get_request_id());
  library.session()->flags |= SNMP_FLAGS_DONT_PROBE;

  STqcSynchState state;
  state.data = engines;
  library.session()->callback = broadcast_callback;
  library.session()->callback_magic = &state;
  const int status = tqc_snmp_sess_synch_response_cb(library.handle(), probe, broadcast_callback, &state, true);
  if (status != STAT_SUCCESS) rc = status_result("snmp_sess_synch_response_cb", library.handle(), status);
  snmp_free_pdu(state.pdu);
  // Closed while the wait state it points at still exists.
  library.close();
  // The time-out ends every collection: what answered is in the list.
  return rc == QMR_E_TIMEOUT ? QMR_OK : rc;
}

int32_t v3RequestSession::send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) {
  CTqcTraceScope trace(kBroadcastName);
  if (pdu == nullptr || target == nullptr || list == nullptr) return QMR_E_INVALID_ARG;
  *list = nullptr;
  CTqcSnmpLibraryUse library;
  std::vector<TqcOwned<ITqsSnmpTarget>> engines;
  int32_t rc = get_engine_id_broad_cast(target, &engines);
  if (rc != QMR_OK) return rc;

  TqcOwned<ITqsSnmpPacketList> packets(tqs_create_packet_list(&rc));
  if (!packets) return rc;
  for (const TqcOwned<ITqsSnmpTarget> &engine : engines) {
    TqcOwned<ITqsSnmpTarget> request_target(target->clone(&rc));
    if (!request_target) return rc;
    ITqsUserSecurity *security = tqs_user_security_of(request_target.get());
    ITqsUserSecurity *found = tqs_user_security_of(engine.get());
    if (security == nullptr || found == nullptr) return QMR_E_INVALID_ARG;
    uint32_t engine_length = 0;
    const uint8_t *engine_id = found->get_engine_id(&engine_length);
    if ((rc = request_target->set_address(engine->get_address())) != QMR_OK ||
        (rc = security->set_engine_id(engine_id, engine_length)) != QMR_OK)
      return rc;
    TqcOwned<ITqsPdu> request(pdu->clone(&rc));
    if (!request) return rc;
    rc = send_sync_internal(request.get(), request_target.get());
    if (rc == QMR_OK) {
      TqcOwned<ITqsSnmpPacket> packet(tqs_create_packet(&rc));
      if (!packet) return rc;
      if ((rc = packet->set_pdu(request.get())) != QMR_OK) return rc;
      request.release();
      if ((rc = packet->set_target(request_target.get())) != QMR_OK) return rc;
      request_target.release();
      if ((rc = packets->insert_back(packet.get())) != QMR_OK) return rc;
      packet.release();
    } else if (skipped_engine(rc)) {
      snmp_log().write(kLogInfo, "[%s] engine at %s left out: %d.", kBroadcastName,
                       engine->get_address() ? engine->get_address()->get_address() : "", rc);
    } else {
      return rc;
    }
  }
  *list = packets.release();
  return QMR_OK;
}
