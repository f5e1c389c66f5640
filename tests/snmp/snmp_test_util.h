// Small helpers shared by the data model tests.
#ifndef QMR_TESTS_SNMP_SNMP_TEST_UTIL_H
#define QMR_TESTS_SNMP_SNMP_TEST_UTIL_H

#include <string>

#include "net/octet_buffer.h"
#include "net/owned.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"

using OidPtr = TqcOwned<ITqsOid>;
using ValuePtr = TqcOwned<ITqsSnmpValue>;

inline OidPtr make_oid(const char *text) {
  ITqsOid *oid = tqs_create_oid();
  if (oid) oid->set_text(text);
  return OidPtr(oid);
}

inline ValuePtr make_value(uint32_t type) { return ValuePtr(tqs_create_value(type)); }

// The text form of a value, or "<rc>" when it has none.
inline std::string text_of(const ITqsSnmpValue *value) {
  int32_t rc = 0;
  TqcOwned<ITqsOctetBuffer> text(value->to_text(&rc));
  if (!text) return "<" + std::to_string(rc) + ">";
  return std::string(text->c_str(), text->size());
}

#endif  // QMR_TESTS_SNMP_SNMP_TEST_UTIL_H
