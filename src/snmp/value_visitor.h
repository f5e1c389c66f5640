// The hooks through which the codec (and the SNMPv3 request builder) handle
// values and targets by their type without asking for it.
#ifndef QMR_SNMP_VALUE_VISITOR_H
#define QMR_SNMP_VALUE_VISITOR_H

#include <cstdint>

class ITqsSnmpValue;
class ITqsOid;
class ITqsSnmpTarget;

// A value's accept() calls the operation of its own type and returns its
// result. The value is lent; the visitor may read or overwrite it in place.
class ITqsValueVisitor {
 public:
  virtual int32_t visit_oid(ITqsOid *value) = 0;                    // 0
  virtual int32_t visit_octet_string(ITqsSnmpValue *value) = 0;     // 1: OCTET STRING, Opaque
  virtual int32_t visit_integer(ITqsSnmpValue *value) = 0;          // 2
  virtual int32_t visit_null(ITqsSnmpValue *value) = 0;             // 3
  virtual int32_t visit_counter32(ITqsSnmpValue *value) = 0;        // 4
  virtual int32_t visit_gauge32(ITqsSnmpValue *value) = 0;          // 5
  virtual int32_t visit_time_ticks(ITqsSnmpValue *value) = 0;       // 6
  virtual int32_t visit_counter64(ITqsSnmpValue *value) = 0;        // 7
  virtual int32_t visit_ip_address(ITqsSnmpValue *value) = 0;       // 8
  virtual int32_t visit_ipv6_address(ITqsSnmpValue *value) = 0;     // 9
  virtual int32_t visit_udp_address(ITqsSnmpValue *value) = 0;      // 10
  virtual int32_t visit_ipx_address(ITqsSnmpValue *value) = 0;      // 11
  virtual int32_t visit_exception(ITqsSnmpValue *value) = 0;        // 12: noSuchObject, noSuchInstance, endOfMibView

 protected:
  virtual ~ITqsValueVisitor() = default;
};

// A target's accept() calls this with itself: the codec's message header
// (version and community).
class ITqsTargetVisitor {
 public:
  virtual int32_t visit_header(ITqsSnmpTarget *target) = 0;

 protected:
  virtual ~ITqsTargetVisitor() = default;
};

#endif  // QMR_SNMP_VALUE_VISITOR_H
