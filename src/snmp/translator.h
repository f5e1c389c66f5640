// The codec front through which sessions turn packets into datagrams and
// back, and the interfaces a registered codec offers.
#ifndef QMR_SNMP_TRANSLATOR_H
#define QMR_SNMP_TRANSLATOR_H

#include <cstdint>

#include "snmp/value_visitor.h"

class CTqsRawPacket;
class ITqsPdu;
class ITqsSnmpPacket;
class ITqsVarBind;
class ITqsVarBindList;

// The translate type a decoder is given when none is known: it cannot
// create a missing target.
constexpr int32_t kTqsTranslateNone = -1;

// The operations shared by a codec's encoder and decoder. Each is made for
// one operation and released after it. The header operation is the target
// visitor's visit_header (reached through the target's accept).
class ITqsMessageCoder : public ITqsValueVisitor, public ITqsTargetVisitor {
 public:
  virtual int32_t unsupported() = 0;                              // 1: -5
  // Drops the buffer and state so the object holds nothing of the message.
  virtual void destroy() = 0;                                     // 2
  virtual void release() = 0;                                     // 3
  virtual int32_t code_packet(ITqsSnmpPacket *packet) = 0;        // 4
  virtual int32_t code_pdu(ITqsPdu *pdu) = 0;                     // 5
  virtual int32_t code_var_bind_list(ITqsVarBindList *list) = 0;  // 6
  virtual int32_t code_var_bind(ITqsVarBind *var_bind) = 0;       // 7
  virtual int32_t code_request_fields(ITqsPdu *pdu) = 0;          // 8
  virtual int32_t code_v1_trap_header(ITqsPdu *pdu) = 0;          // 9
  virtual int32_t code_v2_trap_header(ITqsPdu *pdu) = 0;          // 10: -5

  // A whole message from a caller's PDU and target, both required: the same
  // as code_packet on a packet holding them, without making one.
  virtual int32_t code_message(ITqsPdu *pdu, ITqsSnmpTarget *target) = 0;

 protected:
  ~ITqsMessageCoder() override = default;
};

class ITqsMessageEncoder : public ITqsMessageCoder {
 public:
  // The area the message is written into (lent for the operation).
  virtual void set_buffer(CTqsRawPacket *out) = 0;
  // Varbinds written so far; they are written last-first, so after -211
  // this is how many from the end of the list fitted.
  virtual uint32_t var_bind_count() const = 0;
};

class ITqsMessageDecoder : public ITqsMessageCoder {
 public:
  virtual void set_buffer(const CTqsRawPacket *in) = 0;
  // The target kind to create when the packet has none (kTqsTranslateNone: none).
  virtual void set_translate_type(int32_t type) = 0;
  // Stop after the PDU's header fields (peek).
  virtual void set_header_only(bool header_only) = 0;
};

// A registered codec, in slot order.
class ITqsCodec {
 public:
  virtual const char *name() const = 0;                                          // 0
  virtual ITqsMessageEncoder *create_encoder(int32_t *result = nullptr) = 0;    // 1
  virtual ITqsMessageDecoder *create_decoder(int32_t *result = nullptr) = 0;    // 2

 protected:
  virtual ~ITqsCodec() = default;
};

// The process-wide front. Operations 2 to 6 answer -8 (QMR_E_NO_DEVICE)
// while no codec is selected and -2 for a null buffer, packet, PDU, target or
// (peek) out-pointer. The front only lends: the caller keeps its objects.
class ITqsTranslator {
 public:
  // 0; -2 when no codec of that exact name is registered; null clears the
  // selection.
  virtual int32_t select(const char *name) = 0;                                           // 0
  // The selected codec's name; "" when none is selected.
  virtual const char *name() const = 0;                                                   // 1
  virtual int32_t encode(ITqsPdu *pdu, ITqsSnmpTarget *target, CTqsRawPacket *out,
                         uint32_t *var_bind_count = nullptr) = 0;                         // 2
  // On success the message runs from out->start() to the end of its area.
  // Results: 0, -2, -3, -5, -8, -211 (with the count of varbinds that fitted).
  virtual int32_t encode_packet(ITqsSnmpPacket *packet, CTqsRawPacket *out,
                                uint32_t *var_bind_count = nullptr) = 0;                  // 3
  virtual int32_t decode(const CTqsRawPacket *in, ITqsPdu *pdu, ITqsSnmpTarget *target,
                         int32_t translate_type) = 0;                                     // 4
  // Fills the packet's PDU and target in place (created when absent).
  // Results: 0, -2, -3, -5, -8, -250.
  virtual int32_t decode_packet(const CTqsRawPacket *in, ITqsSnmpPacket *packet,
                                int32_t translate_type) = 0;                              // 5
  // Reads only as far as the PDU's error-index.
  virtual int32_t peek(const CTqsRawPacket *in, int32_t *error_status, int32_t *request_id,
                       int32_t translate_type) = 0;                                       // 6

  // Adds a codec (lent: it must live until process exit) and selects it.
  // -2 for null or a name already registered.
  virtual int32_t register_codec(ITqsCodec *codec) = 0;

 protected:
  virtual ~ITqsTranslator() = default;
};

// The front, created on first use with "TransStream" registered and selected.
ITqsTranslator *tqs_translator();

// The name the BER codec is registered under.
constexpr const char kTqsTransStreamName[] = "TransStream";

#endif  // QMR_SNMP_TRANSLATOR_H
