// Shared pieces of the device status reader tests: security parameters of a
// community-based opening, a reader bound to one agent, and the agents.
#ifndef QMR_TESTS_PRINTER_STATUS_TEST_SUPPORT_H
#define QMR_TESTS_PRINTER_STATUS_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "net/owned.h"
#include "printer/device_status.h"
#include "printer/walk_mode.h"
#include "session/plugin_usm.h"
#include "support/status_agent.h"

namespace status_test {

// Loopback addresses of these suites; the reader always talks to port 161.
constexpr char kAgentIp[] = "127.77.30.1";
constexpr char kPeerIp[] = "127.77.30.3";
// snmpd in front of the agent in the SNMPv3 walk modes.
constexpr char kV3FrontIp[] = "127.77.30.2";

constexpr uint32_t kTimeoutMs = 2000;
constexpr uint32_t kRetries = 1;

using StatusPtr = TqcOwned<CQMRDeviceStatus>;

// A reader opened on `address` that reads with `community` (empty: the
// façade's default) and writes with `writeCommunity` (empty: "private"),
// in the run's walk mode (in the SNMPv3 modes the agent is reached through
// snmpd, in the context named by `community`).
inline StatusPtr open_reader(const char *address, const std::string &community,
                             const std::string &writeCommunity = "",
                             uint32_t timeoutMs = kTimeoutMs, uint32_t retries = kRetries) {
  IQMRPluginUSM *usm = walk_mode::usm_for(community);
  if (walk_mode::v3() && std::strcmp(address, kAgentIp) == 0) address = kV3FrontIp;
  int32_t rc = QMR_E_FAILED;
  StatusPtr status(CQMRDeviceStatus::create(&rc));
  EXPECT_EQ(QMR_OK, rc);
  if (!status) return status;
  if (!community.empty()) status->set_read_community(community.c_str());
  if (!writeCommunity.empty()) status->set_write_community(writeCommunity.c_str());
  status->set_bulk_walk(walk_mode::bulk());
  EXPECT_EQ(QMR_OK, status->init(ITqcNetworkAddress::IPv4, address, usm, timeoutMs, retries, 0));
  return status;
}

// One snmpsimd per test program serving every status scenario, with
// "private" answering as the cancel scenario.
class StatusAgentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpsimAgent::can_run() || s_agent != nullptr) return;
    s_agent = tqs_started_or_null(new StatusAgent(kAgentIp, {{"private", "status-cancel"}}), &s_error);
    if (s_agent != nullptr && walk_mode::v3()) {
      s_front = walk_mode::start_v3_front(kV3FrontIp, kAgentIp, &s_error).release();
      if (s_front == nullptr) TearDownTestSuite();
    }
  }
  static void TearDownTestSuite() {
    delete s_front;
    s_front = nullptr;
    delete s_agent;
    s_agent = nullptr;
  }
  void SetUp() override {
    QMR_REQUIRE_SNMPSIM();
    QMR_REQUIRE_WALK_MODE_TOOLS();
    ASSERT_NE(nullptr, s_agent) << s_error;
  }

  static StatusAgent *s_agent;
  static SnmpdAgent *s_front;
  static std::string s_error;
};

inline std::string repeated(char c, size_t n) { return std::string(n, c); }

}  // namespace status_test

#endif  // QMR_TESTS_PRINTER_STATUS_TEST_SUPPORT_H
