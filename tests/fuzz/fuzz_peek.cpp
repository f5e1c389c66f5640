// Peeks at arbitrary datagrams: request id and error-status only.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "snmp/raw_packet.h"
#include "snmp/snmp_types.h"
#include "snmp/translator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // An exact-size heap copy, so that any read past the end is caught.
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  if (size) memcpy(bytes.get(), data, size);
  CTqsRawPacket in;
  in.attach(bytes.get(), size, false);
  int32_t error_status = 0;
  int32_t request_id = 0;
  tqs_translator()->peek(&in, &error_status, &request_id, kTqsCommunityKind);
  return 0;
}
