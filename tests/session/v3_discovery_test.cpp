// SNMPv3 engine-ID discovery inside a namespace lab: two snmpd agents answer
// the broadcast probe, only one knows the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <string>
#include <vector>

#include "session/v3/v3_library.h"
#include "session/v3/v3_request_session.h"
#include "session/v3/v3_session_factory.h"
#include "session_test_util.h"
#include "snmp/object_list.h"
#include "snmp/snmp_packet.h"
#include "support/netns_lab.h"
#include "support/snmpd_agent.h"
#include "v3_test_util.h"

namespace {

const v3_test::SUser kUser = {"labuser", kTqsAuthPriv, kTqsAuthHmacSha, kTqsPrivAes, "lab-auth-pass", "lab-priv-pass"};

class V3DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QMR_REQUIRE_NETNS_LAB();
    if (!SnmpdAgent::available()) GTEST_SKIP() << "needs snmpd";
    std::string error;
    ASSERT_TRUE(m_lab.create(&error)) << error;
    for (int i = 0; i < 2; ++i) {
      auto agent = std::make_unique<SnmpdAgent>("udp:161");
      agent->set_namespace(m_lab.printer(i));
      agent->add_line("engineID lab-printer-" + std::to_string(i));
      if (i == 0)
        agent->add_user(kUser.name, "SHA", kUser.auth_pass, "AES", kUser.priv_pass, "priv");
      else
        agent->add_user("someoneelse", "SHA", "other-auth-pass", "AES", "other-priv-pass", "priv");
      ASSERT_TRUE(agent->start(m_lab.printer_ipv4(i) + ":161", &error)) << error;
      m_agents.push_back(std::move(agent));
    }
  }
  void TearDown() override {
    m_agents.clear();  // stopped by PID before the lab goes
    m_lab.destroy();
  }

  NetnsLab m_lab{2, 0};
  std::vector<std::unique_ptr<SnmpdAgent>> m_agents;
};

TEST_F(V3DiscoveryTest, TwoEnginesFoundOneAnswerReturned) {
  TqcOwned<ITqsSnmpTarget> target = v3_test::user_target("255.255.255.255", 161, kUser, 1500, 0);
  std::vector<TqcOwned<ITqsSnmpTarget>> engines;
  int32_t found_rc = -1;
  int32_t rc = -1;
  ITqsSnmpPacketList *list = nullptr;
  ASSERT_TRUE(m_lab.run_in_client([&] {
    CTqcSnmpLibraryUse library;
    found_rc = v3RequestSession::get_engine_id_broad_cast(target.get(), &engines);
    TqcOwned<ITqsSnmpSession> session(tqc_create_v3_request_session());
    TqcOwned<ITqsPdu> pdu = session_test::request(kTqsGetRequest, {"1.3.6.1.2.1.1.2.0"});
    rc = session->send_broad_cast_sync(pdu.get(), target.get(), &list);
  }));
  TqcOwned<ITqsSnmpPacketList> packets(list);

  ASSERT_EQ(found_rc, QMR_OK);
  ASSERT_EQ(engines.size(), 2u);
  std::vector<std::string> senders;
  for (const auto &engine : engines) {
    senders.push_back(engine->get_address()->get_address());
    uint32_t length = 0;
    EXPECT_NE(tqs_user_security_of(engine.get())->get_engine_id(&length), nullptr);
    EXPECT_GT(length, 0u);
  }
  EXPECT_NE(std::find(senders.begin(), senders.end(), m_lab.printer_ipv4(0)), senders.end());
  EXPECT_NE(std::find(senders.begin(), senders.end(), m_lab.printer_ipv4(1)), senders.end());

  // The printer without the user is left out; the other one answers.
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_NE(packets, nullptr);
  ASSERT_EQ(packets->count(), 1u);
  TqcOwned<ITqsListIterator> it(packets->new_iterator());
  ITqsSnmpPacket *packet = packets->element_at(it.get());
  EXPECT_STREQ(packet->get_target()->get_address()->get_address(), m_lab.printer_ipv4(0).c_str());
  ITqsPdu *answer = packet->get_pdu();
  EXPECT_EQ(answer->get_type(), kTqsResponse);
  TqcOwned<ITqsOctetBuffer> value(answer->get_var_bind_list()->get_at(0)->get_value()->to_text());
  EXPECT_STREQ(value->c_str(), "1.3.6.1.4.1.8072.3.2.10");
  // The request target is the caller's and stays as it was.
  EXPECT_STREQ(target->get_address()->get_address(), "255.255.255.255");
  EXPECT_EQ(tqc_snmp_open_sessions(), 0);
}

TEST_F(V3DiscoveryTest, NoEngineAnsweringIsAnEmptyList) {
  m_agents.clear();
  TqcOwned<ITqsSnmpTarget> target = v3_test::user_target("255.255.255.255", 161, kUser, 500, 0);
  int32_t rc = -1;
  ITqsSnmpPacketList *list = nullptr;
  ASSERT_TRUE(m_lab.run_in_client([&] {
    TqcOwned<ITqsSnmpSession> session(tqc_create_v3_request_session());
    TqcOwned<ITqsPdu> pdu = session_test::request(kTqsGetRequest, {"1.3.6.1.2.1.1.2.0"});
    rc = session->send_broad_cast_sync(pdu.get(), target.get(), &list);
  }));
  TqcOwned<ITqsSnmpPacketList> packets(list);
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_NE(packets, nullptr);
  EXPECT_EQ(packets->count(), 0u);
}

}  // namespace
