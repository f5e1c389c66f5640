#include "support/udp_peer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kPollSliceMs = 20;

// Forward BER reader over [p, end).
struct Reader {
  const uint8_t *p;
  const uint8_t *end;

  // Reads tag and definite length; false if short, indefinite or too long.
  bool header(uint8_t *tag, size_t *len) {
    if (end - p < 2) return false;
    *tag = *p++;
    uint8_t b = *p++;
    if (b < 0x80) {
      *len = b;
    } else {
      size_t n = b & 0x7F;
      if (n == 0 || n > 4 || static_cast<size_t>(end - p) < n) return false;
      size_t v = 0;
      for (size_t i = 0; i < n; ++i) v = (v << 8) | *p++;
      *len = v;
    }
    return static_cast<size_t>(end - p) >= *len;
  }
  bool expect(uint8_t want, size_t *len) {
    uint8_t tag = 0;
    return header(&tag, len) && tag == want;
  }
  bool integer(int32_t *out) {
    size_t len = 0;
    if (!expect(0x02, &len) || len == 0 || len > 5) return false;
    uint32_t v = (p[0] & 0x80) ? 0xFFFFFFFFu : 0;
    for (size_t i = 0; i < len; ++i) v = (v << 8) | p[i];
    p += len;
    *out = static_cast<int32_t>(v);
    return true;
  }
};

std::string oid_text(const uint8_t *p, size_t len) {
  std::string out;
  uint32_t v = 0;
  bool first = true;
  for (size_t i = 0; i < len; ++i) {
    v = (v << 7) | (p[i] & 0x7F);
    if (p[i] & 0x80) continue;
    if (first) {
      uint32_t x = v < 40 ? 0 : (v < 80 ? 1 : 2);
      out = std::to_string(x) + "." + std::to_string(v - 40 * x);
      first = false;
    } else {
      out += "." + std::to_string(v);
    }
    v = 0;
  }
  return out;
}

std::vector<uint8_t> oid_content(const std::string &text) {
  std::vector<uint32_t> ids;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t dot = text.find('.', pos);
    if (dot == std::string::npos) dot = text.size();
    ids.push_back(static_cast<uint32_t>(std::stoul(text.substr(pos, dot - pos))));
    pos = dot + 1;
  }
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    do {
      tmp[n++] = v & 0x7F;
      v >>= 7;
    } while (v != 0);
    while (n > 0) {
      --n;
      out.push_back(static_cast<uint8_t>(tmp[n] | (n > 0 ? 0x80 : 0)));
    }
  };
  if (ids.size() >= 2) {
    put(ids[0] * 40 + ids[1]);
    for (size_t i = 2; i < ids.size(); ++i) put(ids[i]);
  }
  return out;
}

void put_tlv(std::vector<uint8_t> *out, uint8_t tag, const std::vector<uint8_t> &content) {
  out->push_back(tag);
  size_t n = content.size();
  if (n < 0x80) {
    out->push_back(static_cast<uint8_t>(n));
  } else if (n < 0x100) {
    out->push_back(0x81);
    out->push_back(static_cast<uint8_t>(n));
  } else {
    out->push_back(0x82);
    out->push_back(static_cast<uint8_t>(n >> 8));
    out->push_back(static_cast<uint8_t>(n));
  }
  out->insert(out->end(), content.begin(), content.end());
}

std::vector<uint8_t> integer_content(int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  std::vector<uint8_t> out = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                              static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  // Shortest two's complement: drop leading octets that only repeat the sign.
  while (out.size() > 1 && ((out[0] == 0x00 && !(out[1] & 0x80)) || (out[0] == 0xFF && (out[1] & 0x80))))
    out.erase(out.begin());
  return out;
}

void put_integer(std::vector<uint8_t> *out, int32_t value) { put_tlv(out, 0x02, integer_content(value)); }

}  // namespace

WireVarBind WireVarBind::integer(const std::string &oid, int32_t value) {
  return {oid, 0x02, integer_content(value)};
}

WireVarBind WireVarBind::octets(const std::string &oid, const std::string &text) {
  return {oid, 0x04, std::vector<uint8_t>(text.begin(), text.end())};
}

bool WireMessage::parse(const uint8_t *data, size_t size, WireMessage *out) {
  Reader r{data, data + size};
  size_t len = 0;
  if (!r.expect(0x30, &len)) return false;
  r.end = r.p + len;
  WireMessage m;
  if (!r.integer(&m.version)) return false;
  if (!r.expect(0x04, &len)) return false;
  m.community.assign(reinterpret_cast<const char *>(r.p), len);
  r.p += len;
  if (!r.header(&m.pdu_tag, &len) || m.pdu_tag < 0xA0 || m.pdu_tag > 0xA8 || m.pdu_tag == 0xA4) return false;
  if (!r.integer(&m.request_id) || !r.integer(&m.error_status) || !r.integer(&m.error_index)) return false;
  if (!r.expect(0x30, &len)) return false;
  const uint8_t *list_end = r.p + len;
  while (r.p < list_end) {
    if (!r.expect(0x30, &len)) return false;
    if (!r.expect(0x06, &len)) return false;
    WireVarBind vb;
    vb.oid = oid_text(r.p, len);
    r.p += len;
    if (!r.header(&vb.tag, &len)) return false;
    vb.content.assign(r.p, r.p + len);
    r.p += len;
    m.varbinds.push_back(std::move(vb));
  }
  *out = std::move(m);
  return true;
}

std::vector<uint8_t> WireMessage::encode() const {
  std::vector<uint8_t> list;
  for (const auto &vb : varbinds) {
    std::vector<uint8_t> one;
    put_tlv(&one, 0x06, oid_content(vb.oid));
    put_tlv(&one, vb.tag, vb.content);
    put_tlv(&list, 0x30, one);
  }
  std::vector<uint8_t> pdu;
  put_integer(&pdu, request_id);
  put_integer(&pdu, error_status);
  put_integer(&pdu, error_index);
  put_tlv(&pdu, 0x30, list);
  std::vector<uint8_t> body;
  put_integer(&body, version);
  put_tlv(&body, 0x04, std::vector<uint8_t>(community.begin(), community.end()));
  put_tlv(&body, pdu_tag, pdu);
  std::vector<uint8_t> msg;
  put_tlv(&msg, 0x30, body);
  return msg;
}

WireMessage WireMessage::response() const {
  WireMessage r = *this;
  r.pdu_tag = 0xA2;
  r.error_status = 0;
  r.error_index = 0;
  return r;
}

bool udp_socket_address(const std::string &address, uint16_t port, sockaddr_storage *ss, socklen_t *len) {
  *ss = sockaddr_storage{};
  auto *v4 = reinterpret_cast<sockaddr_in *>(ss);
  auto *v6 = reinterpret_cast<sockaddr_in6 *>(ss);
  if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    *len = sizeof(*v4);
    return true;
  }
  if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    *len = sizeof(*v6);
    return true;
  }
  return false;
}

UdpPeer::Handler UdpPeer::respond(Responder make) {
  return [make](const Datagram &d, size_t index) {
    WireMessage request;
    if (!WireMessage::parse(d.bytes, &request)) return std::vector<Reply>{};
    return make(request, index);
  };
}

UdpPeer::Handler UdpPeer::relay(const std::string &agent, uint16_t port, int timeout_ms) {
  return [agent, port, timeout_ms](const Datagram &d, size_t) {
    std::vector<Reply> replies;
    sockaddr_storage to{};
    socklen_t to_len = 0;
    if (!udp_socket_address(agent, port, &to, &to_len)) return replies;
    int fd = socket(to.ss_family, SOCK_DGRAM, 0);
    if (fd < 0) return replies;
    pollfd pfd{fd, POLLIN, 0};
    if (connect(fd, reinterpret_cast<sockaddr *>(&to), to_len) == 0 &&
        send(fd, d.bytes.data(), d.bytes.size(), 0) == static_cast<ssize_t>(d.bytes.size()) &&
        poll(&pfd, 1, timeout_ms) == 1) {
      std::vector<uint8_t> answer(65536);
      ssize_t n = recv(fd, answer.data(), answer.size(), 0);
      if (n >= 0) {
        answer.resize(static_cast<size_t>(n));
        replies.push_back({std::move(answer), 0});
      }
    }
    close(fd);
    return replies;
  };
}

UdpPeer::Handler UdpPeer::echo(Editor edit) {
  return respond([edit](const WireMessage &request, size_t) {
    WireMessage response = request.response();
    if (edit) edit(request, &response);
    return std::vector<Reply>{{response.encode(), 0}};
  });
}

UdpPeer::UdpPeer(const std::string &address, uint16_t port) {
  sockaddr_storage ss{};
  socklen_t len = 0;
  if (!udp_socket_address(address, port, &ss, &len)) return;
  m_fd = socket(ss.ss_family, SOCK_DGRAM, 0);
  if (m_fd < 0) return;
  if (bind(m_fd, reinterpret_cast<sockaddr *>(&ss), len) != 0 ||
      getsockname(m_fd, reinterpret_cast<sockaddr *>(&ss), &len) != 0) {
    close(m_fd);
    m_fd = -1;
    return;
  }
  m_port = ntohs(ss.ss_family == AF_INET ? reinterpret_cast<sockaddr_in *>(&ss)->sin_port
                                         : reinterpret_cast<sockaddr_in6 *>(&ss)->sin6_port);
}

UdpPeer::~UdpPeer() {
  stop();
  if (m_fd >= 0) close(m_fd);
}

bool UdpPeer::start(Handler handler) {
  if (m_fd < 0 || m_thread.joinable()) return false;
  m_handler = std::move(handler);
  m_stop = false;
  m_thread = std::thread([this] { run(); });
  return true;
}

void UdpPeer::stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

bool UdpPeer::send_to(const std::vector<uint8_t> &bytes, const sockaddr_storage &to, socklen_t to_len) {
  return sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&to), to_len) ==
         static_cast<ssize_t>(bytes.size());
}

std::vector<UdpPeer::Datagram> UdpPeer::received() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_received;
}

size_t UdpPeer::count() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_received.size();
}

void UdpPeer::run() {
  struct Pending {
    std::chrono::steady_clock::time_point due;
    std::vector<uint8_t> bytes;
    sockaddr_storage to;
    socklen_t to_len;
  };
  std::vector<Pending> pending;
  while (!m_stop) {
    const auto now = std::chrono::steady_clock::now();
    // Send what is due, in due order.
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Pending &a, const Pending &b) { return a.due < b.due; });
    while (!pending.empty() && pending.front().due <= now) {
      const Pending &p = pending.front();
      sendto(m_fd, p.bytes.data(), p.bytes.size(), 0, reinterpret_cast<const sockaddr *>(&p.to), p.to_len);
      pending.erase(pending.begin());
    }
    int wait = kPollSliceMs;
    if (!pending.empty()) {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(pending.front().due - now).count();
      wait = static_cast<int>(std::max<long long>(0, std::min<long long>(ms, kPollSliceMs)));
    }
    pollfd pfd{m_fd, POLLIN, 0};
    if (poll(&pfd, 1, wait) != 1) continue;
    uint8_t buf[65536];
    sockaddr_storage from{};
    socklen_t from_len = sizeof(from);
    ssize_t n = recvfrom(m_fd, buf, sizeof(buf), 0, reinterpret_cast<sockaddr *>(&from), &from_len);
    if (n < 0) continue;
    Datagram d{std::vector<uint8_t>(buf, buf + n), std::chrono::steady_clock::now(), from, from_len};
    size_t index = 0;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      index = m_received.size();
      m_received.push_back(d);
    }
    if (!m_handler) continue;
    for (auto &reply : m_handler(d, index)) {
      pending.push_back({d.at + std::chrono::milliseconds(reply.delay_ms), std::move(reply.bytes), from, from_len});
    }
  }
}
