// The codec front and the "TransStream" codec behind it.
#include "snmp/translator.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/pdu.h"
#include "snmp/raw_packet.h"
#include "snmp/snmp_packet.h"
#include "snmp/snmp_target.h"
#include "snmp/trans_stream.h"

namespace {

class TransStreamCodec final : public ITqsCodec {
 public:
  const char *name() const override { return kTqsTransStreamName; }

  ITqsMessageEncoder *create_encoder(int32_t *result) override {
    ITqsMessageEncoder *e = new (std::nothrow) TransStreamEncoder();
    if (result) *result = e ? QMR_OK : QMR_E_NO_MEMORY;
    return e;
  }

  ITqsMessageDecoder *create_decoder(int32_t *result) override {
    ITqsMessageDecoder *d = new (std::nothrow) TransStreamDecoder();
    if (result) *result = d ? QMR_OK : QMR_E_NO_MEMORY;
    return d;
  }
};

// Releases an encoder or decoder when the operation ends.
template <typename T>
using CoderPtr = TqcOwned<T>;

// The selection is process-wide and unlocked: it is made at start-up.
class CTqsTranslator final : public ITqsTranslator {
 public:
  CTqsTranslator() {
    // The built-in codec is part of the front, so that no link order or
    // static initialisation order can leave it unregistered.
    m_codecs.reserve(4);
    register_codec(tqs_trans_stream_codec());
  }

  int32_t select(const char *name) override {
    if (name == nullptr) {
      m_pSelected = nullptr;
      return QMR_OK;
    }
    for (ITqsCodec *c : m_codecs) {
      if (strcmp(c->name(), name) == 0) {
        m_pSelected = c;
        return QMR_OK;
      }
    }
    return QMR_E_INVALID_ARG;
  }

  const char *name() const override { return m_pSelected ? m_pSelected->name() : ""; }

  int32_t encode(ITqsPdu *pdu, ITqsSnmpTarget *target, CTqsRawPacket *out, uint32_t *count) override {
    if (m_pSelected == nullptr) return QMR_E_NO_DEVICE;
    if (pdu == nullptr || target == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
    return run_encoder(out, count, [&](ITqsMessageEncoder *e) { return e->code_message(pdu, target); });
  }

  int32_t encode_packet(ITqsSnmpPacket *packet, CTqsRawPacket *out, uint32_t *count) override {
    if (m_pSelected == nullptr) return QMR_E_NO_DEVICE;
    if (packet == nullptr || out == nullptr) return QMR_E_INVALID_ARG;
    return run_encoder(out, count, [&](ITqsMessageEncoder *e) { return e->code_packet(packet); });
  }

  int32_t decode(const CTqsRawPacket *in, ITqsPdu *pdu, ITqsSnmpTarget *target, int32_t translate_type) override {
    if (m_pSelected == nullptr) return QMR_E_NO_DEVICE;
    if (in == nullptr || pdu == nullptr || target == nullptr) return QMR_E_INVALID_ARG;
    return run_decoder(in, translate_type, false, [&](ITqsMessageDecoder *d) { return d->code_message(pdu, target); });
  }

  int32_t decode_packet(const CTqsRawPacket *in, ITqsSnmpPacket *packet, int32_t translate_type) override {
    if (m_pSelected == nullptr) return QMR_E_NO_DEVICE;
    if (in == nullptr || packet == nullptr) return QMR_E_INVALID_ARG;
    return run_decoder(in, translate_type, false, [&](ITqsMessageDecoder *d) { return d->code_packet(packet); });
  }

  int32_t peek(const CTqsRawPacket *in, int32_t *error_status, int32_t *request_id, int32_t translate_type) override {
    if (m_pSelected == nullptr) return QMR_E_NO_DEVICE;
    if (in == nullptr || error_status == nullptr || request_id == nullptr) return QMR_E_INVALID_ARG;
    int32_t rc = QMR_OK;
    const bool reusable = translate_type == kTqsCommunityKind && m_pSelected == tqs_trans_stream_codec();
    ITqsSnmpPacket *packet = reusable ? take_spare_packet() : nullptr;
    if (packet == nullptr) packet = tqs_create_packet(&rc);
    if (packet == nullptr) return rc;
    rc = run_decoder(in, translate_type, true, [&](ITqsMessageDecoder *d) { return d->code_packet(packet); });
    if (rc == QMR_OK) {
      ITqsPdu *pdu = packet->get_pdu();
      *error_status = pdu->get_error_status();
      *request_id = pdu->get_request_id();
    }
    if (reusable) {
      keep_spare_packet(packet);
    } else {
      packet->release();
    }
    return rc;
  }

  ~CTqsTranslator() override {
    ITqsSnmpPacket *spare = m_pSparePacket.exchange(nullptr);
    if (spare != nullptr) spare->release();
  }

  int32_t register_codec(ITqsCodec *codec) override {
    if (codec == nullptr || codec->name() == nullptr) return QMR_E_INVALID_ARG;
    for (ITqsCodec *c : m_codecs) {
      if (strcmp(c->name(), codec->name()) == 0) return QMR_E_INVALID_ARG;
    }
    try {
      m_codecs.push_back(codec);
    } catch (const std::bad_alloc &) {
      return QMR_E_NO_MEMORY;
    }
    m_pSelected = codec;
    return QMR_OK;
  }

 private:
  // The built-in codec's coders live on the stack, which spares an
  // allocation per message; other codecs make theirs.
  template <typename F>
  int32_t run_encoder(CTqsRawPacket *out, uint32_t *count, F body) {
    if (m_pSelected == tqs_trans_stream_codec()) {
      TransStreamEncoder e;
      return encode_with(&e, out, count, body);
    }
    int32_t rc = QMR_OK;
    CoderPtr<ITqsMessageEncoder> e(m_pSelected->create_encoder(&rc));
    if (!e) return rc;
    return encode_with(e.get(), out, count, body);
  }

  template <typename F>
  static int32_t encode_with(ITqsMessageEncoder *e, CTqsRawPacket *out, uint32_t *count, F body) {
    e->set_buffer(out);
    int32_t rc = body(e);
    if (count) *count = e->var_bind_count();
    return rc;
  }

  template <typename F>
  int32_t run_decoder(const CTqsRawPacket *in, int32_t translate_type, bool header_only, F body) {
    if (m_pSelected == tqs_trans_stream_codec()) {
      TransStreamDecoder d;
      return decode_with(&d, in, translate_type, header_only, body);
    }
    int32_t rc = QMR_OK;
    CoderPtr<ITqsMessageDecoder> d(m_pSelected->create_decoder(&rc));
    if (!d) return rc;
    return decode_with(d.get(), in, translate_type, header_only, body);
  }

  template <typename F>
  static int32_t decode_with(ITqsMessageDecoder *d, const CTqsRawPacket *in, int32_t translate_type, bool header_only,
                             F body) {
    d->set_buffer(in);
    d->set_translate_type(translate_type);
    d->set_header_only(header_only);
    return body(d);
  }

  // Every received answer is peeked before it is decoded, so one packet
  // (with the community target and PDU the decoder made in it) is kept for
  // the next peek instead of three objects made and freed each time. Only
  // the built-in codec's community peeks use it, and only the header
  // fields are read back; a peek on another thread meanwhile makes its own.
  ITqsSnmpPacket *take_spare_packet() {
    ITqsSnmpPacket *packet = m_pSparePacket.exchange(nullptr, std::memory_order_acquire);
    if (packet != nullptr && packet->get_pdu() != nullptr) {
      // A trap header leaves these unwritten; a fresh PDU reads 0.
      packet->get_pdu()->set_request_id(0);
      packet->get_pdu()->set_error_status(0);
    }
    return packet;
  }
  void keep_spare_packet(ITqsSnmpPacket *packet) {
    ITqsSnmpPacket *none = nullptr;
    if (!m_pSparePacket.compare_exchange_strong(none, packet, std::memory_order_release)) packet->release();
  }

  std::vector<ITqsCodec *> m_codecs;
  ITqsCodec *m_pSelected = nullptr;
  std::atomic<ITqsSnmpPacket *> m_pSparePacket{nullptr};
};

// Made at start-up, as the library's other process-wide objects are.
const bool g_frontReady = tqs_translator() != nullptr;

}  // namespace

ITqsCodec *tqs_trans_stream_codec() {
  static TransStreamCodec codec;
  return &codec;
}

ITqsTranslator *tqs_translator() {
  static CTqsTranslator front;
  (void)g_frontReady;
  return &front;
}
