// Where net-snmp is absent (most Windows builds) this takes the SNMPv3
// session's place: every exchange with a user-based target answers -5.
#include <new>

#include "qmr.h"
#include "session/v3/v3_session_factory.h"

namespace {

class CTqcV3Unavailable final : public ITqsSnmpSession {
 public:
  void release() override { delete this; }
  int32_t send_sync(ITqsPdu *, ITqsSnmpTarget *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_sync(ITqsSnmpPacket *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_broad_cast_sync(ITqsSnmpPacket *, ITqsSnmpPacketList **list) override { return refuse(list); }
  int32_t send_broad_cast_sync(ITqsPdu *, ITqsSnmpTarget *, ITqsSnmpPacketList **list) override {
    return refuse(list);
  }
  int32_t reserved() override { return QMR_E_NOT_SUPPORTED; }

 private:
  // Callers must not find a stale list behind a failure.
  static int32_t refuse(ITqsSnmpPacketList **list) {
    if (list != nullptr) *list = nullptr;
    return QMR_E_NOT_SUPPORTED;
  }
};

}  // namespace

ITqsSnmpSession *tqc_create_v3_request_session(int32_t *result) {
  ITqsSnmpSession *session = new (std::nothrow) CTqcV3Unavailable();
  if (result != nullptr) *result = session != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return session;
}
