// Stand-in for the SNMPv3 session until it is built: every exchange answers
// -5, so user-based targets are refused cleanly by the dispatcher's callers.
#include <new>

#include "qmr.h"
#include "session/v3_session_factory.h"

namespace {

class CTqcV3SessionStub final : public ITqsSnmpSession {
 public:
  void release() override { delete this; }
  int32_t send_sync(ITqsPdu *, ITqsSnmpTarget *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_sync(ITqsSnmpPacket *) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_broad_cast_sync(ITqsSnmpPacket *, ITqsSnmpPacketList **) override { return QMR_E_NOT_SUPPORTED; }
  int32_t send_broad_cast_sync(ITqsPdu *, ITqsSnmpTarget *, ITqsSnmpPacketList **) override {
    return QMR_E_NOT_SUPPORTED;
  }
  int32_t reserved() override { return QMR_E_NOT_SUPPORTED; }
};

}  // namespace

ITqsSnmpSession *tqc_create_v3_request_session(int32_t *result) {
  ITqsSnmpSession *session = new (std::nothrow) CTqcV3SessionStub();
  if (result != nullptr) *result = session ? QMR_OK : QMR_E_NO_MEMORY;
  return session;
}
