// A request that the codec accepts although it is longer than the target's
// maximum is split before anything is sent. The library's own encoder never
// writes past the maximum, so a codec registered for this test lets it
// write into a larger area.
#include <gtest/gtest.h>

#include "session/request_session.h"
#include "session_test_util.h"
#include "snmp/translator.h"
#include "snmp/trans_stream.h"
#include "support/udp_peer.h"

using namespace session_test;

namespace {

constexpr char kPeerIp[] = "127.77.6.4";
constexpr int64_t kRoomyArea = 8192;

// The "TransStream" encoder, writing into an area of kRoomyArea bytes.
class RoomyEncoder final : public ITqsMessageEncoder {
 public:
  RoomyEncoder() : m_inner(tqs_trans_stream_codec()->create_encoder()) {}

#define QMR_FORWARD(name, type) \
  int32_t name(type *value) override { return m_inner->name(value); }
  QMR_FORWARD(visit_oid, ITqsOid)
  QMR_FORWARD(visit_octet_string, ITqsSnmpValue)
  QMR_FORWARD(visit_integer, ITqsSnmpValue)
  QMR_FORWARD(visit_null, ITqsSnmpValue)
  QMR_FORWARD(visit_counter32, ITqsSnmpValue)
  QMR_FORWARD(visit_gauge32, ITqsSnmpValue)
  QMR_FORWARD(visit_time_ticks, ITqsSnmpValue)
  QMR_FORWARD(visit_counter64, ITqsSnmpValue)
  QMR_FORWARD(visit_ip_address, ITqsSnmpValue)
  QMR_FORWARD(visit_ipv6_address, ITqsSnmpValue)
  QMR_FORWARD(visit_udp_address, ITqsSnmpValue)
  QMR_FORWARD(visit_ipx_address, ITqsSnmpValue)
  QMR_FORWARD(visit_exception, ITqsSnmpValue)
  QMR_FORWARD(visit_header, ITqsSnmpTarget)
  QMR_FORWARD(code_packet, ITqsSnmpPacket)
  QMR_FORWARD(code_pdu, ITqsPdu)
  QMR_FORWARD(code_var_bind_list, ITqsVarBindList)
  QMR_FORWARD(code_var_bind, ITqsVarBind)
  QMR_FORWARD(code_request_fields, ITqsPdu)
  QMR_FORWARD(code_v1_trap_header, ITqsPdu)
  QMR_FORWARD(code_v2_trap_header, ITqsPdu)
#undef QMR_FORWARD
  int32_t unsupported() override { return m_inner->unsupported(); }
  void destroy() override { m_inner->destroy(); }
  void release() override {
    m_inner->release();
    delete this;
  }
  int32_t code_message(ITqsPdu *pdu, ITqsSnmpTarget *target) override {
    const int64_t max = target->get_max_message_size();
    target->set_max_message_size(kRoomyArea);
    const int32_t rc = m_inner->code_message(pdu, target);
    target->set_max_message_size(max);
    return rc;
  }
  void set_buffer(CTqsRawPacket *out) override { m_inner->set_buffer(out); }
  uint32_t var_bind_count() const override { return m_inner->var_bind_count(); }

 private:
  ~RoomyEncoder() override = default;
  ITqsMessageEncoder *m_inner;
};

class RoomyCodec final : public ITqsCodec {
 public:
  const char *name() const override { return "RoomyTransStream"; }
  ITqsMessageEncoder *create_encoder(int32_t *result) override {
    if (result) *result = QMR_OK;
    return new RoomyEncoder();
  }
  ITqsMessageDecoder *create_decoder(int32_t *result) override {
    return tqs_trans_stream_codec()->create_decoder(result);
  }
};

// Selects the roomy codec for one test and the built-in one afterwards.
class RoomyCodecSelected {
 public:
  RoomyCodecSelected() {
    static RoomyCodec codec;
    if (tqs_translator()->select(codec.name()) != QMR_OK) tqs_translator()->register_codec(&codec);
  }
  ~RoomyCodecSelected() { tqs_translator()->select(kTqsTransStreamName); }
};

}  // namespace

TEST(RequestSessionOversize, LongRequestSplitsIntoCeilLengthOverMaximumFragments) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo());
  std::vector<std::string> oids;
  for (int i = 1; i <= 12; ++i) oids.push_back("1.3.6.1.4.1.58114.8.2." + std::to_string(i) + ".0");
  auto pdu = big_set_request(oids, 230);
  const size_t whole = WireMessage{0, "public", 0xA3, 0, 0, 0, {}}.encode().size() + 12 * (230 + 3 + 16 + 2 + 2);
  ASSERT_GT(whole, 2 * 1400u);  // three fragments of four varbinds expected

  RoomyCodecSelected roomy;
  TqcOwned<RequestSession> session(tqc_create_request_session());
  auto target = community_target(kPeerIp, peer.port(), 1000, 0, 1400);
  ASSERT_EQ(QMR_OK, session->send_sync(pdu.get(), target.get()));
  const auto sent = peer.received();
  ASSERT_EQ(3u, sent.size());  // never the whole request
  for (const auto &d : sent) {
    WireMessage m;
    ASSERT_TRUE(WireMessage::parse(d.bytes, &m));
    EXPECT_EQ(4u, m.varbinds.size());
    EXPECT_LE(d.bytes.size(), 1400u);
  }
  EXPECT_EQ(12u, count_of(pdu.get()));
  EXPECT_EQ(oids[11], name_at(pdu.get(), 11));
}
