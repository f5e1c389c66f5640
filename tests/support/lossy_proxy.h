// A UDP proxy between the library and an agent that loses, duplicates,
// reorders and delays datagrams. Each decision is drawn from the seed, the
// datagram's content (less its request id) and how often that content
// passed since the faults were set, so the same reads meet the same faults
// whatever the thread timing or the ids; a retry repeats its first try's
// bytes and so meets a fresh draw.
#ifndef QMR_TESTS_SUPPORT_LOSSY_PROXY_H
#define QMR_TESTS_SUPPORT_LOSSY_PROXY_H

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LossyProxy {
 public:
  // Fault rates of one direction, each in [0, 1].
  struct Faults {
    double drop = 0;
    double duplicate = 0;
    double reorder = 0;       // held back behind later datagrams
    int max_delay_ms = 0;     // uniform extra delay of every datagram
    int fixed_delay_ms = 0;   // delay added to every datagram (a distant link)
    // From this try of a request on (1-based), neither the request nor its
    // answers are dropped: losses come in bursts of at most this many
    // minus one tries. 0: no such bound.
    int passing_try = 0;
  };
  struct Counts {
    uint64_t seen = 0;
    uint64_t dropped = 0;
    uint64_t duplicated = 0;
    uint64_t reordered = 0;
  };

  // Listens on `front` (IPv4 text) port `front_port` and forwards to
  // `agent`:`agent_port`.
  LossyProxy(std::string front, uint16_t front_port, std::string agent, uint16_t agent_port, uint64_t seed);
  ~LossyProxy();
  LossyProxy(const LossyProxy &) = delete;
  LossyProxy &operator=(const LossyProxy &) = delete;

  bool start(std::string *error);
  void stop();

  // May change while the proxy runs; restarts the decisions' count.
  void set_faults(const Faults &to_agent, const Faults &to_client);
  Counts to_agent_counts() const;
  Counts to_client_counts() const;

 private:
  struct Pending {
    int64_t due_us;
    int fd;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
  };
  struct Direction {
    Faults faults;
    Counts counts;
    std::map<uint64_t, uint32_t> occurrences;  // by content hash
  };

  void run();
  // Queues or drops one datagram; returns its content's occurrence count
  // before it (0 for the first). `try_number` is that of the request the
  // datagram is or answers.
  uint32_t pass(Direction *direction, int fd, const sockaddr_in &to, std::vector<uint8_t> bytes, uint64_t salt,
                uint32_t try_number);
  int upstream_for(const sockaddr_in &client);
  void flush_due();
  // Milliseconds until the next datagram is due, at most `limit`.
  int wait_ms(int limit);

  std::string m_front;
  uint16_t m_front_port;
  std::string m_agent;
  uint16_t m_agent_port;
  uint64_t m_seed;

  int m_front_fd = -1;
  sockaddr_in m_agent_addr{};
  // One upstream socket per client endpoint, so that answers find their way back.
  std::map<uint64_t, int> m_upstream_by_client;
  std::map<int, sockaddr_in> m_client_by_upstream;
  std::deque<int> m_upstream_order;
  std::map<int, uint32_t> m_try_by_upstream;  // try number of the last request sent

  mutable std::mutex m_lock;
  Direction m_to_agent;
  Direction m_to_client;
  std::vector<Pending> m_pending;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
};

#endif  // QMR_TESTS_SUPPORT_LOSSY_PROXY_H
