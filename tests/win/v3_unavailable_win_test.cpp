// Without net-snmp for Windows the SNMPv3 session refuses every exchange.
#include <gtest/gtest.h>

#include "qmr.h"
#include "session/v3/v3_session_factory.h"

namespace {

TEST(Win32SnmpV3, EveryExchangeAnswersNotSupported) {
  int32_t rc = -99;
  ITqsSnmpSession *session = tqc_create_v3_request_session(&rc);
  ASSERT_EQ(rc, QMR_OK);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->send_sync(nullptr, nullptr), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(session->send_sync(nullptr), QMR_E_NOT_SUPPORTED);
  ITqsSnmpPacketList *list = reinterpret_cast<ITqsSnmpPacketList *>(&rc);  // must be cleared
  EXPECT_EQ(session->send_broad_cast_sync(nullptr, nullptr, &list), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(list, nullptr);
  list = reinterpret_cast<ITqsSnmpPacketList *>(&rc);
  EXPECT_EQ(session->send_broad_cast_sync(static_cast<ITqsSnmpPacket *>(nullptr), &list), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(session->reserved(), QMR_E_NOT_SUPPORTED);
  session->release();
}

}  // namespace
