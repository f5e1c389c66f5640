// The broadcast exchange of the request session. Until discovery is built it
// answers -5 (not supported); unicast exchanges do not depend on it.
#include "log/log.h"
#include "qmr.h"
#include "session/request_session.h"

int32_t RequestSession::send_broad_cast_sync(ITqsPdu *, ITqsSnmpTarget *, ITqsSnmpPacketList **) {
  static const char kName[] = "RequestSession::send_broad_cast_sync";
  snmp_log().write(kLogTrace, "[%s] enter.", kName);
  snmp_log().write(kLogTrace, "[%s] exit.", kName);
  return QMR_E_NOT_SUPPORTED;
}
