// net-snmp's own message builder and parser, used as an independent BER
// implementation by the codec tests and the codec benchmark.
#ifndef QMR_TESTS_SNMP_CODEC_NETSNMP_PEER_H
#define QMR_TESTS_SNMP_CODEC_NETSNMP_PEER_H

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace netsnmp_peer {

// Starts the library once, without configuration files or MIBs.
inline void init() {
  static const bool done = [] {
    setenv("MIBS", "", 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    init_snmp("qmr_codec_check");
    return true;
  }();
  (void)done;
}

// A session record that only carries version and community for build/parse.
struct Session {
  netsnmp_session s;
  std::string community;
  Session(long version, const char *comm) : community(comm) {
    init();
    snmp_sess_init(&s);
    s.version = version;
    s.community = reinterpret_cast<u_char *>(&community[0]);
    s.community_len = community.size();
  }
};

// Builds `pdu` (its version is taken from the session) into a reusable buffer.
// Returns the message's first byte and its length, or null on failure.
class Builder {
 public:
  Builder() : m_buffer(static_cast<u_char *>(malloc(kSize))), m_size(kSize) {}
  ~Builder() { free(m_buffer); }
  Builder(const Builder &) = delete;
  Builder &operator=(const Builder &) = delete;

  const u_char *build(Session &session, netsnmp_pdu *pdu, size_t *length) {
    size_t offset = 0;
    pdu->version = session.s.version;
    // snmp_build takes the session's community only for requests.
    if (pdu->community == nullptr) {
      pdu->community = static_cast<u_char *>(netsnmp_memdup(session.s.community, session.s.community_len));
      pdu->community_len = session.s.community_len;
    }
    if (snmp_build(&m_buffer, &m_size, &offset, &session.s, pdu) != 0) return nullptr;
    *length = offset;
    // The reverse encoder leaves the message at the end of the buffer.
    return netsnmp_ds_get_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE)
               ? m_buffer + m_size - offset
               : m_buffer;
  }

 private:
  static constexpr size_t kSize = 65536;
  u_char *m_buffer;
  size_t m_size;
};

// Parses a whole v1/v2c message; null when net-snmp refuses it. Free the
// result with snmp_free_pdu.
inline netsnmp_pdu *parse(Session &session, const unsigned char *data, size_t length) {
  netsnmp_pdu *pdu = static_cast<netsnmp_pdu *>(calloc(1, sizeof(netsnmp_pdu)));
  if (pdu == nullptr) return nullptr;
  std::vector<u_char> copy(data, data + length);  // snmp_parse may write into its input
  if (snmp_parse(nullptr, &session.s, pdu, copy.data(), copy.size()) != 0) {
    snmp_free_pdu(pdu);
    return nullptr;
  }
  return pdu;
}

// Same, into the caller's buffer without the copy (benchmark path).
inline int parse_in_place(Session &session, netsnmp_pdu *pdu, u_char *data, size_t length) {
  return snmp_parse(nullptr, &session.s, pdu, data, length);
}

}  // namespace netsnmp_peer

#endif  // QMR_TESTS_SNMP_CODEC_NETSNMP_PEER_H
