#include "session/find_device.h"

#include <new>

#include "net/owned.h"
#include "qmr.h"
#include "session/facade_state.h"
#include "session/session_dispatcher.h"

namespace {

class CTqcFindDeviceSnmp final : public ITqcFindDeviceSnmp, private CTqcFacadeState {
 public:
  CTqcFindDeviceSnmp() = default;
  CTqcFindDeviceSnmp(const CTqcFindDeviceSnmp &) = delete;
  CTqcFindDeviceSnmp &operator=(const CTqcFindDeviceSnmp &) = delete;

  void destroy() override { delete this; }
  int32_t set_community(const char *community) override { return CTqcFacadeState::set_community(community); }
  int32_t init(const char *address, EProtocol protocol, uint16_t port, int32_t version, const STqcUsmRecord *usm,
               int32_t timeout_ms, int32_t retries, uint32_t max_message_size) override {
    return CTqcFacadeState::init(address, protocol, port, version, usm, timeout_ms, retries, max_message_size);
  }
  // Discovery asks for scalars only, so the instance is always added.
  int32_t add_oid_string(const char *oid, int32_t) override { return CTqcFacadeState::add_oid_string(oid, true); }
  int32_t send_broad_cast(ITqsSnmpPacketList **answers) override;
  int32_t protocol_of(const char *address, EProtocol *protocol) override {
    return CTqcFacadeState::protocol_of(address, protocol);
  }

 private:
  ~CTqcFindDeviceSnmp() override = default;
};

int32_t CTqcFindDeviceSnmp::send_broad_cast(ITqsSnmpPacketList **answers) {
  ITqsSnmpTarget *destination = target();
  if (answers == nullptr || !m_pPdu || destination == nullptr) return QMR_E_INVALID_ARG;
  m_pPdu->set_type(kTqsGetRequest);
  int32_t rc = QMR_OK;
  TqcOwned<SessionDispatcher> dispatcher(tqc_create_session_dispatcher(&rc));
  if (!dispatcher) return rc;
  ITqsSnmpPacketList *collected = nullptr;
  rc = dispatcher->send_broad_cast_sync(m_pPdu.get(), destination, &collected);
  if (rc != QMR_OK) return rc;
  *answers = collected;
  return QMR_OK;
}

}  // namespace

ITqcFindDeviceSnmp *tqc_create_find_device_snmp(int32_t *result) {
  ITqcFindDeviceSnmp *facade = new (std::nothrow) CTqcFindDeviceSnmp();
  if (result != nullptr) *result = facade ? QMR_OK : QMR_E_NO_MEMORY;
  return facade;
}
