// Many handles on many threads, each reading full statuses of simulated
// printers: every read must succeed and equal a single-threaded read, and
// the heap must not grow between the early and the late reads. Counts come
// from QMR_RELIABILITY_THREADS and QMR_RELIABILITY_READS (reads per thread).
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qmr.h"
#include "reliability/reliability_agents.h"
#include "reliability/status_snapshot.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QMR_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QMR_SANITIZED_HEAP 1
#endif
#endif

namespace {

using reliability::Handle;

const char *const kAgentIps[] = {"127.77.51.1", "127.77.51.2", "127.77.51.3", "127.77.51.4"};
constexpr size_t kAgents = sizeof kAgentIps / sizeof kAgentIps[0];
constexpr long kDefaultThreads = 16;
constexpr long kDefaultReads = 4;  // the CI's count; 100 by hand
constexpr uint32_t kTimeoutMs = 3000;
constexpr uint32_t kRetries = 3;
// Heap growth allowed from the early to the late reads: allocator slack,
// not a per-read allowance.
constexpr size_t kHeapSlackBytes = 256 * 1024;

// All threads wait here until the last one arrives.
class Gate {
 public:
  explicit Gate(size_t parties) : m_parties(parties) {}
  void arrive_and_wait() {
    std::unique_lock<std::mutex> lock(m_lock);
    if (++m_arrived == m_parties) {
      m_open = true;
      m_cv.notify_all();
    } else {
      m_cv.wait(lock, [this] { return m_open; });
    }
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_cv;
  size_t m_parties;
  size_t m_arrived = 0;
  bool m_open = false;
};

size_t heap_in_use() {
#ifdef QMR_SANITIZED_HEAP
  return 0;
#else
  return mallinfo2().uordblks;
#endif
}

class ThreadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run()) return;
    for (const char *ip : kAgentIps) {
      std::unique_ptr<StatusAgent> agent = reliability::make_agent(ip);
      if (!agent->start(&s_error)) return;
      s_agents.push_back(agent.release());
    }
  }
  static void TearDownTestSuite() {
    for (StatusAgent *agent : s_agents) delete agent;
    s_agents.clear();
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    ASSERT_EQ(kAgents, s_agents.size()) << s_error;
  }
  static std::vector<StatusAgent *> s_agents;
  static std::string s_error;
};

std::vector<StatusAgent *> ThreadTest::s_agents;
std::string ThreadTest::s_error;

TEST_F(ThreadTest, HandlesOnManyThreadsReadFullStatusesWithoutErrorOrGrowth) {
  const long threads = reliability::env_count("QMR_RELIABILITY_THREADS", kDefaultThreads);
  const long reads = reliability::env_count("QMR_RELIABILITY_READS", kDefaultReads);
  // The early phase: the first quarter of each thread's reads (at least one).
  const long early = reads / 4 > 0 ? reads / 4 : 1;

  StatusSnapshot expected;
  {
    Handle h(reliability::open_handle());
    ASSERT_TRUE(h);
    ASSERT_EQ(QMR_OK, QMRInitDevice(h.get(), kAgentIps[0], reliability::kPublicIPv4, kTimeoutMs, kRetries));
    expected = read_full_status(h.get());
    ASSERT_EQ(QMR_OK, expected.rc) << expected.failed_step;
  }

  std::atomic<long> done{0}, failed{0}, differing{0};
  std::mutex first_failure_lock;
  std::string first_failure;
  const size_t parties = static_cast<size_t>(threads) + 1;
  Gate after_early(parties), measured(parties), after_last(parties), measured_last(parties);
  auto worker = [&](long index) {
    Handle h(reliability::open_handle());
    int32_t rc = h ? QMRInitDevice(h.get(), kAgentIps[index % kAgents], reliability::kPublicIPv4, kTimeoutMs,
                                   kRetries)
                   : QMR_E_NO_MEMORY;
    for (long i = 0; i < reads; ++i) {
      if (i == early) {
        after_early.arrive_and_wait();
        measured.arrive_and_wait();
      }
      StatusSnapshot got = rc == QMR_OK ? read_full_status(h.get()) : StatusSnapshot{rc, "QMRInitDevice", {}, {}};
      ++done;
      if (got.rc != QMR_OK) {
        ++failed;
        std::lock_guard<std::mutex> hold(first_failure_lock);
        if (first_failure.empty()) first_failure = got.failed_step + " answered " + std::to_string(got.rc);
      } else if (!(got == expected)) {
        ++differing;
      }
    }
    if (early >= reads) {
      after_early.arrive_and_wait();
      measured.arrive_and_wait();
    }
    after_last.arrive_and_wait();
    measured_last.arrive_and_wait();
  };

  std::vector<std::thread> pool;
  for (long t = 0; t < threads; ++t) pool.emplace_back(worker, t);
  after_early.arrive_and_wait();  // every handle is open and has done its early reads
  size_t heap_early = heap_in_use();
  measured.arrive_and_wait();
  after_last.arrive_and_wait();  // every read is done, every handle still open
  size_t heap_late = heap_in_use();
  measured_last.arrive_and_wait();
  for (std::thread &t : pool) t.join();

  printf("%ld threads x %ld full status reads: %ld done, %ld failed, %ld differing; heap in use %zu bytes after "
         "the early reads, %zu after the last\n",
         threads, reads, done.load(), failed.load(), differing.load(), heap_early, heap_late);
  EXPECT_EQ(threads * reads, done.load());
  EXPECT_EQ(0, failed.load()) << first_failure;
  EXPECT_EQ(0, differing.load());
#ifndef QMR_SANITIZED_HEAP
  // The handles are still open at both points, so what they own is counted
  // at both; only growth per read would show.
  EXPECT_LE(heap_late, heap_early + kHeapSlackBytes);
#endif
}

}  // namespace
