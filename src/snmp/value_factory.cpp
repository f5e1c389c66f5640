// The value factory and the creation helpers built on it.
#include <new>

#include "snmp/address_values.h"
#include "snmp/number_values.h"
#include "snmp/octet_values.h"
#include "snmp/oid_value.h"
#include "snmp/simple_values.h"

bool tqs_is_value_type(uint32_t type) {
  switch (type) {
    case kTqsInteger:
    case kTqsOctetString:
    case kTqsNull:
    case kTqsObjectId:
    case kTqsIpAddress:
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
    case kTqsOpaque:
    case kTqsCounter64:
    case kTqsIpv6Address:
    case kTqsNoSuchObject:
    case kTqsNoSuchInstance:
    case kTqsEndOfMibView:
    case kTqsUdpAddress:
    case kTqsIpxAddress:
      return true;
    default:
      return false;
  }
}

ITqsSnmpValue *tqs_create_value(uint32_t type, int32_t *result) {
  ITqsSnmpValue *value = nullptr;
  switch (type) {
    case kTqsInteger:
      value = new (std::nothrow) CTqsInteger();
      break;
    case kTqsOctetString:
      value = new (std::nothrow) CTqsOctetString();
      break;
    case kTqsNull:
      value = new (std::nothrow) CTqsNull();
      break;
    case kTqsObjectId:
      value = new (std::nothrow) CTqsOid();
      break;
    case kTqsIpAddress:
      value = new (std::nothrow) CTqsIpAddress();
      break;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      value = new (std::nothrow) CTqsUnsigned32(type);
      break;
    case kTqsOpaque:
      value = new (std::nothrow) CTqsOpaque();
      break;
    case kTqsCounter64:
      value = new (std::nothrow) CTqsCounter64();
      break;
    case kTqsIpv6Address:
      value = new (std::nothrow) CTqsIpv6Address();
      break;
    case kTqsNoSuchObject:
    case kTqsNoSuchInstance:
    case kTqsEndOfMibView:
      value = new (std::nothrow) CTqsException(type);
      break;
    case kTqsUdpAddress:
      value = new (std::nothrow) CTqsUdpAddress();
      break;
    case kTqsIpxAddress:
      value = new (std::nothrow) CTqsIpxAddress();
      break;
    default:
      tqs_put_result(result, QMR_E_INVALID_ARG);
      return nullptr;
  }
  tqs_put_result(result, value ? QMR_OK : QMR_E_NO_MEMORY);
  return value;
}

ITqsSnmpValue *tqs_create_number_value(uint32_t type, int64_t number, int32_t *result) {
  bool fits = false;
  switch (type) {
    case kTqsInteger:
      fits = number >= INT32_MIN && number <= INT32_MAX;
      break;
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks:
      fits = number >= 0 && number <= UINT32_MAX;
      break;
    case kTqsCounter64:
      fits = number >= 0;
      break;
    default:
      break;
  }
  if (!fits) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  ITqsSnmpValue *value = tqs_create_value(type, result);
  if (!value) return nullptr;
  if (type == kTqsInteger) {
    value->set_int32(static_cast<int32_t>(number));
  } else if (type == kTqsCounter64) {
    value->set_high(static_cast<uint32_t>(static_cast<uint64_t>(number) >> 32));
    value->set_low(static_cast<uint32_t>(number));
  } else {
    value->set_uint32(static_cast<uint32_t>(number));
  }
  return value;
}

ITqsSnmpValue *tqs_create_value_from_text(const char *text, uint32_t type, int32_t *result) {
  if (!text) {
    tqs_put_result(result, QMR_E_INVALID_ARG);
    return nullptr;
  }
  int32_t rc = QMR_OK;
  ITqsSnmpValue *value = tqs_create_value(type, &rc);
  if (value) {
    rc = value->set_text(text);
    if (rc == QMR_OK && !value->is_valid()) rc = QMR_E_INVALID_ARG;
    // A type without a text form cannot be made from text either.
    if (rc == QMR_E_NOT_SUPPORTED) rc = QMR_E_INVALID_ARG;
    if (rc != QMR_OK) {
      value->release();
      value = nullptr;
    }
  }
  tqs_put_result(result, rc);
  return value;
}
