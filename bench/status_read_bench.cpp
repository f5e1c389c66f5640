// Client CPU per exchange of a full status read: the options and every
// record list read through the exported interface from net-snmp's snmpd on
// 127.77.70.1:161, beside net-snmp's library walking the same columns with
// one session and socket kept for the whole run (one row per GETNEXT).
//
// Exchanges are counted by the agent itself: snmpInPkts
// (1.3.6.1.2.1.11.1.0) is read before and after the timed loop, and the
// read that takes the second sample (the agent counts it before answering)
// is subtracted. Both sides are counted the same way; the net-snmp side
// also counts its own requests, and both counts must agree.
//
// CPU is user + system time of this process from getrusage(RUSAGE_SELF)
// over the timed loop; snmpd is a separate process and is not included
// (its own CPU per exchange is reported beside, as a gauge of the
// machine's speed at the time). Two further entries measure bare
// exchanges with no library at all, on a socket per exchange and on a kept
// socket: the kernel's share of each side's cost.
//
// The StatusWalk entries compare whole status reads by round trips: the
// library row by row and with bulk walks ("CmdSetBulkWalk"), both opening
// the agent as SNMPv2c, beside net-snmp's library reading the same tables
// with GetBulk (max-repetitions 10, the default of snmpbulkwalk and
// snmptable) on one kept v2c session; each directly and through a relay on
// 127.77.70.2:161 that delays every datagram by 10 ms each way, as a
// printer at a branch office would. They report exchanges per read (the
// agent's snmpInPkts) and the wall time per read.
// Runs only as root (the library reads IPv4 devices on port 161).
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/codec_netsnmp_peer.h"
#include "qmr.h"
#include "support/lossy_proxy.h"
#include "support/snmpd_agent.h"

namespace {

constexpr char kAgentIp[] = "127.77.70.1";
constexpr char kAgentEndpoint[] = "udp:127.77.70.1:161";
constexpr char kAgentPeer[] = "127.77.70.1:161";
constexpr char kRelayIp[] = "127.77.70.2";
constexpr char kRelayPeer[] = "127.77.70.2:161";
constexpr int kRelayDelayMs = 10;  // each way
constexpr int kRelayReads = 5;     // status reads per relay entry (about a second each row by row)
constexpr long kNetSnmpRepetitions = 10;  // snmpbulkwalk's and snmptable's default
constexpr int32_t kSelectorV2c = 1;
constexpr char kModel7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";
// The option read asks for this private instance; snmpd serves it by override.
constexpr char kNetWareName[] = "1.3.6.1.4.1.58114.8.64.4.2.1.7.10.19159104";
constexpr char kSnmpInPkts[] = "1.3.6.1.2.1.11.1.0";
constexpr char kCommunity[] = "public";
constexpr uint16_t kSnmpPort = 161;
constexpr int32_t kIPv4 = 1;
constexpr uint32_t kTimeoutMs = 2000;
constexpr uint32_t kRetries = 1;
constexpr uint32_t kAllJobs = 0;
constexpr uint32_t kStandardCharSet = 0;
constexpr uint32_t kPrivateCharSet = 1;
constexpr int kMaxWalkRows = 65536;

// ---- the agent ----

struct Agent {
  std::unique_ptr<SnmpdAgent> snmpd;
  std::string error;
};

Agent *agent() {
  static Agent a;
  if (a.snmpd || !a.error.empty()) return &a;
  if (geteuid() != 0) {
    a.error = "needs root: the library reads IPv4 devices on port 161";
    return &a;
  }
  if (!SnmpdAgent::available()) {
    a.error = "snmpd or the net-snmp tools are not installed";
    return &a;
  }
  a.snmpd.reset(new SnmpdAgent(kAgentEndpoint));
  a.snmpd->add_line(std::string("sysobjectid ") + kModel7300P);
  a.snmpd->add_line(std::string("rocommunity ") + kCommunity + " default");
  a.snmpd->add_line(std::string("override ") + kNetWareName + " octet_str QMR-BENCH");
  if (!a.snmpd->start(kAgentPeer, &a.error)) a.snmpd.reset();
  return &a;
}

// ---- net-snmp's side ----

// One net-snmp session (v1 or v2c) to the agent or the relay, kept open.
class NetSnmpSession {
 public:
  NetSnmpSession(const char *community, long version, const char *peer = kAgentPeer) {
    netsnmp_peer::init();
    netsnmp_session s;
    snmp_sess_init(&s);
    m_peer = std::string("udp:") + peer;
    m_community = community;
    s.peername = &m_peer[0];
    s.version = version;
    s.community = reinterpret_cast<u_char *>(&m_community[0]);
    s.community_len = m_community.size();
    s.timeout = static_cast<long>(kTimeoutMs) * 1000;
    s.retries = static_cast<int>(kRetries);
    m_session = snmp_sess_open(&s);
  }
  ~NetSnmpSession() {
    if (m_session != nullptr) snmp_sess_close(m_session);
  }
  NetSnmpSession(const NetSnmpSession &) = delete;
  NetSnmpSession &operator=(const NetSnmpSession &) = delete;
  bool ok() const { return m_session != nullptr; }

  // One request; the answer (null on failure) is the caller's to free.
  netsnmp_pdu *exchange(netsnmp_pdu *request) {
    ++m_requests;
    netsnmp_pdu *response = nullptr;
    if (snmp_sess_synch_response(m_session, request, &response) != STAT_SUCCESS) {
      if (response != nullptr) snmp_free_pdu(response);
      return nullptr;
    }
    return response;
  }
  int64_t requests() const { return m_requests; }

 private:
  std::string m_peer;
  std::string m_community;
  void *m_session = nullptr;
  int64_t m_requests = 0;
};

struct Oid {
  oid sub[MAX_OID_LEN];
  size_t len = 0;
};

Oid parse_oid(const std::string &text) {
  Oid o;
  o.len = MAX_OID_LEN;
  if (read_objid(text.c_str(), o.sub, &o.len) == 0) o.len = 0;
  return o;
}

bool inside(const Oid &column, const netsnmp_variable_list *v) {
  return v->name_length > column.len && snmp_oid_compare(v->name, column.len, column.sub, column.len) == 0;
}

// The agent's snmpInPkts, read with its own v2c session.
int64_t agent_packets(NetSnmpSession *probe) {
  const Oid counter = parse_oid(kSnmpInPkts);
  netsnmp_pdu *request = snmp_pdu_create(SNMP_MSG_GET);
  snmp_add_null_var(request, counter.sub, counter.len);
  netsnmp_pdu *response = probe->exchange(request);
  int64_t value = -1;
  if (response != nullptr && response->errstat == SNMP_ERR_NOERROR && response->variables != nullptr &&
      response->variables->type == ASN_COUNTER)
    value = static_cast<int64_t>(*response->variables->val.integer);
  if (response != nullptr) snmp_free_pdu(response);
  return value;
}

// Walks `columns` together, one GETNEXT per row of the first, as the
// library's table walk does: a v1 noSuchName naming another column drops
// that column and repeats the request. Answers the rows, or -1.
int walk(NetSnmpSession *session, const std::vector<std::string> &texts, std::vector<long> *first_values = nullptr,
         std::vector<Oid> *first_names = nullptr) {
  std::vector<Oid> columns, next;
  for (const std::string &t : texts) columns.push_back(parse_oid(t));
  next = columns;
  int rows = 0;
  while (rows < kMaxWalkRows) {
    netsnmp_pdu *request = snmp_pdu_create(SNMP_MSG_GETNEXT);
    for (const Oid &o : next) snmp_add_null_var(request, o.sub, o.len);
    netsnmp_pdu *response = session->exchange(request);
    if (response == nullptr) return -1;
    if (response->errstat == SNMP_ERR_NOSUCHNAME && response->errindex > 1 &&
        static_cast<size_t>(response->errindex) <= next.size()) {
      columns.erase(columns.begin() + (response->errindex - 1));
      next.erase(next.begin() + (response->errindex - 1));
      snmp_free_pdu(response);
      continue;
    }
    const netsnmp_variable_list *v = response->variables;
    if (response->errstat != SNMP_ERR_NOERROR || v == nullptr || !inside(columns[0], v)) {
      snmp_free_pdu(response);
      return rows;
    }
    size_t k = 0;
    for (; v != nullptr && k < next.size(); v = v->next_variable, ++k) {
      next[k].len = v->name_length;
      std::copy(v->name, v->name + v->name_length, next[k].sub);
    }
    if (first_values != nullptr && response->variables->type == ASN_INTEGER)
      first_values->push_back(*response->variables->val.integer);
    if (first_names != nullptr) first_names->push_back(next[0]);
    snmp_free_pdu(response);
    ++rows;
  }
  return rows;
}

// Walks `columns` together with GetBulkRequests (non-repeaters 0), as
// snmptable does: each complete repetition whose first cell is still in the
// first column is a row, and the next request goes on from the last
// complete one. Answers the rows, or -1.
int bulk_walk(NetSnmpSession *session, const std::vector<std::string> &texts, std::vector<long> *first_values = nullptr,
              std::vector<Oid> *first_names = nullptr) {
  std::vector<Oid> columns;
  for (const std::string &t : texts) columns.push_back(parse_oid(t));
  std::vector<Oid> next = columns;
  const size_t n = columns.size();
  int rows = 0;
  while (rows < kMaxWalkRows) {
    netsnmp_pdu *request = snmp_pdu_create(SNMP_MSG_GETBULK);
    request->non_repeaters = 0;
    request->max_repetitions = kNetSnmpRepetitions;
    for (const Oid &o : next) snmp_add_null_var(request, o.sub, o.len);
    netsnmp_pdu *response = session->exchange(request);
    if (response == nullptr) return -1;
    if (response->errstat != SNMP_ERR_NOERROR) {
      snmp_free_pdu(response);
      return rows;
    }
    std::vector<const netsnmp_variable_list *> cells;
    for (const netsnmp_variable_list *v = response->variables; v != nullptr; v = v->next_variable) cells.push_back(v);
    bool ended = cells.size() < n;
    for (size_t r = 0; r + n <= cells.size() && !ended; r += n) {
      const netsnmp_variable_list *first = cells[r];
      if (first->type == SNMP_ENDOFMIBVIEW || !inside(columns[0], first)) {
        ended = true;
        break;
      }
      for (size_t k = 0; k < n; ++k) {
        next[k].len = cells[r + k]->name_length;
        std::copy(cells[r + k]->name, cells[r + k]->name + cells[r + k]->name_length, next[k].sub);
      }
      if (first_values != nullptr && first->type == ASN_INTEGER) first_values->push_back(*first->val.integer);
      if (first_names != nullptr) first_names->push_back(next[0]);
      ++rows;
    }
    snmp_free_pdu(response);
    if (ended) return rows;
  }
  return rows;
}

using Walker = int (*)(NetSnmpSession *, const std::vector<std::string> &, std::vector<long> *, std::vector<Oid> *);

// One GET of an exact instance; false when the agent has no value.
bool get(NetSnmpSession *session, const std::string &text) {
  const Oid o = parse_oid(text);
  netsnmp_pdu *request = snmp_pdu_create(SNMP_MSG_GET);
  snmp_add_null_var(request, o.sub, o.len);
  netsnmp_pdu *response = session->exchange(request);
  const bool ok = response != nullptr && response->errstat == SNMP_ERR_NOERROR;
  if (response != nullptr) snmp_free_pdu(response);
  return ok;
}

std::vector<std::string> columns(const char *entry, std::initializer_list<int> numbers) {
  std::vector<std::string> out;
  for (int n : numbers) out.push_back(std::string(entry) + "." + std::to_string(n));
  return out;
}

// The character-set read: walk W, then one GET of V.D.L per row.
bool char_set(NetSnmpSession *session, Walker walker, const char *walk_column, const char *value_column) {
  std::vector<long> values;
  std::vector<Oid> names;
  const size_t prefix = parse_oid(walk_column).len;
  if (walker(session, {walk_column}, &values, &names) < 0) return false;
  for (size_t i = 0; i < values.size() && i < names.size(); ++i) {
    if (names[i].len <= prefix) return false;
    const std::string instance = std::string(value_column) + "." + std::to_string(names[i].sub[prefix]) + "." +
                                 std::to_string(values[i]);
    if (!get(session, instance)) return false;
  }
  return true;
}

// The same requests as QMRRefreshOptions and the record reads below, the
// tables walked by `walker`.
// Kept out of line so a profiler can count this side's work by name.
__attribute__((noinline)) bool netsnmp_status_read(NetSnmpSession *s, Walker walker = walk) {
  auto table = [s, walker](const std::vector<std::string> &texts) { return walker(s, texts, nullptr, nullptr) >= 0; };
  constexpr char kInput[] = "1.3.6.1.2.1.43.8.2.1";
  constexpr char kOutput[] = "1.3.6.1.2.1.43.9.2.1";
  constexpr char kStorage[] = "1.3.6.1.2.1.25.2.3.1";
  constexpr char kDevice[] = "1.3.6.1.2.1.25.3.2.1";
  const std::vector<std::string> jobs = {
      "1.3.6.1.4.1.58114.8.59.6.1.1.4",   "1.3.6.1.4.1.58114.8.59.6.1.1.9",   "1.3.6.1.4.1.58114.8.59.6.1.1.10",
      "1.3.6.1.4.1.58114.8.59.16.1.1.5",  "1.3.6.1.4.1.58114.8.59.16.1.1.6",  "1.3.6.1.4.1.58114.8.59.6.1.1.5",
      "1.3.6.1.4.1.58114.8.59.6.1.1.6",   "1.3.6.1.4.1.58114.8.59.10.1.1.7",  "1.3.6.1.4.1.58114.8.59.6.1.1.3",
      "1.3.6.1.4.1.58114.8.59.10.1.1.10", "1.3.6.1.4.1.58114.8.59.16.1.1.4", "1.3.6.1.4.1.58114.8.59.16.1.1.7"};
  // Options.
  bool ok = get(s, "1.3.6.1.2.1.1.5.0") && get(s, "1.3.6.1.2.1.1.6.0") && table(columns(kDevice, {1, 3, 5})) &&
            table(columns(kInput, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 18, 21, 22})) &&
            table(columns(kOutput, {2, 7, 9, 24})) && get(s, "1.3.6.1.2.1.25.2.2.0") &&
            table(columns(kStorage, {1, 2})) && table({"1.3.6.1.2.1.43.13.4.1.9"}) &&
            get(s, kNetWareName);
  // Record lists.
  ok = ok && table(columns(kStorage, {2, 4, 5, 3})) && table(columns(kDevice, {2, 5, 3})) &&
       table(columns("1.3.6.1.2.1.25.3.5.1", {1, 2})) &&
       table(columns(kInput, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 18, 21, 22})) &&
       table(columns(kOutput, {2, 6, 7, 12})) &&
       table(columns("1.3.6.1.2.1.43.11.1.1", {5, 7, 8, 9, 6})) &&
       table(columns("1.3.6.1.2.1.43.18.1.1", {2, 4, 5, 6, 7, 8}));
  // Jobs: the private character set first (it stays 0 on this agent), then the job columns.
  ok = ok && char_set(s, walker, "1.3.6.1.4.1.58114.8.51.3.1.1.1", "1.3.6.1.4.1.58114.8.51.4.1.1.7") && table(jobs);
  ok = ok && char_set(s, walker, "1.3.6.1.2.1.43.5.1.1.2", "1.3.6.1.2.1.43.7.1.1.4") &&
       char_set(s, walker, "1.3.6.1.4.1.58114.8.51.3.1.1.1", "1.3.6.1.4.1.58114.8.51.4.1.1.7");
  return ok;
}

// ---- ours ----

// Records the first failing step's name and code.
class StepCheck {
 public:
  explicit StepCheck(std::string *failure) : m_failure(failure) {}
  bool operator()(const char *step, int32_t rc) const {
    if (rc != QMR_OK && m_failure->empty()) *m_failure = std::string(step) + " answered " + std::to_string(rc);
    return rc == QMR_OK;
  }

 private:
  std::string *m_failure;
};

// One record list: its count, then every record.
template <typename Record, typename Count, typename Get>
bool read_list(void *h, const StepCheck &check, const char *count_step, Count count_fn, const char *get_step,
               Get get_fn) {
  int32_t count = 0;
  if (!check(count_step, count_fn(h, &count))) return false;
  for (int32_t i = 0; i < count; ++i) {
    Record r;
    if (!check(get_step, get_fn(h, static_cast<uint32_t>(i), &r))) return false;
  }
  return true;
}

int32_t all_jobs_count(void *h, int32_t *count) { return QMRGetNumberOfJobInfo(h, kAllJobs, count); }

// One full status read through the exported interface; the failing step's
// name and code on failure.
__attribute__((noinline)) bool qmr_status_read(void *h, std::string *failure) {
  const StepCheck check(failure);
  QMRPrinterInfo printer;
  int32_t charSet = 0;
  return check("QMRRefreshOptions", QMRRefreshOptions(h)) &&
         read_list<QMRStorageInfo>(h, check, "QMRGetNumberOfStorageInfo", QMRGetNumberOfStorageInfo,
                                   "QMRGetStorageInfo", QMRGetStorageInfo) &&
         read_list<QMRDeviceInfo>(h, check, "QMRGetNumberOfDeviceInfo", QMRGetNumberOfDeviceInfo, "QMRGetDeviceInfo",
                                  QMRGetDeviceInfo) &&
         check("QMRGetPrinterInfo", QMRGetPrinterInfo(h, &printer)) &&
         read_list<QMRInputTrayInfo>(h, check, "QMRGetNumberOfInputTrayInfo", QMRGetNumberOfInputTrayInfo,
                                     "QMRGetInputTrayInfo", QMRGetInputTrayInfo) &&
         read_list<QMROutputTrayInfo>(h, check, "QMRGetNumberOfOutputTrayInfo", QMRGetNumberOfOutputTrayInfo,
                                      "QMRGetOutputTrayInfo", QMRGetOutputTrayInfo) &&
         read_list<QMRTonerInfo>(h, check, "QMRGetNumberOfTonerInfo", QMRGetNumberOfTonerInfo, "QMRGetTonerInfo",
                                 QMRGetTonerInfo) &&
         read_list<QMRAlertInfo>(h, check, "QMRGetNumberOfAlertInfo", QMRGetNumberOfAlertInfo, "QMRGetAlertInfo",
                                 QMRGetAlertInfo) &&
         read_list<QMRJobInfo>(h, check, "QMRGetNumberOfJobInfo", all_jobs_count, "QMRGetJobInfo", QMRGetJobInfo) &&
         check("QMRGetCharSet(0)", QMRGetCharSet(h, kStandardCharSet, &charSet)) &&
         check("QMRGetCharSet(1)", QMRGetCharSet(h, kPrivateCharSet, &charSet));
}

// ---- measurement ----

struct CpuUs {
  double user = 0;
  double system = 0;
  double total() const { return user + system; }
};

CpuUs cpu_us() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  CpuUs c;
  c.user = u.ru_utime.tv_sec * 1e6 + u.ru_utime.tv_usec;
  c.system = u.ru_stime.tv_sec * 1e6 + u.ru_stime.tv_usec;
  return c;
}

// CPU time the scheduler has charged to process `pid`, in µs (the first
// field of /proc/PID/schedstat, in ns); -1 when it cannot be read.
double scheduled_us(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/schedstat";
  std::FILE *f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return -1;
  unsigned long long ns = 0;
  const bool ok = std::fscanf(f, "%llu", &ns) == 1;
  std::fclose(f);
  return ok ? static_cast<double>(ns) / 1e3 : -1;
}

// Runs `read` once per iteration and sets the two counters from the agent's
// packet count; `own_count` gives the side's own request count, or -1 when
// the side keeps none.
template <typename Read, typename Own>
void measure(benchmark::State &state, NetSnmpSession *probe, Read read, Own own_count) {
  const int64_t packets_before = agent_packets(probe);
  const int64_t own_before = own_count();
  const pid_t agent_pid = agent()->snmpd->pid();
  const double agent_before = scheduled_us(agent_pid);
  const CpuUs cpu_before = cpu_us();
  int64_t reads = 0;
  for (auto _ : state) {
    std::string failure;
    if (!read(&failure)) {
      state.SkipWithError(("status read failed: " + failure).c_str());
      return;
    }
    ++reads;
  }
  const CpuUs cpu_after = cpu_us();
  const double agent_after = scheduled_us(agent_pid);
  const int64_t own = own_before < 0 ? -1 : own_count() - own_before;
  // The sampling GET is counted by the agent before it answers.
  const int64_t exchanges = agent_packets(probe) - packets_before - 1;
  if (packets_before < 0 || exchanges <= 0 || reads == 0) {
    state.SkipWithError("cannot read the agent's snmpInPkts");
    return;
  }
  if (own >= 0 && own != exchanges) {
    state.SkipWithError(("agent counted " + std::to_string(exchanges) + " requests, client sent " +
                         std::to_string(own))
                            .c_str());
    return;
  }
  // The user/system split tells library work from the kernel's socket work.
  const double n = static_cast<double>(exchanges);
  state.counters["cpu_us_per_exchange"] = (cpu_after.total() - cpu_before.total()) / n;
  state.counters["user_us_per_exchange"] = (cpu_after.user - cpu_before.user) / n;
  state.counters["sys_us_per_exchange"] = (cpu_after.system - cpu_before.system) / n;
  // The agent does the same work per exchange for both status reads, so
  // its CPU per exchange shows how fast the machine ran meanwhile.
  if (agent_before >= 0 && agent_after >= 0) state.counters["agent_us_per_exchange"] = (agent_after - agent_before) / n;
  state.counters["exchanges_per_read"] = static_cast<double>(exchanges) / static_cast<double>(reads);
}

NetSnmpSession *probe_session() {
  static NetSnmpSession probe(SnmpdAgent::probe_community(), SNMP_VERSION_2c);
  return &probe;
}

// The relay that stands for a distant link, started once: every datagram
// 10 ms later each way. Null with the reason when it cannot start.
LossyProxy *relay(std::string *error) {
  static std::unique_ptr<LossyProxy> r;
  static std::string failure;
  if (!r && failure.empty()) {
    r.reset(new LossyProxy(kRelayIp, kSnmpPort, kAgentIp, kSnmpPort, 1));
    LossyProxy::Faults distant;
    distant.fixed_delay_ms = kRelayDelayMs;
    if (r->start(&failure)) r->set_faults(distant, distant);
    else r.reset();
  }
  *error = failure;
  return r.get();
}

enum class Path { kDirect, kRelay };

// The agent (and the relay for that path) are running; else the entry is skipped.
bool ready(benchmark::State &state, Path path) {
  Agent *a = agent();
  if (!a->snmpd) {
    state.SkipWithError(a->error.c_str());
    return false;
  }
  std::string error;
  if (path == Path::kRelay && relay(&error) == nullptr) {
    state.SkipWithError(("relay: " + error).c_str());
    return false;
  }
  return true;
}

// Our status reads of the device at `ip`: opened with QMRInitDevice when
// `bulk` is null, else as SNMPv2c with "CmdSetBulkWalk" set to `bulk`.
void measure_ours(benchmark::State &state, const char *ip, const char *bulk) {
  void *h = nullptr;
  const QMRSecurityBlock none{};
  int32_t rc = QMRInit(&h);
  if (rc == QMR_OK) rc = QMRCommandString(h, "CmdSetCommunityGetOption", kCommunity);
  if (rc == QMR_OK && bulk != nullptr) rc = QMRCommandString(h, "CmdSetBulkWalk", bulk);
  if (rc == QMR_OK)
    rc = bulk == nullptr ? QMRInitDevice(h, ip, kIPv4, kTimeoutMs, kRetries)
                         : QMRInitDeviceEx(h, ip, kIPv4, kSelectorV2c, &none, kTimeoutMs, kRetries);
  if (rc != QMR_OK) {
    state.SkipWithError(("opening the agent answered " + std::to_string(rc)).c_str());
  } else {
    measure(
        state, probe_session(), [h](std::string *failure) { return qmr_status_read(h, failure); },
        [] { return int64_t{-1}; });
  }
  QMRUnInit(h);
}

// net-snmp's status reads on one kept session to `peer`, tables by `walker`.
void measure_netsnmp(benchmark::State &state, long version, const char *peer, Walker walker) {
  NetSnmpSession session(kCommunity, version, peer);
  if (!session.ok()) {
    state.SkipWithError("snmp_sess_open failed");
    return;
  }
  measure(
      state, probe_session(),
      [&session, walker](std::string *failure) {
        const bool ok = netsnmp_status_read(&session, walker);
        if (!ok) *failure = "a net-snmp request failed";
        return ok;
      },
      [&session] { return session.requests(); });
}

void BM_StatusReadOurs(benchmark::State &state) {
  if (ready(state, Path::kDirect)) measure_ours(state, kAgentIp, nullptr);
}

void BM_StatusReadNetSnmp(benchmark::State &state) {
  if (ready(state, Path::kDirect)) measure_netsnmp(state, SNMP_VERSION_1, kAgentPeer, walk);
}

void BM_StatusWalkOurs(benchmark::State &state, Path path, bool bulk) {
  if (ready(state, path)) measure_ours(state, path == Path::kRelay ? kRelayIp : kAgentIp, bulk ? "on" : "off");
}

void BM_StatusWalkNetSnmpBulk(benchmark::State &state, Path path) {
  if (ready(state, path)) measure_netsnmp(state, SNMP_VERSION_2c, path == Path::kRelay ? kRelayPeer : kAgentPeer, bulk_walk);
}

// ---- the kernel's share ----

// What a client cannot do without: one prebuilt GETNEXT of the storage
// table sent and its answer taken, 60 times per iteration as in a status
// read, with no encoding, decoding or records. On a socket made for each
// exchange (socket, sendto, poll, recvfrom, close, as the library's
// sessions do) and on one socket kept for the run (sendto, poll, recvfrom).
// Their difference is what the socket per exchange costs in the kernel.
class RawExchanger {
 public:
  explicit RawExchanger(bool fresh_socket) : m_fresh(fresh_socket) {
    netsnmp_peer::Session session(SNMP_VERSION_1, kCommunity);
    const Oid column = parse_oid("1.3.6.1.2.1.25.2.3.1.2");
    netsnmp_pdu *request = snmp_pdu_create(SNMP_MSG_GETNEXT);
    snmp_add_null_var(request, column.sub, column.len);
    netsnmp_peer::Builder builder;
    size_t length = 0;
    const u_char *message = builder.build(session, request, &length);
    if (message != nullptr) m_request.assign(message, message + length);
    snmp_free_pdu(request);
    m_agent.sin_family = AF_INET;
    m_agent.sin_port = htons(kSnmpPort);
    inet_pton(AF_INET, kAgentIp, &m_agent.sin_addr);
    if (!m_fresh) m_kept = socket(AF_INET, SOCK_DGRAM, 0);
  }
  ~RawExchanger() {
    if (m_kept >= 0) close(m_kept);
  }
  RawExchanger(const RawExchanger &) = delete;
  RawExchanger &operator=(const RawExchanger &) = delete;

  bool exchange() {
    if (m_request.empty()) return false;
    ++m_requests;
    const int fd = m_fresh ? socket(AF_INET, SOCK_DGRAM, 0) : m_kept;
    if (fd < 0) return false;
    bool ok = sendto(fd, m_request.data(), m_request.size(), 0, reinterpret_cast<const sockaddr *>(&m_agent),
                     sizeof m_agent) == static_cast<ssize_t>(m_request.size());
    pollfd watch{fd, POLLIN, 0};
    ok = ok && poll(&watch, 1, static_cast<int>(kTimeoutMs)) == 1;
    sockaddr_in from{};
    socklen_t from_length = sizeof from;
    ok = ok && recvfrom(fd, m_answer, sizeof m_answer, 0, reinterpret_cast<sockaddr *>(&from), &from_length) > 0;
    if (m_fresh) close(fd);
    return ok;
  }
  int64_t requests() const { return m_requests; }

 private:
  bool m_fresh;
  int m_kept = -1;
  std::vector<u_char> m_request;
  sockaddr_in m_agent{};
  u_char m_answer[2048];
  int64_t m_requests = 0;
};

void BM_RawExchanges(benchmark::State &state, bool fresh_socket) {
  if (!ready(state, Path::kDirect)) return;
  constexpr int kExchangesPerRead = 60;
  RawExchanger exchanger(fresh_socket);
  measure(
      state, probe_session(),
      [&exchanger](std::string *failure) {
        for (int i = 0; i < kExchangesPerRead; ++i) {
          if (!exchanger.exchange()) {
            *failure = "an exchange failed";
            return false;
          }
        }
        return true;
      },
      [&exchanger] { return exchanger.requests(); });
}

BENCHMARK(BM_StatusReadOurs)->Name("StatusRead/ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StatusReadNetSnmp)->Name("StatusRead/netsnmp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StatusWalkOurs, rows_direct, Path::kDirect, false)
    ->Name("StatusWalk/direct/rows")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StatusWalkOurs, bulk_direct, Path::kDirect, true)
    ->Name("StatusWalk/direct/bulk")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StatusWalkNetSnmpBulk, direct, Path::kDirect)
    ->Name("StatusWalk/direct/netsnmp_bulk")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StatusWalkOurs, rows_relay, Path::kRelay, false)
    ->Name("StatusWalk/relay_10ms/rows")
    ->Iterations(kRelayReads)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StatusWalkOurs, bulk_relay, Path::kRelay, true)
    ->Name("StatusWalk/relay_10ms/bulk")
    ->Iterations(kRelayReads)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StatusWalkNetSnmpBulk, relay, Path::kRelay)
    ->Name("StatusWalk/relay_10ms/netsnmp_bulk")
    ->Iterations(kRelayReads)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RawExchanges, fresh_socket, true)
    ->Name("StatusRead/kernel_fresh_socket")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RawExchanges, kept_socket, false)
    ->Name("StatusRead/kernel_kept_socket")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
