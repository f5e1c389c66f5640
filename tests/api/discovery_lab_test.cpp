// Discovery through the exported functions inside a namespace lab: a client
// namespace that sends the broadcasts and multicasts, printer namespaces
// with net-snmp agents posing as printer models, and scripted peers for
// what agents will not do (late, garbage, counting requests).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "qmr.h"
#include "support/discovery_answer.h"
#include "support/discovery_lab.h"
#include "support/udp_peer.h"

namespace {

constexpr int32_t kIPv4 = 1;
constexpr int32_t kIPX = 2;
constexpr int32_t kIPv6 = 5;
constexpr uint32_t kNoRequest = 0xFFFFFFFFu;  // retries -1

constexpr char k7300[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5";
constexpr char k7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";
constexpr char k7300PChild[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6.1";
// Shares the 7300P text as a prefix but is another model.
constexpr char kForeign[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.61";

constexpr int32_t kSnmpV3Selector = 2;
constexpr char kV3User[] = "discoverer";
constexpr char kV3AuthPass[] = "auth-pass-phrase";
constexpr char kV3PrivPass[] = "priv-pass-phrase";
constexpr int32_t kAuthPriv = 2;
constexpr int32_t kAuthSha = 2;
constexpr int32_t kPrivAes = 2;

struct Device {
  std::string address;
  std::string model;
  std::string sys_object_id;
  bool operator<(const Device &o) const { return address < o.address; }
};

// One lab for the whole suite: agents take seconds to start.
class DiscoveryLabTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!DiscoveryLab::can_run()) return;
    // Printers 0-3 run agents; printer 4 is left to scripted peers.
    lab_ = new DiscoveryLab(kPeerPrinter + 1);
    std::string error;
    const char *models[] = {k7300P, k7300PChild, k7300, kForeign};
    bool ok = lab_->create(&error);
    // Every agent but printer 1's knows the SNMPv3 user.
    auto with_user = [](SnmpdAgent *agent) {
      agent->add_user(kV3User, "SHA", kV3AuthPass, "AES", kV3PrivPass, "priv");
    };
    for (int i = 0; ok && i < kPeerPrinter; ++i)
      ok = lab_->start_snmpd(i, models[i], &error, i == 1 ? std::function<void(SnmpdAgent *)>() : with_user);
    if (!ok) {
      setup_error_ = new std::string(error);
      delete lab_;
      lab_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete lab_;
    lab_ = nullptr;
    delete setup_error_;
    setup_error_ = nullptr;
  }

  void SetUp() override {
    QMR_REQUIRE_LAB();
    ASSERT_NE(nullptr, lab_) << (setup_error_ ? *setup_error_ : std::string());
    ASSERT_EQ(QMR_OK, QMRInit(&h_));
  }
  void TearDown() override {
    peers_.clear();
    QMRUnInit(h_);
  }

  // Discovery from the client namespace.
  int32_t find(const char *dest, int32_t protocol, uint32_t timeout_ms, uint32_t retries, int32_t *found) {
    int32_t rc = -1;
    EXPECT_TRUE(DiscoveryLab::in_namespace(lab_->client(),
                                   [&] { rc = QMRFindDeviceSNMP(h_, dest, protocol, timeout_ms, retries, found); }));
    return rc;
  }

  std::vector<Device> walk() {
    std::vector<Device> out;
    for (int guard = 0; guard < 100; ++guard) {
      char address[64], model[64], oid[64];
      char zero = 'x';
      std::memset(address, 'x', sizeof address);
      if (QMRGetDeviceNext(h_, address, model, &zero, oid) != 1) break;
      EXPECT_EQ(0, zero);
      out.push_back({address, model, oid});
    }
    return out;
  }

  // A scripted peer on 0.0.0.0:161 or [::]:161 of the agent-less printer.
  UdpPeer *peer(const std::string &bind, UdpPeer::Handler handler) {
    UdpPeer *made = nullptr;
    EXPECT_TRUE(DiscoveryLab::in_namespace(lab_->printer(kPeerPrinter), [&] { made = new UdpPeer(bind, 161); }));
    peers_.emplace_back(made);
    EXPECT_TRUE(made != nullptr && made->ok());
    if (made != nullptr) made->start(std::move(handler));
    return made;
  }

  static constexpr int kPeerPrinter = 4;
  static DiscoveryLab *lab_;
  static std::string *setup_error_;
  void *h_ = nullptr;
  std::vector<std::unique_ptr<UdpPeer>> peers_;
};

DiscoveryLab *DiscoveryLabTest::lab_ = nullptr;
std::string *DiscoveryLabTest::setup_error_ = nullptr;

std::set<Device> as_set(const std::vector<Device> &devices) { return {devices.begin(), devices.end()}; }

// The walk holds exactly the expected devices (by address), each whole.
void expect_devices(const std::set<Device> &expected, const std::vector<Device> &devices) {
  ASSERT_EQ(expected.size(), devices.size());
  for (const auto &d : devices) {
    auto it = expected.find(d);
    ASSERT_NE(expected.end(), it) << d.address;
    EXPECT_EQ(it->model, d.model);
    EXPECT_EQ(it->sys_object_id, d.sys_object_id);
  }
}

}  // namespace

// A null IPv4 destination broadcasts to 255.255.255.255: the three supported
// printers are recorded with their model names; the foreign model is not.
TEST_F(DiscoveryLabTest, Ipv4BroadcastRecordsTheSupportedPrinters) {
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1500, 0, &found));
  EXPECT_EQ(3, found);
  expect_devices({{lab_->net().printer_ipv4(0), "Vellumcraft 7300P", k7300P},
                  {lab_->net().printer_ipv4(1), "Vellumcraft 7300P", k7300PChild},
                  {lab_->net().printer_ipv4(2), "Vellumcraft 7300", k7300}},
                 walk());
}

// A null IPv6 destination multicasts to ff02::1; the printers answer from
// their link-local addresses.
TEST_F(DiscoveryLabTest, Ipv6MulticastReachesEveryPrinter) {
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv6, 1500, 0, &found));
  EXPECT_EQ(3, found);
  const auto devices = walk();
  ASSERT_EQ(3u, devices.size());
  std::set<std::string> addresses, oids;
  for (const auto &d : devices) {
    EXPECT_NE(std::string::npos, d.address.find(':')) << d.address;
    addresses.insert(d.address);
    oids.insert(d.sys_object_id);
  }
  EXPECT_EQ(3u, addresses.size());
  EXPECT_EQ((std::set<std::string>{k7300P, k7300PChild, k7300}), oids);
}

TEST_F(DiscoveryLabTest, UnicastDestinationAsksOnePrinter) {
  int32_t found = -1;
  const std::string one = lab_->net().printer_ipv4(1);
  ASSERT_EQ(QMR_OK, find(one.c_str(), kIPv4, 1500, 0, &found));
  EXPECT_EQ(1, found);
  const auto devices = walk();
  ASSERT_EQ(1u, devices.size());
  EXPECT_EQ(one, devices[0].address);
  EXPECT_EQ("Vellumcraft 7300P", devices[0].model);
  EXPECT_EQ(k7300PChild, devices[0].sys_object_id);
  // The foreign model alone gives nothing.
  const std::string foreign = lab_->net().printer_ipv4(3);
  ASSERT_EQ(QMR_OK, find(foreign.c_str(), kIPv4, 1000, 0, &found));
  EXPECT_EQ(0, found);
  EXPECT_TRUE(walk().empty());
}

// The 7300P filter keeps the …18.6 and …18.6.1 answers only; filters stay
// for later discoveries until cleared.
TEST_F(DiscoveryLabTest, FiltersKeepMatchingPrefixesAcrossDiscoveries) {
  ASSERT_EQ(QMR_OK, QMRFindAddFilter(h_, k7300P));
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1500, 0, &found));
  EXPECT_EQ(2, found);
  std::set<std::string> oids;
  for (const auto &d : walk()) oids.insert(d.sys_object_id);
  EXPECT_EQ((std::set<std::string>{k7300P, k7300PChild}), oids);
  // A filter too long for its entry is refused, not cut to a wider prefix.
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindAddFilter(h_, (std::string(k7300) + std::string(40, '1')).c_str()));
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1500, 0, &found));
  EXPECT_EQ(2, found);
  QMRFindClearFilter(h_);
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1500, 0, &found));
  EXPECT_EQ(3, found);
}

// Every printer answers each of three tries; each is recorded once.
TEST_F(DiscoveryLabTest, RetriesDoNotDuplicate) {
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 700, 2, &found));
  EXPECT_EQ(3, found);
  const auto devices = walk();
  EXPECT_EQ(3u, as_set(devices).size());
  EXPECT_EQ(3u, devices.size());
}

// Late answers come back first; a reset starts the walk over; a new
// discovery replaces the list.
TEST_F(DiscoveryLabTest, WalkGivesTheLastAnswerFirstAndResetStartsOver) {
  // Two answers from one scripted printer would be one device, so the peer
  // answers on IPv4 late; the agents answer at once.
  peer("0.0.0.0", UdpPeer::respond([](const WireMessage &request, size_t) {
         return std::vector<UdpPeer::Reply>{{discovery_answer(request, k7300PChild), 400}};
       }));
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1200, 0, &found));
  ASSERT_EQ(4, found);
  const auto first = walk();
  ASSERT_EQ(4u, first.size());
  EXPECT_EQ(lab_->net().printer_ipv4(kPeerPrinter), first[0].address);
  char address[64], model[64], oid[64], zero = 1;
  EXPECT_EQ(0, QMRGetDeviceNext(h_, address, model, &zero, oid));
  QMRFindResetPosition(h_);
  const auto again = walk();
  ASSERT_EQ(first.size(), again.size());
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].address, again[i].address);
}

// Silence is a success with no devices, and nothing is left to walk.
TEST_F(DiscoveryLabTest, SilenceFindsNothing) {
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1500, 0, &found));
  ASSERT_GT(found, 0);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(QMR_OK, find("10.77.0.99", kIPv4, 400, 1, &found));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(780));
  EXPECT_EQ(0, found);
  EXPECT_TRUE(walk().empty());
}

// Garbage from one responder costs nothing but its own answer.
TEST_F(DiscoveryLabTest, UndecodableAnswerIsSkipped) {
  peer("0.0.0.0", UdpPeer::respond([](const WireMessage &, size_t) {
         return std::vector<UdpPeer::Reply>{{{0x30, 0x05, 0x02, 0x01, 0x00, 0x04, 0x00}, 50}};
       }));
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 1000, 0, &found));
  EXPECT_EQ(3, found);
  EXPECT_EQ(1u, peers_.back()->count());
}

TEST_F(DiscoveryLabTest, RetryCountMinusOneSendsNothing) {
  UdpPeer *counter = peer("0.0.0.0", nullptr);
  int32_t found = -1;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 2000, kNoRequest, &found));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(0, found);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(0u, counter->count());
}

// The discovery community goes into the request; agents that do not know
// it stay silent.
TEST_F(DiscoveryLabTest, DiscoveryCommunityIsSent) {
  UdpPeer *counter = peer("0.0.0.0", UdpPeer::respond([](const WireMessage &request, size_t) {
                            return std::vector<UdpPeer::Reply>{{discovery_answer(request, k7300), 0}};
                          }));
  ASSERT_EQ(QMR_OK, QMRCommandString(h_, "CmdSetCommunityFind", "finders"));
  int32_t found = -1;
  ASSERT_EQ(QMR_OK, find(nullptr, kIPv4, 800, 0, &found));
  EXPECT_EQ(1, found);
  ASSERT_EQ(1u, counter->count());
  WireMessage sent;
  ASSERT_TRUE(WireMessage::parse(counter->received()[0].bytes, &sent));
  EXPECT_EQ("finders", sent.community);
  EXPECT_EQ(0xA0, sent.pdu_tag);
}

// SNMPv3 discovery: engines are found by broadcast, then each is asked
// with the user's keys; the agent that lacks the user is left out.
TEST_F(DiscoveryLabTest, SnmpV3FindsTheAgentsThatKnowTheUser) {
  QMRSecurityBlock block;
  std::memset(&block, 0, sizeof block);
  std::strcpy(block.userName, kV3User);
  block.choice1 = kAuthPriv;
  block.choice2 = kAuthSha;
  block.choice3 = kPrivAes;
  std::strcpy(block.passPhrase1, kV3AuthPass);
  std::strcpy(block.passPhrase2, kV3PrivPass);
  int32_t found = -1;
  int32_t rc = -1;
  ASSERT_TRUE(DiscoveryLab::in_namespace(lab_->client(), [&] {
    rc = QMRFindDeviceSNMPEx(h_, nullptr, kIPv4, kSnmpV3Selector, &block, 1500, 0, &found);
  }));
  ASSERT_EQ(QMR_OK, rc);
  EXPECT_EQ(2, found);
  expect_devices({{lab_->net().printer_ipv4(0), "Vellumcraft 7300P", k7300P},
                  {lab_->net().printer_ipv4(2), "Vellumcraft 7300", k7300}},
                 walk());
}

// The destination's protocol must be the one asked for; nothing is sent
// otherwise (these run without a lab).
TEST(DiscoveryArguments, DestinationMustBelongToTheProtocol) {
  void *h = nullptr;
  ASSERT_EQ(QMR_OK, QMRInit(&h));
  int32_t found = -1;
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h, "ff02::1", kIPv4, 100, 0, &found));
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h, "127.77.9.9", kIPv6, 100, 0, &found));
  // IPX needs an IPX destination; the default text is an IPv4 one.
  EXPECT_EQ(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h, nullptr, kIPX, 100, 0, &found));
  char address[64], model[64], oid[64], zero = 1;
  EXPECT_EQ(0, QMRGetDeviceNext(h, address, model, &zero, oid));
  QMRUnInit(h);
}
