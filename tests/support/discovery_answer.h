// The answer a printer gives to a discovery request, written by the
// scripted peers' own SNMP writer (support/udp_peer.h), which has no OID
// values of its own.
#ifndef QMR_TESTS_SUPPORT_DISCOVERY_ANSWER_H
#define QMR_TESTS_SUPPORT_DISCOVERY_ANSWER_H

#include <cstdint>
#include <string>
#include <vector>

#include "support/udp_peer.h"

// BER content of an OBJECT IDENTIFIER given in dotted text (two arcs at least).
inline std::vector<uint8_t> ber_oid_content(const std::string &dotted) {
  std::vector<uint32_t> arcs;
  size_t pos = 0;
  while (pos <= dotted.size()) {
    size_t dot = dotted.find('.', pos);
    if (dot == std::string::npos) dot = dotted.size();
    arcs.push_back(static_cast<uint32_t>(std::stoul(dotted.substr(pos, dot - pos))));
    pos = dot + 1;
  }
  std::vector<uint8_t> out{static_cast<uint8_t>(arcs[0] * 40 + arcs[1])};
  for (size_t i = 2; i < arcs.size(); ++i) {
    uint8_t chunk[5];
    int n = 0;
    for (uint32_t v = arcs[i]; n == 0 || v != 0; v >>= 7) chunk[n++] = static_cast<uint8_t>(v & 0x7F);
    while (n-- > 0) out.push_back(static_cast<uint8_t>(chunk[n] | (n ? 0x80 : 0)));
  }
  return out;
}

// The GetResponse to `request` whose first value is `sys_object_id`.
inline std::vector<uint8_t> discovery_answer(const WireMessage &request, const std::string &sys_object_id) {
  WireMessage response = request.response();
  response.varbinds[0] = WireVarBind{request.varbinds[0].oid, 0x06, ber_oid_content(sys_object_id)};
  return response.encode();
}

#endif  // QMR_TESTS_SUPPORT_DISCOVERY_ANSWER_H
