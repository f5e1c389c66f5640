// Decodes arbitrary datagrams twice: into fresh objects, and into a PDU that
// already holds varbinds of other types (the session's reuse path), then
// encodes what was decoded. Looks only at the datagram's bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_value.h"
#include "snmp/translator.h"

namespace {

struct Releaser {
  template <typename T>
  void operator()(T *p) const {
    p->release();
  }
};

// An exact-size heap copy, so that any read past the end is caught.
std::unique_ptr<uint8_t[]> copy_of(const uint8_t *data, size_t size) {
  std::unique_ptr<uint8_t[]> c(new uint8_t[size ? size : 1]);
  if (size) memcpy(c.get(), data, size);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  ITqsTranslator *front = tqs_translator();
  std::unique_ptr<uint8_t[]> bytes = copy_of(data, size);
  CTqsRawPacket in;
  in.attach(bytes.get(), size, false);

  std::unique_ptr<ITqsSnmpPacket, Releaser> packet(tqs_create_packet());
  int32_t rc = front->decode_packet(&in, packet.get(), kTqsCommunityKind);
  if (rc == QMR_OK) {
    packet->get_target()->set_max_message_size(static_cast<int64_t>(size) + 64);
    CTqsRawPacket out;
    uint32_t count = 0;
    front->encode_packet(packet.get(), &out, &count);
  }

  std::unique_ptr<ITqsPdu, Releaser> pdu(tqs_create_pdu());
  pdu->append_new_var_bind(tqs_create_oid_from_text("1.3.6.1.2.1.1.1.0"), tqs_create_number_value(kTqsInteger, 1));
  pdu->append_new_var_bind(tqs_create_oid_from_text("1.3.6.1.2.1.1.2.0"), nullptr);
  std::unique_ptr<ITqsSnmpTarget, Releaser> target(tqs_create_community_target());
  target->set_version(kTqsSnmpV1);
  front->decode(&in, pdu.get(), target.get(), kTqsCommunityKind);
  return 0;
}
