// The SNMPv3 session's translation to and from net-snmp without an agent:
// peer names, sender texts, the error table, request and response PDUs.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>

#include <string>

#include "session/v3/v3_library.h"
#include "session/v3/v3_session_factory.h"
#include "session/v3/v3_translation.h"
#include "session_test_util.h"
#include "snmp/community_target.h"
#include "v3_test_util.h"

namespace {

TEST(V3PeerName, FormsPerProtocolWithPortSuffixes) {
  std::string peer;
  ASSERT_EQ(tqc_v3_peer_name("fe80::1", ITqcNetworkAddress::IPv6, 161, &peer), QMR_OK);
  EXPECT_EQ(peer, "udp6:[fe80::1]:161");
  ASSERT_EQ(tqc_v3_peer_name("10.77.0.2", ITqcNetworkAddress::IPv4, 161, &peer), QMR_OK);
  EXPECT_EQ(peer, "10.77.0.2:161");
  ASSERT_EQ(tqc_v3_peer_name("10.77.0.2", ITqcNetworkAddress::IPv4, 0, &peer), QMR_OK);
  EXPECT_EQ(peer, "10.77.0.2");
  ASSERT_EQ(tqc_v3_peer_name("00000001:0a0b0c0d0e0f", ITqcNetworkAddress::IPX, 36879, &peer), QMR_OK);
  EXPECT_EQ(peer, "ipx:00000001:0a0b0c0d0e0f/36879");
  // A numeric scope becomes the interface name (loopback is index 1).
  ASSERT_EQ(tqc_v3_peer_name("fe80::1%1", ITqcNetworkAddress::IPv6, 161, &peer), QMR_OK);
  EXPECT_EQ(peer, "udp6:[fe80::1%lo]:161");
  EXPECT_EQ(tqc_v3_peer_name("10.0.0.1", ITqcNetworkAddress::None, 161, &peer), QMR_E_INVALID_ARG);
}

TEST(V3SenderText, KeepsTheScopeOfALinkLocalSender) {
  sockaddr_in6 in6{};
  in6.sin6_family = AF_INET6;
  in6.sin6_port = htons(161);
  inet_pton(AF_INET6, "fe80::5", &in6.sin6_addr);
  in6.sin6_scope_id = 7;
  std::string text;
  uint16_t port = 0;
  ASSERT_TRUE(tqc_v3_sender_text(&in6, sizeof(in6), &text, &port));
  EXPECT_EQ(text, "fe80::5%7");
  EXPECT_EQ(port, 161);
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_port = htons(1161);
  inet_pton(AF_INET, "10.77.0.3", &in.sin_addr);
  ASSERT_TRUE(tqc_v3_sender_text(&in, sizeof(in), &text, &port));
  EXPECT_EQ(text, "10.77.0.3");
  EXPECT_EQ(port, 1161);
  EXPECT_FALSE(tqc_v3_sender_text(&in, 1, &text, &port));
  EXPECT_FALSE(tqc_v3_sender_text(nullptr, 0, &text, &port));
}

TEST(V3ErrorTable, LibraryErrorsMapToResultCodes) {
  const struct {
    int snmp_errno;
    int32_t code;
  } cases[] = {{0, QMR_OK},           {-66, QMR_E_SYSTEM_LIBRARY}, {-64, QMR_E_DECODE}, {-47, QMR_E_DECODE},
               {-11, QMR_E_DECODE},   {-62, QMR_E_NO_MEMORY},      {-61, QMR_E_INVALID_ARG},
               {-56, QMR_E_INVALID_ARG}, {-3, QMR_E_INVALID_ARG},  {-46, QMR_E_SECURITY}, {-33, QMR_E_SECURITY},
               {-35, QMR_E_SECURITY}, {-30, QMR_E_SECURITY},       {-32, QMR_E_RECEIVE}, {-25, QMR_E_RECEIVE},
               {-24, QMR_E_TIMEOUT},  {-12, QMR_E_SEND},           {-1, QMR_E_SNMP_LIBRARY},
               {-26, QMR_E_SNMP_LIBRARY}, {-65, QMR_E_SNMP_LIBRARY}};
  for (const auto &c : cases) EXPECT_EQ(tqc_map_snmp_error(c.snmp_errno), c.code) << c.snmp_errno;
}

// The library's state is needed by the PDU functions.
class V3TranslationTest : public ::testing::Test {
 protected:
  CTqcSnmpLibraryUse m_library;
};

TEST_F(V3TranslationTest, RequestValuesTakeTheirTypes) {
  TqcOwned<ITqsPdu> pdu(tqs_create_pdu());
  pdu->set_type(kTqsSetRequest);
  pdu->set_request_id(77);
  const struct {
    uint32_t type;
    const char *text;
    u_char asn;
  } values[] = {{kTqsInteger, "-5", ASN_INTEGER},           {kTqsCounter32, "7", ASN_COUNTER},
                {kTqsGauge32, "8", ASN_GAUGE},              {kTqsTimeTicks, "9", ASN_TIMETICKS},
                {kTqsIpAddress, "10.1.2.3", ASN_IPADDRESS}, {kTqsObjectId, "1.3.6.1.4.1.9", ASN_OBJECT_ID}};
  for (const auto &v : values)
    pdu->append_new_var_bind(tqs_create_oid_from_text("1.3.6.1.2.1.1.5.0"), tqs_create_value_from_text(v.text, v.type));
  ITqsSnmpValue *bytes = tqs_create_value(kTqsOctetString);
  const uint8_t raw[] = {'a', 0, 'b'};
  bytes->set_bytes(raw, sizeof(raw));
  pdu->append_new_var_bind(tqs_create_oid_from_text("1.3.6.1.2.1.1.6.0"), bytes);
  pdu->append_new_var_bind(tqs_create_oid_from_text("1.3.6.1.2.1.1.7.0"), nullptr);

  netsnmp_pdu *request = nullptr;
  ASSERT_EQ(tqc_v3_build_request(pdu.get(), &request), QMR_OK);
  EXPECT_EQ(request->command, SNMP_MSG_SET);
  EXPECT_EQ(request->reqid, 77);
  netsnmp_variable_list *var = request->variables;
  for (const auto &v : values) {
    ASSERT_NE(var, nullptr);
    EXPECT_EQ(var->type, v.asn) << v.text;
    var = var->next_variable;
  }
  ASSERT_NE(var, nullptr);
  EXPECT_EQ(var->type, ASN_OCTET_STR);
  EXPECT_EQ(var->val_len, sizeof(raw));  // the zero byte does not cut the string
  var = var->next_variable;
  ASSERT_NE(var, nullptr);
  EXPECT_EQ(var->type, ASN_NULL);
  EXPECT_EQ(var->name_length, 9u);
  EXPECT_EQ(var->name[8], 0u);
  snmp_free_pdu(request);

  // Values the library cannot carry are refused.
  TqcOwned<ITqsPdu> v6(tqs_create_pdu());
  v6->set_type(kTqsGetRequest);
  v6->append_new_var_bind(tqs_create_oid_from_text("1.3.6.1.2.1.1.5.0"), tqs_create_value(kTqsIpv6Address));
  EXPECT_EQ(tqc_v3_build_request(v6.get(), &request), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(request, nullptr);
}

TEST_F(V3TranslationTest, ResponsesReplaceTheVarBindsInOrder) {
  netsnmp_pdu *response = snmp_pdu_create(SNMP_MSG_RESPONSE);
  response->reqid = 12;
  response->errstat = 99;  // not a defined status
  response->errindex = 2;
  response->version = SNMP_VERSION_2c;
  oid name[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
  const char text[] = "Printer";
  snmp_pdu_add_variable(response, name, OID_LENGTH(name), ASN_PRIV_IMPLIED_OCTET_STR, text, sizeof(text) - 1);
  long number = 42;
  snmp_pdu_add_variable(response, name, OID_LENGTH(name), ASN_UINTEGER, &number, sizeof(number));
  snmp_pdu_add_variable(response, name, OID_LENGTH(name), SNMP_ENDOFMIBVIEW, nullptr, 0);

  // Four varbinds before: the first three are reused, the fourth removed.
  TqcOwned<ITqsPdu> pdu = session_test::request(kTqsGetRequest, {"1.1", "1.2", "1.3", "1.4"});
  TqcOwned<ITqsSnmpTarget> target = v3_test::user_target("127.0.0.1", 161, {"u", 0, 0, 0, "", ""});
  ASSERT_EQ(tqc_v3_translate_response(response, pdu.get(), target.get()), QMR_OK);
  EXPECT_EQ(pdu->get_type(), kTqsResponse);
  EXPECT_EQ(pdu->get_request_id(), 12);
  EXPECT_EQ(pdu->get_error_status(), kTqsStatusNotProcessed);
  EXPECT_EQ(pdu->get_error_index(), 2);
  const ITqsVarBindList *list = pdu->get_var_bind_list();
  ASSERT_EQ(list->count(), 3u);
  EXPECT_EQ(list->get_at(0)->get_value()->type(), kTqsOctetString);
  TqcOwned<ITqsOctetBuffer> first(list->get_at(0)->get_value()->to_text());
  EXPECT_STREQ(first->c_str(), "Printer");
  EXPECT_EQ(list->get_at(1)->get_value()->type(), kTqsGauge32);
  EXPECT_EQ(list->get_at(1)->get_value()->get_uint32(), 42u);
  EXPECT_EQ(list->get_at(2)->get_value()->type(), kTqsEndOfMibView);
  TqcOwned<ITqsOctetBuffer> name_text(list->get_at(2)->get_name()->to_text());
  EXPECT_STREQ(name_text->c_str(), "1.3.6.1.2.1.1.1.0");

  // A type the system does not know.
  netsnmp_variable_list *odd = snmp_pdu_add_variable(response, name, OID_LENGTH(name), ASN_INTEGER, &number,
                                                     sizeof(number));
  odd->type = ASN_APPLICATION | 9;
  EXPECT_EQ(tqc_v3_translate_response(response, pdu.get(), target.get()), QMR_E_SYSTEM_LIBRARY);
  snmp_free_pdu(response);
}

TEST(V3Session, RefusesNullAndCommunityTargets) {
  TqcOwned<ITqsSnmpSession> session(tqc_create_v3_request_session());
  TqcOwned<ITqsPdu> pdu = session_test::request(kTqsGetRequest, {"1.3.6.1.2.1.1.2.0"});
  TqcOwned<ITqsSnmpTarget> community = session_test::community_target("127.0.0.1", 161, 100, 0);
  EXPECT_EQ(session->send_sync(pdu.get(), nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(session->send_sync(nullptr, community.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(session->send_sync(pdu.get(), community.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(session->send_sync(static_cast<ITqsSnmpPacket *>(nullptr)), QMR_E_INVALID_ARG);
  ITqsSnmpPacketList *list = nullptr;
  EXPECT_EQ(session->send_broad_cast_sync(pdu.get(), community.get(), &list), QMR_E_INVALID_ARG);
  EXPECT_EQ(list, nullptr);
  TqcOwned<ITqsSnmpTarget> v2 = v3_test::user_target("127.0.0.1", 161, {"u", 0, 0, 0, "", ""});
  v2->set_version(kTqsSnmpV2c);
  EXPECT_EQ(session->send_sync(pdu.get(), v2.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(session->reserved(), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(tqc_snmp_library_users(), 0);
}

}  // namespace
