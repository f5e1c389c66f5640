#include "support/lossy_proxy.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "support/udp_peer.h"

namespace {

constexpr size_t kMaxDatagram = 65536;
constexpr size_t kMaxUpstreamSockets = 256;  // oldest client endpoints are forgotten first
constexpr int kPollSliceMs = 5;
constexpr int kReorderHoldMs = 40;

int64_t now_us() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint64_t fnv1a(const std::vector<uint8_t> &bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

// The datagram's identity for the decisions: its bytes without the request
// id, so that the same read meets the same faults whatever ids the process
// handed out before.
uint64_t content_key(const std::vector<uint8_t> &bytes) {
  WireMessage message;
  if (!WireMessage::parse(bytes, &message)) return fnv1a(bytes);
  message.request_id = 0;
  return fnv1a(message.encode());
}

uint64_t splitmix(uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// Uniform in [0, 1) from the stream's next word.
double unit(uint64_t *state) {
  *state = splitmix(*state);
  return static_cast<double>(*state >> 11) / 9007199254740992.0;
}

uint64_t endpoint_key(const sockaddr_in &a) {
  return (static_cast<uint64_t>(a.sin_addr.s_addr) << 16) | a.sin_port;
}

bool make_address(const std::string &ip, uint16_t port, sockaddr_in *out) {
  memset(out, 0, sizeof *out);
  out->sin_family = AF_INET;
  out->sin_port = htons(port);
  return inet_pton(AF_INET, ip.c_str(), &out->sin_addr) == 1;
}

}  // namespace

LossyProxy::LossyProxy(std::string front, uint16_t front_port, std::string agent, uint16_t agent_port,
                       uint64_t seed)
    : m_front(std::move(front)), m_front_port(front_port), m_agent(std::move(agent)),
      m_agent_port(agent_port), m_seed(seed) {}

LossyProxy::~LossyProxy() { stop(); }

bool LossyProxy::start(std::string *error) {
  sockaddr_in front;
  if (!make_address(m_front, m_front_port, &front) || !make_address(m_agent, m_agent_port, &m_agent_addr)) {
    if (error) *error = "bad proxy address";
    return false;
  }
  m_front_fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (m_front_fd < 0 || bind(m_front_fd, reinterpret_cast<sockaddr *>(&front), sizeof front) != 0) {
    if (error) *error = std::string("proxy bind: ") + strerror(errno);
    if (m_front_fd >= 0) close(m_front_fd);
    m_front_fd = -1;
    return false;
  }
  m_stop = false;
  m_thread = std::thread(&LossyProxy::run, this);
  return true;
}

void LossyProxy::stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  for (auto &entry : m_client_by_upstream) close(entry.first);
  m_client_by_upstream.clear();
  m_upstream_by_client.clear();
  m_upstream_order.clear();
  m_try_by_upstream.clear();
  if (m_front_fd >= 0) close(m_front_fd);
  m_front_fd = -1;
}

void LossyProxy::set_faults(const Faults &to_agent, const Faults &to_client) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_to_agent.faults = to_agent;
  m_to_client.faults = to_client;
  // Decisions from here on depend only on what passes from here on.
  m_to_agent.occurrences.clear();
  m_to_client.occurrences.clear();
}

LossyProxy::Counts LossyProxy::to_agent_counts() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_to_agent.counts;
}

LossyProxy::Counts LossyProxy::to_client_counts() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_to_client.counts;
}

int LossyProxy::upstream_for(const sockaddr_in &client) {
  uint64_t key = endpoint_key(client);
  auto found = m_upstream_by_client.find(key);
  if (found != m_upstream_by_client.end()) return found->second;
  if (m_client_by_upstream.size() >= kMaxUpstreamSockets) {
    // Forget the oldest endpoint: the library opens a fresh socket per
    // exchange, so old endpoints are done with.
    int oldest = m_upstream_order.front();
    m_upstream_order.pop_front();
    m_upstream_by_client.erase(endpoint_key(m_client_by_upstream[oldest]));
    m_client_by_upstream.erase(oldest);
    m_try_by_upstream.erase(oldest);
    close(oldest);
  }
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return -1;
  sockaddr_in any;
  make_address(m_front, 0, &any);  // leave from the proxy's own loopback address
  if (bind(fd, reinterpret_cast<sockaddr *>(&any), sizeof any) != 0) {
    close(fd);
    return -1;
  }
  m_upstream_by_client[key] = fd;
  m_client_by_upstream[fd] = client;
  m_upstream_order.push_back(fd);
  return fd;
}

uint32_t LossyProxy::pass(Direction *direction, int fd, const sockaddr_in &to, std::vector<uint8_t> bytes,
                          uint64_t salt, uint32_t try_number) {
  uint64_t content = content_key(bytes);
  std::lock_guard<std::mutex> hold(m_lock);
  uint32_t occurrence = direction->occurrences[content]++;
  uint64_t state = m_seed ^ splitmix(content ^ salt) ^ splitmix(occurrence + 0x51ed27ull);
  const Faults &f = direction->faults;
  ++direction->counts.seen;
  double drop = unit(&state), duplicate = unit(&state), reorder = unit(&state);
  double delay = unit(&state), second_delay = unit(&state);
  if (try_number == 0) try_number = occurrence + 1;
  bool must_pass = f.passing_try > 0 && try_number >= static_cast<uint32_t>(f.passing_try);
  if (drop < f.drop && !must_pass) {
    ++direction->counts.dropped;
    return occurrence;
  }
  int64_t now = now_us() + static_cast<int64_t>(f.fixed_delay_ms) * 1000;
  int64_t due = now + static_cast<int64_t>(delay * f.max_delay_ms * 1000);
  if (reorder < f.reorder) {
    ++direction->counts.reordered;
    due += kReorderHoldMs * 1000;
  }
  if (duplicate < f.duplicate) {
    ++direction->counts.duplicated;
    m_pending.push_back({now + static_cast<int64_t>(second_delay * f.max_delay_ms * 1000), fd, to, bytes});
  }
  m_pending.push_back({due, fd, to, std::move(bytes)});
  return occurrence;
}

void LossyProxy::flush_due() {
  std::vector<Pending> due;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    int64_t now = now_us();
    auto split = std::stable_partition(m_pending.begin(), m_pending.end(),
                                       [now](const Pending &p) { return p.due_us > now; });
    due.assign(std::make_move_iterator(split), std::make_move_iterator(m_pending.end()));
    m_pending.erase(split, m_pending.end());
  }
  std::stable_sort(due.begin(), due.end(), [](const Pending &a, const Pending &b) { return a.due_us < b.due_us; });
  for (const Pending &p : due)
    sendto(p.fd, p.bytes.data(), p.bytes.size(), 0, reinterpret_cast<const sockaddr *>(&p.to), sizeof p.to);
}

int LossyProxy::wait_ms(int limit) {
  std::lock_guard<std::mutex> hold(m_lock);
  int64_t next = INT64_MAX;
  for (const Pending &p : m_pending) next = std::min(next, p.due_us);
  if (next == INT64_MAX) return limit;
  const int64_t left_us = next - now_us();
  return left_us <= 0 ? 0 : static_cast<int>(std::min<int64_t>(limit, (left_us + 999) / 1000));
}

void LossyProxy::run() {
  constexpr uint64_t kToAgentSalt = 0xa9e47;
  constexpr uint64_t kToClientSalt = 0xc11e47;
  std::vector<uint8_t> buffer(kMaxDatagram);
  while (!m_stop) {
    std::vector<pollfd> fds;
    fds.push_back({m_front_fd, POLLIN, 0});
    for (auto &entry : m_client_by_upstream) fds.push_back({entry.first, POLLIN, 0});
    int ready = poll(fds.data(), fds.size(), wait_ms(kPollSliceMs));
    if (ready > 0) {
      for (const pollfd &p : fds) {
        if (!(p.revents & POLLIN)) continue;
        sockaddr_in from{};
        socklen_t from_len = sizeof from;
        ssize_t n = recvfrom(p.fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr *>(&from), &from_len);
        if (n < 0) continue;
        std::vector<uint8_t> bytes(buffer.begin(), buffer.begin() + n);
        if (p.fd == m_front_fd) {
          int up = upstream_for(from);
          if (up >= 0) m_try_by_upstream[up] = pass(&m_to_agent, up, m_agent_addr, std::move(bytes), kToAgentSalt, 0) + 1;
        } else {
          auto client = m_client_by_upstream.find(p.fd);
          if (client != m_client_by_upstream.end())
            pass(&m_to_client, m_front_fd, client->second, std::move(bytes), kToClientSalt,
                 m_try_by_upstream[p.fd]);
        }
      }
    }
    flush_due();
  }
}
