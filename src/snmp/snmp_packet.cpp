#include "snmp/snmp_packet.h"

#include <new>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/pdu.h"
#include "snmp/snmp_target.h"
#include "snmp/value_base.h"

namespace {

class CTqsSnmpPacket final : public ITqsSnmpPacket {
 public:
  CTqsSnmpPacket() = default;
  CTqsSnmpPacket(const CTqsSnmpPacket &) = delete;
  CTqsSnmpPacket &operator=(const CTqsSnmpPacket &) = delete;

  void release() override { delete this; }

  ITqsSnmpPacket *clone(int32_t *result) const override {
    int32_t rc = QMR_OK;
    TqcOwned<CTqsSnmpPacket> copy(new (std::nothrow) CTqsSnmpPacket());
    if (!copy) rc = QMR_E_NO_MEMORY;
    if (rc == QMR_OK && m_pdu) copy->m_pdu.reset(m_pdu->clone(&rc));
    if (rc == QMR_OK && m_target) copy->m_target.reset(m_target->clone(&rc));
    tqs_put_result(result, rc);
    return rc == QMR_OK ? copy.release() : nullptr;
  }

  bool equals(const ITqsSnmpPacket *other) const override {
    if (!other) return false;
    const ITqsPdu *pdu = other->get_pdu();
    const ITqsSnmpTarget *target = other->get_target();
    const bool pdus = (!m_pdu && !pdu) || (m_pdu && pdu && m_pdu->equals(pdu));
    const bool targets = (!m_target && !target) || (m_target && target && m_target->equals(target));
    return pdus && targets;
  }

  int32_t set_target(ITqsSnmpTarget *target) override {
    tqc_replace(m_target, target);
    return QMR_OK;
  }
  int32_t set_pdu(ITqsPdu *pdu) override {
    tqc_replace(m_pdu, pdu);
    return QMR_OK;
  }
  ITqsSnmpTarget *take_target() override { return m_target.release(); }
  ITqsPdu *take_pdu() override { return m_pdu.release(); }
  ITqsSnmpTarget *get_target() const override { return m_target.get(); }
  ITqsPdu *get_pdu() const override { return m_pdu.get(); }

 private:
  ~CTqsSnmpPacket() = default;

  TqcOwned<ITqsPdu> m_pdu;
  TqcOwned<ITqsSnmpTarget> m_target;
};

}  // namespace

ITqsSnmpPacket *tqs_create_packet(int32_t *result) {
  ITqsSnmpPacket *packet = new (std::nothrow) CTqsSnmpPacket();
  tqs_put_result(result, packet ? QMR_OK : QMR_E_NO_MEMORY);
  return packet;
}
