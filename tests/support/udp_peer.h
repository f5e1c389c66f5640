// A scripted UDP peer for tests that need what real agents will not do on
// demand: silence, wrong request ids, garbage, tooBig, late or split answers.
// It carries its own small SNMP v1/v2c reader and writer, independent of the
// library's codec, so that a test never checks the codec against itself.
#ifndef QMR_TESTS_SUPPORT_UDP_PEER_H
#define QMR_TESTS_SUPPORT_UDP_PEER_H

#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An IPv4 or IPv6 address text and a port as a socket address; false for
// any other text.
bool udp_socket_address(const std::string &address, uint16_t port, sockaddr_storage *ss, socklen_t *len);

// One varbind as it travels: name in dotted text, value as tag and content.
struct WireVarBind {
  std::string oid;
  uint8_t tag = 0x05;
  std::vector<uint8_t> content;

  static WireVarBind null(const std::string &oid) { return {oid, 0x05, {}}; }
  static WireVarBind integer(const std::string &oid, int32_t value);
  static WireVarBind octets(const std::string &oid, const std::string &text);
};

// One SNMP v1/v2c message (non-trap PDUs only).
struct WireMessage {
  int32_t version = 0;
  std::string community = "public";
  uint8_t pdu_tag = 0xA2;
  int32_t request_id = 0;
  int32_t error_status = 0;
  int32_t error_index = 0;
  std::vector<WireVarBind> varbinds;

  // False for anything that is not a well-formed message of this shape.
  static bool parse(const uint8_t *data, size_t size, WireMessage *out);
  static bool parse(const std::vector<uint8_t> &bytes, WireMessage *out) {
    return parse(bytes.data(), bytes.size(), out);
  }
  std::vector<uint8_t> encode() const;
  // A GetResponse echoing this request's version, community, id and names.
  WireMessage response() const;
};

class UdpPeer {
 public:
  struct Datagram {
    std::vector<uint8_t> bytes;
    std::chrono::steady_clock::time_point at;
    sockaddr_storage from;
    socklen_t from_len;
  };
  struct Reply {
    std::vector<uint8_t> bytes;
    int delay_ms = 0;  // after the request's arrival
  };
  // Called on the peer's thread for the index-th datagram (0-based).
  using Handler = std::function<std::vector<Reply>(const Datagram &request, size_t index)>;

  // Handlers for peers that speak SNMP: each request is parsed first (an
  // unparsable one gets no answer). `respond` answers with what `make`
  // returns; `echo` answers at once with the request's GetResponse, edited
  // by `edit` when one is given.
  using Responder = std::function<std::vector<Reply>(const WireMessage &request, size_t index)>;
  using Editor = std::function<void(const WireMessage &request, WireMessage *response)>;
  static Handler respond(Responder make);
  static Handler echo(Editor edit = nullptr);
  // Passes each request on to a real agent and answers with its answer
  // (none when it stays silent for timeout_ms), so that a test sees on
  // received() every datagram a client sent to that agent.
  static Handler relay(const std::string &agent, uint16_t port, int timeout_ms);

  // Binds a UDP socket to `address` (IPv4 or IPv6 text) and `port` (0: any).
  UdpPeer(const std::string &address, uint16_t port = 0);
  ~UdpPeer();
  UdpPeer(const UdpPeer &) = delete;
  UdpPeer &operator=(const UdpPeer &) = delete;

  bool ok() const { return m_fd >= 0; }
  uint16_t port() const { return m_port; }
  // Starts the serving thread; a null handler answers nothing (silence).
  bool start(Handler handler);
  void stop();

  // Sends from this peer's socket (for answers that must come from
  // another address than the one asked).
  bool send_to(const std::vector<uint8_t> &bytes, const sockaddr_storage &to, socklen_t to_len);

  std::vector<Datagram> received() const;
  size_t count() const;

 private:
  void run();

  int m_fd = -1;
  uint16_t m_port = 0;
  Handler m_handler;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_lock;
  std::vector<Datagram> m_received;
};

#endif  // QMR_TESTS_SUPPORT_UDP_PEER_H
