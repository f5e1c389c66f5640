// The BER codec "TransStream": SNMP version 1 and 2c messages.
//
// The encoder writes each message backwards into an area of the target's
// maximum message size, so every length is known when its header is written
// and nothing moves afterwards. The decoder reads forwards and fills the
// caller's PDU, varbinds and values in place, reusing what matches.
#ifndef QMR_SNMP_TRANS_STREAM_H
#define QMR_SNMP_TRANS_STREAM_H

#include <cstddef>
#include <cstdint>

#include "snmp/ber_reader.h"
#include "snmp/ber_writer.h"
#include "snmp/translator.h"

class ITqsOid;
class CTqsOid;
class CTqsVarBind;

class TransStreamEncoder final : public ITqsMessageEncoder {
 public:
  TransStreamEncoder() = default;
  // Public so that the codec front can keep one on its stack.
  ~TransStreamEncoder() override = default;
  TransStreamEncoder(const TransStreamEncoder &) = delete;
  TransStreamEncoder &operator=(const TransStreamEncoder &) = delete;

  // Value visitor: writes the value and records its element size.
  int32_t visit_oid(ITqsOid *value) override;
  int32_t visit_octet_string(ITqsSnmpValue *value) override;
  int32_t visit_integer(ITqsSnmpValue *value) override;
  int32_t visit_null(ITqsSnmpValue *value) override;
  int32_t visit_counter32(ITqsSnmpValue *value) override;
  int32_t visit_gauge32(ITqsSnmpValue *value) override;
  int32_t visit_time_ticks(ITqsSnmpValue *value) override;
  int32_t visit_counter64(ITqsSnmpValue *value) override;
  int32_t visit_ip_address(ITqsSnmpValue *value) override;
  int32_t visit_ipv6_address(ITqsSnmpValue *value) override;
  int32_t visit_udp_address(ITqsSnmpValue *value) override;
  int32_t visit_ipx_address(ITqsSnmpValue *value) override;
  int32_t visit_exception(ITqsSnmpValue *value) override;

  int32_t visit_header(ITqsSnmpTarget *target) override;  // 0
  int32_t unsupported() override;                         // 1
  void destroy() override;                                // 2
  void release() override;                                // 3
  int32_t code_packet(ITqsSnmpPacket *packet) override;   // 4
  int32_t code_pdu(ITqsPdu *pdu) override;                // 5
  int32_t code_var_bind_list(ITqsVarBindList *list) override;  // 6
  int32_t code_var_bind(ITqsVarBind *var_bind) override;  // 7
  int32_t code_request_fields(ITqsPdu *pdu) override;     // 8
  int32_t code_v1_trap_header(ITqsPdu *pdu) override;     // 9
  int32_t code_v2_trap_header(ITqsPdu *pdu) override;     // 10
  int32_t code_message(ITqsPdu *pdu, ITqsSnmpTarget *target) override;

  void set_buffer(CTqsRawPacket *out) override { m_pOut = out; }
  uint32_t var_bind_count() const override { return m_varBindCount; }

  // Writes an OID element; -2 for one sub-identifier or an invalid text.
  int32_t write_oid(const ITqsOid *oid);

 private:
  // The value's element; the encoder's one type dispatch.
  int32_t write_value(ITqsSnmpValue *value);

  CTqsRawPacket *m_pOut = nullptr;
  int32_t m_version = -1;
  uint32_t m_varBindCount = 0;
  size_t m_lastSize = 0;  // full size of the element written last
  BerWriter m_writer;
};

class TransStreamDecoder final : public ITqsMessageDecoder {
 public:
  TransStreamDecoder() = default;
  // Public so that the codec front can keep one on its stack.
  ~TransStreamDecoder() override = default;
  TransStreamDecoder(const TransStreamDecoder &) = delete;
  TransStreamDecoder &operator=(const TransStreamDecoder &) = delete;

  // Value visitor: reads the value's element into it (the tag was peeked).
  int32_t visit_oid(ITqsOid *value) override;
  int32_t visit_octet_string(ITqsSnmpValue *value) override;
  int32_t visit_integer(ITqsSnmpValue *value) override;
  int32_t visit_null(ITqsSnmpValue *value) override;
  int32_t visit_counter32(ITqsSnmpValue *value) override;
  int32_t visit_gauge32(ITqsSnmpValue *value) override;
  int32_t visit_time_ticks(ITqsSnmpValue *value) override;
  int32_t visit_counter64(ITqsSnmpValue *value) override;
  int32_t visit_ip_address(ITqsSnmpValue *value) override;
  int32_t visit_ipv6_address(ITqsSnmpValue *value) override;
  int32_t visit_udp_address(ITqsSnmpValue *value) override;
  int32_t visit_ipx_address(ITqsSnmpValue *value) override;
  int32_t visit_exception(ITqsSnmpValue *value) override;

  int32_t visit_header(ITqsSnmpTarget *target) override;  // 0
  int32_t unsupported() override;                         // 1
  void destroy() override;                                // 2
  void release() override;                                // 3
  int32_t code_packet(ITqsSnmpPacket *packet) override;   // 4
  int32_t code_pdu(ITqsPdu *pdu) override;                // 5
  int32_t code_var_bind_list(ITqsVarBindList *list) override;  // 6
  int32_t code_var_bind(ITqsVarBind *var_bind) override;  // 7
  int32_t code_request_fields(ITqsPdu *pdu) override;     // 8
  int32_t code_v1_trap_header(ITqsPdu *pdu) override;     // 9
  int32_t code_v2_trap_header(ITqsPdu *pdu) override;     // 10
  int32_t code_message(ITqsPdu *pdu, ITqsSnmpTarget *target) override;

  void set_buffer(const CTqsRawPacket *in) override { m_pIn = in; }
  void set_translate_type(int32_t type) override { m_translateType = type; }
  void set_header_only(bool header_only) override { m_headerOnly = header_only; }

 private:

  // The outer SEQUENCE: trims trailing bytes, refuses a short datagram.
  int32_t open_message();
  int32_t read_var_bind(CTqsVarBind *var_bind);
  // The value's element, whose tag equals the value's type; the decoder's
  // one type dispatch.
  int32_t read_value(ITqsSnmpValue *value, uint32_t type);
  // The types read_value leaves to it: the exceptions, Opaque and the
  // addresses, Counter64. Kept out of line.
  __attribute__((noinline)) int32_t read_rare_value(ITqsSnmpValue *value, uint32_t type);
  // An element of `tag` without content.
  int32_t read_empty(uint8_t tag);
  // Reads an OID element into `oid`; on failure `oid` is left empty.
  int32_t read_oid(CTqsOid *oid);

  const CTqsRawPacket *m_pIn = nullptr;
  int32_t m_version = -1;
  int32_t m_translateType = kTqsTranslateNone;
  bool m_headerOnly = false;
  BerReader m_reader;
};

// The codec object registered as "TransStream".
ITqsCodec *tqs_trans_stream_codec();

#endif  // QMR_SNMP_TRANS_STREAM_H
