// The SNMPv3 session against net-snmp's snmpd on loopback (an unprivileged
// port, so no root is needed): every security level through the get/set
// façade compared with snmpwalk, refused credentials, and two threads.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "session/get_data.h"
#include "session/usm_record.h"
#include "session/v3/v3_library.h"
#include "session/v3/v3_session_factory.h"
#include "session_test_util.h"
#include "snmp/object_list.h"
#include "support/snmpd_agent.h"
#include "v3_test_util.h"

namespace {

using v3_test::SUser;

constexpr uint16_t kAgentPort = 16161;
const char kAgentA[] = "127.77.40.1";
const char kAgentB[] = "127.77.40.2";
const char kSysObjectId[] = "1.3.6.1.2.1.1.2.0";
const char kStorageEntry[] = "1.3.6.1.2.1.25.2.3.1";
// hrStorageIndex, Type, Descr, AllocationUnits, Size (Used changes by itself).
const char *const kStorageColumns[] = {"1.3.6.1.2.1.25.2.3.1.1", "1.3.6.1.2.1.25.2.3.1.2", "1.3.6.1.2.1.25.2.3.1.3",
                                       "1.3.6.1.2.1.25.2.3.1.4", "1.3.6.1.2.1.25.2.3.1.5"};

const SUser kShaAes = {"shaaes", kTqsAuthPriv, kTqsAuthHmacSha, kTqsPrivAes, "sha-auth-pass", "aes-priv-pass"};
const SUser kMd5Des = {"md5des", kTqsAuthPriv, kTqsAuthHmacMd5, kTqsPrivDes, "md5-auth-pass", "des-priv-pass"};
const SUser kMd5Auth = {"md5auth", kTqsAuthNoPriv, kTqsAuthHmacMd5, kTqsPrivNone, "md5-only-pass", ""};
const SUser kShaAuth = {"shaauth", kTqsAuthNoPriv, kTqsAuthHmacSha, kTqsPrivNone, "sha-only-pass", ""};
const SUser kPlain = {"plain", kTqsNoAuthNoPriv, kTqsAuthNone, kTqsPrivNone, "", ""};

void add_users(SnmpdAgent *agent) {
  agent->add_user("shaaes", "SHA", "sha-auth-pass", "AES", "aes-priv-pass", "priv");
  agent->add_user("md5des", "MD5", "md5-auth-pass", "DES", "des-priv-pass", "priv");
  agent->add_user("md5auth", "MD5", "md5-only-pass", "", "", "auth");
  agent->add_user("shaauth", "SHA", "sha-only-pass", "", "", "auth");
  agent->add_user("plain", "", "", "", "", "noauth");
}

std::string peer(const char *address) { return std::string(address) + ":" + std::to_string(kAgentPort); }

// The tool's view of the same agent, same user.
std::map<std::string, std::string> tool_read(const char *tool, const SUser &user, const std::string &oid) {
  static const char *const kLevels[] = {"noAuthNoPriv", "authNoPriv", "authPriv"};
  std::vector<std::string> args = {tool, "-v3", "-l", kLevels[user.level], "-u", user.name, "-On", "-Oq", "-Oe",
                                   "-Ot", "-m", "", "-t", "3", "-r", "2"};
  if (user.level != kTqsNoAuthNoPriv) {
    args.insert(args.end(), {"-a", user.auth == kTqsAuthHmacMd5 ? "MD5" : "SHA", "-A", user.auth_pass});
  }
  if (user.level == kTqsAuthPriv) {
    args.insert(args.end(), {"-x", user.priv == kTqsPrivDes ? "DES" : "AES", "-X", user.priv_pass});
  }
  args.push_back(peer(kAgentA));
  args.push_back("." + oid);
  std::string out;
  EXPECT_EQ(run_command(args, &out), 0) << tool << " failed";
  return v3_test::parse_tool_output(out);
}

STqcUsmRecord record_of(const SUser &user) {
  return {user.name, user.level, user.auth, user.priv, user.auth_pass, user.priv_pass, ""};
}

struct SDestroy {
  void operator()(ITqcGetData *data) const { data->destroy(); }
};
using GetDataPtr = std::unique_ptr<ITqcGetData, SDestroy>;

GetDataPtr facade(const SUser &user, const char *address = kAgentA) {
  GetDataPtr data(tqc_create_get_data());
  const STqcUsmRecord record = record_of(user);
  EXPECT_EQ(data->init(address, ITqcNetworkAddress::IPv4, kAgentPort, kTqsSnmpV3, &record, 3000, 2, 0), QMR_OK);
  return data;
}


class V3SnmpdTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!SnmpdAgent::available()) return;
    for (const char *address : {kAgentA, kAgentB}) {
      auto agent = std::make_unique<SnmpdAgent>("udp:" + peer(address));
      add_users(agent.get());
      std::string error;
      if (!agent->start(peer(address), &error)) {
        s_error = error;
        s_agents.clear();
        return;
      }
      s_agents.push_back(std::move(agent));
    }
  }
  static void TearDownTestSuite() { s_agents.clear(); }
  void SetUp() override {
    if (!SnmpdAgent::available()) GTEST_SKIP() << "needs snmpd and the net-snmp tools";
    ASSERT_EQ(s_agents.size(), 2u) << s_error;
  }

  // One GET through the session; the result code.
  static int32_t get(ITqsSnmpTarget *target, std::string *value = nullptr) {
    TqcOwned<ITqsSnmpSession> session(tqc_create_v3_request_session());
    TqcOwned<ITqsPdu> pdu = session_test::request(kTqsGetRequest, {kSysObjectId});
    const int32_t rc = session->send_sync(pdu.get(), target);
    if (rc == QMR_OK && value != nullptr) {
      TqcOwned<ITqsOctetBuffer> text(pdu->get_var_bind_list()->get_at(0)->get_value()->to_text());
      *value = text->c_str();
    }
    return rc;
  }

  static std::vector<std::unique_ptr<SnmpdAgent>> s_agents;
  static std::string s_error;
};
std::vector<std::unique_ptr<SnmpdAgent>> V3SnmpdTest::s_agents;
std::string V3SnmpdTest::s_error;

TEST_F(V3SnmpdTest, EverySecurityLevelReadsWhatSnmpwalkReads) {
  for (const SUser &user : {kShaAes, kMd5Des, kMd5Auth, kShaAuth, kPlain}) {
    SCOPED_TRACE(user.name);
    // A single GET.
    const auto expected_get = tool_read("snmpget", user, kSysObjectId);
    GetDataPtr data = facade(user);
    ASSERT_EQ(data->add_oid_string("1.3.6.1.2.1.1.2", 1), QMR_OK);
    char text[256] = "";
    ASSERT_EQ(data->get_data(text, sizeof(text)), QMR_OK);
    EXPECT_EQ(text, expected_get.at(kSysObjectId));

    // A walk of hrStorageTable, column by column as the tool saw it.
    const auto expected = tool_read("snmpwalk", user, kStorageEntry);
    GetDataPtr walk = facade(user);
    for (const char *column : kStorageColumns) ASSERT_EQ(walk->add_oid_string(column, 0), QMR_OK);
    TqcOwned<ITqsPduList> rows(tqs_create_pdu_list());
    ASSERT_EQ(walk->get_data(rows.get(), kStorageColumns[0]), QMR_OK);
    ASSERT_GT(rows->count(), 0u);
    uint32_t cells = 0;
    TqcOwned<ITqsListIterator> it(rows->new_iterator());
    for (ITqsPdu *row = rows->element_at(it.get()); row != nullptr; rows->step(it.get()),
                 row = rows->element_at(it.get())) {
      const ITqsVarBindList *list = row->get_var_bind_list();
      ASSERT_EQ(list->count(), 5u);
      for (uint32_t i = 0; i < list->count(); ++i) {
        TqcOwned<ITqsOctetBuffer> name(list->get_at(i)->get_name()->to_text());
        TqcOwned<ITqsOctetBuffer> value(list->get_at(i)->get_value()->to_text());
        auto found = expected.find(name->c_str());
        ASSERT_NE(found, expected.end()) << name->c_str();
        EXPECT_EQ(found->second, value->c_str()) << name->c_str();
        ++cells;
      }
    }
    // Every cell of the five columns the tool read, no more.
    uint32_t tool_cells = 0;
    for (const auto &entry : expected) {
      for (const char *column : kStorageColumns)
        if (entry.first.rfind(std::string(column) + ".", 0) == 0) ++tool_cells;
    }
    EXPECT_EQ(cells, tool_cells);
  }
  EXPECT_EQ(tqc_snmp_library_users(), 0);
  EXPECT_EQ(tqc_snmp_open_sessions(), 0);
}

TEST_F(V3SnmpdTest, TheResponseFillsTheTargetsSecurityFields) {
  TqcOwned<ITqsSnmpTarget> target = v3_test::user_target(kAgentA, kAgentPort, kShaAes);
  std::string value;
  ASSERT_EQ(get(target.get(), &value), QMR_OK);
  EXPECT_EQ(value, "1.3.6.1.4.1.8072.3.2.10");
  ITqsUserSecurity *security = tqs_user_security_of(target.get());
  uint32_t engine_length = 0;
  EXPECT_NE(security->get_engine_id(&engine_length), nullptr);
  EXPECT_GT(engine_length, 0u);
  EXPECT_STREQ(security->get_user_name(), "shaaes");
  EXPECT_EQ(security->get_security_level(), kTqsAuthPriv);
  EXPECT_STREQ(target->get_address()->get_address(), kAgentA);
  // With the engine ID known the next exchange needs no probe and still works.
  ASSERT_EQ(get(target.get(), &value), QMR_OK);
}

// Standard error of the process goes to a file while it lives, so that a
// test can see whether the library printed anything.
class CaptureStderr {
 public:
  CaptureStderr() {
    std::fflush(stderr);
    m_file = std::tmpfile();
    m_saved = dup(STDERR_FILENO);
    if (m_file != nullptr) dup2(fileno(m_file), STDERR_FILENO);
  }
  ~CaptureStderr() { restore(); }
  std::string text() {
    restore();
    std::string out;
    if (m_file == nullptr) return out;
    std::rewind(m_file);
    char buffer[512];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), m_file)) > 0) out.append(buffer, n);
    std::fclose(m_file);
    m_file = nullptr;
    return out;
  }

 private:
  void restore() {
    if (m_saved < 0) return;
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
    m_saved = -1;
  }
  FILE *m_file = nullptr;
  int m_saved = -1;
};

TEST_F(V3SnmpdTest, RefusedCredentialsAnswerSecurityCodesAndLeaveNothingOpen) {
  CaptureStderr captured;
  const int fds_before = v3_test::open_fds();
  SUser wrong_auth = kShaAes;
  wrong_auth.auth_pass = "not-the-pass-phrase";
  SUser unknown = kShaAuth;
  unknown.name = "nobody-here";
  SUser too_high = kMd5Auth;  // a user without privacy key asked for authPriv
  too_high.level = kTqsAuthPriv;
  too_high.priv = kTqsPrivDes;
  too_high.priv_pass = "some-priv-pass";
  for (const SUser &user : {wrong_auth, unknown, too_high}) {
    SCOPED_TRACE(user.name);
    TqcOwned<ITqsSnmpTarget> target = v3_test::user_target(kAgentA, kAgentPort, user, 1000, 0);
    EXPECT_EQ(get(target.get()), QMR_E_SECURITY);
    EXPECT_EQ(tqc_snmp_open_sessions(), 0);
    EXPECT_EQ(tqc_snmp_library_users(), 0);
    EXPECT_EQ(v3_test::open_fds(), fds_before);
  }
  // A wrong privacy pass phrase is not answered at all.
  SUser wrong_priv = kMd5Des;
  wrong_priv.priv_pass = "not-the-priv-pass";
  TqcOwned<ITqsSnmpTarget> silent = v3_test::user_target(kAgentA, kAgentPort, wrong_priv, 300, 0);
  EXPECT_EQ(get(silent.get()), QMR_E_TIMEOUT);
  EXPECT_EQ(v3_test::open_fds(), fds_before);

  // The corrected pass phrase works right after the wrong one: the keys of
  // the refused attempt did not stay behind.
  TqcOwned<ITqsSnmpTarget> right = v3_test::user_target(kAgentA, kAgentPort, kShaAes);
  EXPECT_EQ(get(right.get()), QMR_OK);
  EXPECT_EQ(v3_test::open_fds(), fds_before);
  // The library reports through result codes and the trace log only.
  EXPECT_EQ(captured.text(), "");
}

TEST_F(V3SnmpdTest, ALowerLevelThanTheAccessRuleIsRefusedByTheAgent) {
  SUser lower = kShaAes;
  lower.level = kTqsAuthNoPriv;
  TqcOwned<ITqsSnmpTarget> target = v3_test::user_target(kAgentA, kAgentPort, lower);
  TqcOwned<ITqsSnmpSession> session(tqc_create_v3_request_session());
  TqcOwned<ITqsPdu> pdu = session_test::request(kTqsGetRequest, {kSysObjectId});
  ASSERT_EQ(session->send_sync(pdu.get(), target.get()), QMR_OK);
  EXPECT_EQ(pdu->get_error_status(), 16);  // authorizationError
  EXPECT_EQ(pdu->get_type(), kTqsResponse);
}

TEST_F(V3SnmpdTest, AuthNoPrivWithoutAuthProtocolFailsBeforeSending) {
  // A silent socket of our own stands for the agent: nothing may reach it.
  const int sock = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = 0;
  inet_pton(AF_INET, "127.77.40.3", &addr.sin_addr);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
  socklen_t len = sizeof(addr);
  getsockname(sock, reinterpret_cast<sockaddr *>(&addr), &len);
  SUser no_auth = kMd5Auth;
  no_auth.auth = kTqsAuthNone;
  TqcOwned<ITqsSnmpTarget> target = v3_test::user_target("127.77.40.3", ntohs(addr.sin_port), no_auth, 300, 0);
  EXPECT_EQ(get(target.get()), QMR_E_INVALID_ARG);
  SUser bad_priv = kMd5Des;
  bad_priv.priv = 7;
  TqcOwned<ITqsSnmpTarget> priv_target = v3_test::user_target("127.77.40.3", ntohs(addr.sin_port), bad_priv, 300, 0);
  EXPECT_EQ(get(priv_target.get()), QMR_E_INVALID_ARG);
  pollfd pfd{sock, POLLIN, 0};
  EXPECT_EQ(poll(&pfd, 1, 300), 0) << "a datagram was sent";
  close(sock);
}

TEST_F(V3SnmpdTest, TwoThreadsOnDistinctTargetsAllSucceed) {
  constexpr int kExchanges = 200;
  std::atomic<int> ok[2] = {{0}, {0}};
  std::atomic<int> last_error[2] = {{0}, {0}};
  auto worker = [&](int n, const char *address, const SUser &user) {
    TqcOwned<ITqsSnmpTarget> target = v3_test::user_target(address, kAgentPort, user, 3000, 2);
    for (int i = 0; i < kExchanges; ++i) {
      std::string value;
      const int32_t rc = get(target.get(), &value);
      if (rc == QMR_OK && value == "1.3.6.1.4.1.8072.3.2.10") {
        ++ok[n];
      } else {
        // One failure fails the test: stop rather than wait out every try.
        last_error[n] = rc;
        break;
      }
    }
  };
  std::thread first(worker, 0, kAgentA, kShaAes);
  std::thread second(worker, 1, kAgentB, kMd5Des);
  first.join();
  second.join();
  EXPECT_EQ(ok[0].load(), kExchanges) << "last error " << last_error[0].load();
  EXPECT_EQ(ok[1].load(), kExchanges) << "last error " << last_error[1].load();
  EXPECT_EQ(tqc_snmp_library_users(), 0);
  EXPECT_EQ(tqc_snmp_open_sessions(), 0);
}

}  // namespace
