// Varbinds, varbind lists, PDUs, targets, packets and object lists.
#include <gtest/gtest.h>

#include <string>

#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "snmp/community_target.h"
#include "snmp/object_list.h"
#include "snmp/pdu.h"
#include "snmp/snmp_packet.h"
#include "snmp/user_target.h"
#include "snmp/value_visitor.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"
#include "snmp_test_util.h"

namespace {

using ListPtr = TqcOwned<ITqsVarBindList>;
using PduPtr = TqcOwned<ITqsPdu>;
using TargetPtr = TqcOwned<ITqsSnmpTarget>;

// A list of `n` varbinds named 1.3.6.<i> holding INTEGER i.
ListPtr make_list(int n) {
  ListPtr list(tqs_create_var_bind_list());
  for (int i = 0; i < n; ++i) {
    std::string name = "1.3.6." + std::to_string(i);
    EXPECT_EQ(list->append_new(make_oid(name.c_str()).release(), tqs_create_number_value(kTqsInteger, i)), QMR_OK);
  }
  return list;
}

std::string name_at(const ITqsVarBindList *list, uint32_t i) { return text_of(list->get_at(i)->get_name()); }

TEST(VarBind, SetTakeAndClone) {
  TqcOwned<ITqsVarBind> vb(tqs_create_var_bind());
  ASSERT_TRUE(vb);
  ASSERT_EQ(vb->set(make_oid("1.3.6.1").release(), nullptr), QMR_OK);
  ASSERT_TRUE(vb->get_value());
  EXPECT_EQ(vb->get_value()->type(), kTqsNull);

  vb->set_status(5);
  TqcOwned<ITqsVarBind> copy(vb->clone());
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->get_status(), 0);  // the status is not copied
  EXPECT_NE(copy->get_name(), vb->get_name());
  EXPECT_FALSE(copy->equals(vb.get()));
  copy->set_status(5);
  EXPECT_TRUE(copy->equals(vb.get()));

  // Setting the member it already holds must not free it.
  ASSERT_EQ(vb->set_value(vb->get_value()), QMR_OK);
  EXPECT_EQ(vb->get_value()->type(), kTqsNull);

  ITqsOid *name = nullptr;
  ASSERT_EQ(vb->take(&name, nullptr), QMR_OK);
  OidPtr owned(name);
  EXPECT_EQ(text_of(name), "1.3.6.1");
  EXPECT_EQ(vb->get_name(), nullptr);
  EXPECT_EQ(vb->get_value(), nullptr);
}

TEST(VarBindList, MarkErrorAndStatuses) {
  ListPtr list = make_list(3);
  ASSERT_EQ(list->mark_error(2, 2), QMR_OK);
  EXPECT_EQ(list->get_at(0)->get_status(), 100);
  EXPECT_EQ(list->get_at(1)->get_status(), 2);
  EXPECT_EQ(list->get_at(2)->get_status(), 100);
  ASSERT_EQ(list->set_all_status(0), QMR_OK);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(list->get_at(i)->get_status(), 0);
  for (int64_t index : {0LL, 4LL, -1LL, 0x100000001LL}) {
    ASSERT_EQ(list->mark_error(5, index), QMR_OK);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(list->get_at(i)->get_status(), 100) << index;
  }
}

TEST(VarBindList, RangeOperations) {
  ListPtr list = make_list(3);
  int32_t rc = -1;
  ListPtr range(list->copy_range(1, 10, &rc));
  ASSERT_TRUE(range);
  EXPECT_EQ(range->count(), 2u);
  EXPECT_EQ(name_at(range.get(), 0), "1.3.6.1");
  EXPECT_NE(range->get_at(0), list->get_at(1));  // clones, not shared
  EXPECT_EQ(list->copy_range(3, 1, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);

  ListPtr front(list->take_front(2, &rc));
  ASSERT_TRUE(front);
  EXPECT_EQ(front->count(), 2u);
  EXPECT_EQ(list->count(), 1u);
  EXPECT_EQ(name_at(list.get(), 0), "1.3.6.2");
  ListPtr rest(list->take_front(10, &rc));
  EXPECT_EQ(rest->count(), 1u);
  EXPECT_EQ(list->count(), 0u);

  ListPtr copy(front->clone());
  EXPECT_TRUE(copy->equals(front.get()));
  ListPtr empty(list->clone(&rc));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->count(), 0u);
}

TEST(VarBindList, InsertRemoveTake) {
  ListPtr list = make_list(2);
  EXPECT_EQ(list->append_new(nullptr, nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(list->append(nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(list->insert_front(nullptr), QMR_E_INVALID_ARG);
  ASSERT_EQ(list->insert_new_front(make_oid("9").release(), nullptr), QMR_OK);
  EXPECT_EQ(name_at(list.get(), 0), "9");
  EXPECT_EQ(list->get_at(0)->get_value()->type(), kTqsNull);

  ITqsOid *name = nullptr;
  ITqsSnmpValue *value = nullptr;
  ASSERT_EQ(list->take_first_name_value(&name, &value), QMR_OK);
  OidPtr owned_name(name);
  ValuePtr owned_value(value);
  EXPECT_EQ(text_of(name), "9");

  ITqsVarBind *removed = nullptr;
  ASSERT_EQ(list->remove_at(1, &removed), QMR_OK);
  TqcOwned<ITqsVarBind> owned_vb(removed);
  EXPECT_EQ(text_of(removed->get_name()), "1.3.6.1");
  EXPECT_EQ(list->remove_at(1), QMR_E_INVALID_ARG);
  EXPECT_EQ(list->get_at(1), nullptr);

  TqcOwned<ITqsVarBind> first(list->take_first());
  ASSERT_TRUE(first);
  EXPECT_EQ(list->take_first(), nullptr);
  EXPECT_EQ(list->take_first_name_value(nullptr, nullptr), QMR_E_INVALID_ARG);

  ListPtr many = make_list(5);
  ASSERT_EQ(many->truncate(2), QMR_OK);
  EXPECT_EQ(many->count(), 2u);
}

TEST(Pdu, NewAndClear) {
  PduPtr pdu(tqs_create_pdu());
  ASSERT_TRUE(pdu);
  EXPECT_EQ(pdu->get_type(), -1);
  EXPECT_EQ(pdu->get_var_bind_list(), nullptr);
  EXPECT_EQ(pdu->get_error_status(), 0);
  EXPECT_EQ(pdu->get_error_index(), 0);

  pdu->set_type(kTqsResponse);
  pdu->set_request_id(1234);
  pdu->set_error_status(2);
  pdu->set_error_index(1);
  ASSERT_EQ(pdu->append_new_var_bind(make_oid("1.3").release(), nullptr), QMR_OK);
  ASSERT_EQ(pdu->set_time_stamp(tqs_create_number_value(kTqsTimeTicks, 9)), QMR_OK);
  ASSERT_EQ(pdu->clear(), QMR_OK);
  EXPECT_EQ(pdu->get_request_id(), 1234);
  EXPECT_EQ(pdu->get_type(), -1);
  EXPECT_EQ(pdu->get_error_status(), -1);
  EXPECT_EQ(pdu->get_error_index(), 0);
  EXPECT_EQ(pdu->get_var_bind_list(), nullptr);
  EXPECT_EQ(pdu->get_time_stamp(), nullptr);
  EXPECT_EQ(pdu->take_first_var_bind(), nullptr);
  EXPECT_EQ(pdu->take_first_name_value(nullptr, nullptr), QMR_E_INVALID_ARG);
}

TEST(Pdu, TrapFieldsCheckTheirTypes) {
  PduPtr pdu(tqs_create_pdu());
  ITqsSnmpValue *stamp = tqs_create_number_value(kTqsTimeTicks, 100);
  ASSERT_EQ(pdu->set_time_stamp(stamp), QMR_OK);
  ValuePtr gauge(tqs_create_number_value(kTqsGauge32, 5));
  EXPECT_EQ(pdu->set_time_stamp(gauge.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(pdu->get_time_stamp(), stamp);
  EXPECT_EQ(pdu->get_time_stamp()->get_uint32(), 100u);

  EXPECT_EQ(pdu->set_trap_oid(gauge.get()), QMR_E_INVALID_ARG);
  ITqsOid *trap = make_oid("1.3.6.1.4.1.9.0.3").release();
  ASSERT_EQ(pdu->set_trap_oid(trap), QMR_OK);
  EXPECT_EQ(pdu->get_trap_oid(), trap);
  ValuePtr taken(pdu->take_time_stamp());
  EXPECT_EQ(taken.get(), stamp);
  EXPECT_EQ(pdu->get_time_stamp(), nullptr);
}

TEST(Pdu, CloneAssignEquals) {
  PduPtr pdu(tqs_create_pdu());
  EXPECT_FALSE(pdu->equals(pdu.get()));  // type -1 is never equal
  pdu->set_type(kTqsGetRequest);
  pdu->set_request_id(7);
  ASSERT_EQ(pdu->set_var_bind_list(make_list(3).release()), QMR_OK);
  PduPtr copy(pdu->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->equals(pdu.get()));
  EXPECT_NE(copy->get_var_bind_list(), pdu->get_var_bind_list());
  copy->set_request_id(8);
  EXPECT_FALSE(copy->equals(pdu.get()));

  PduPtr header(tqs_create_pdu());
  ASSERT_EQ(header->copy_header(pdu.get()), QMR_OK);
  EXPECT_EQ(header->get_request_id(), 7);
  EXPECT_EQ(header->get_var_bind_list(), nullptr);
  EXPECT_FALSE(header->equals(pdu.get()));
  ASSERT_EQ(header->assign(pdu.get()), QMR_OK);
  EXPECT_TRUE(header->equals(pdu.get()));
  EXPECT_EQ(header->assign(nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(header->copy_header(nullptr), QMR_E_INVALID_ARG);

  // Traps compare their trap fields, not the request id.
  PduPtr trap_a(tqs_create_pdu());
  trap_a->set_type(kTqsTrap);
  trap_a->set_request_id(1);
  trap_a->set_trap_oid(make_oid("1.3.6.1.6.3.1.1.5.1").release());
  PduPtr trap_b(trap_a->clone());
  trap_b->set_request_id(2);
  EXPECT_TRUE(trap_a->equals(trap_b.get()));
  trap_b->set_trap_oid(make_oid("1.3.6.1.6.3.1.1.5.2").release());
  EXPECT_FALSE(trap_a->equals(trap_b.get()));
}

// Targets hold the transport layer's addresses and keep copies of them.
class TargetTest : public ::testing::Test {
 protected:
  using AddressPtr = TqcOwned<ITqcNetworkAddress>;
  static AddressPtr address(const char *text) { return AddressPtr(tqc_create_network_address(text, 0)); }
};

TEST_F(TargetTest, CommunityTargetFieldsAndCopies) {
  TargetPtr target(tqs_create_community_target());
  ASSERT_TRUE(target);
  EXPECT_EQ(target->kind(), kTqsCommunityKind);
  EXPECT_EQ(target->get_version(), -1);
  EXPECT_EQ(target->get_timeout(), -1);
  EXPECT_EQ(target->get_retries(), 0);
  EXPECT_EQ(target->get_max_message_size(), 0);
  EXPECT_EQ(target->get_port(), 0);
  EXPECT_EQ(target->get_address(), nullptr);
  ITqsCommunityTarget *community = tqs_community_of(target.get());
  ASSERT_NE(community, nullptr);
  EXPECT_EQ(community->get_community(), nullptr);

  AddressPtr printer = address("10.0.0.5");
  ASSERT_EQ(target->set_address(printer.get()), QMR_OK);
  EXPECT_NE(target->get_address(), printer.get());  // a copy
  EXPECT_TRUE(target->get_address()->is_equal(printer.get()));
  target->set_version(kTqsSnmpV1);
  target->set_timeout(3000);
  target->set_retries(2);
  target->set_max_message_size(1400);
  target->set_port(5000);
  ASSERT_EQ(community->set_community("public"), QMR_OK);

  TargetPtr copy(target->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->equals(target.get()));
  EXPECT_STREQ(tqs_community_of(copy.get())->get_community(), "public");
  EXPECT_EQ(copy->get_max_message_size(), 1400);
  tqs_community_of(copy.get())->set_community("private");
  EXPECT_FALSE(copy->equals(target.get()));
  tqs_community_of(copy.get())->set_community(nullptr);
  EXPECT_FALSE(copy->equals(target.get()));

  ASSERT_EQ(target->reset(), QMR_OK);
  EXPECT_EQ(target->get_address(), nullptr);
  EXPECT_EQ(community->get_community(), nullptr);
  EXPECT_EQ(target->get_version(), -1);
  EXPECT_NE(copy->get_address(), nullptr);  // the clone keeps its own
}

TEST_F(TargetTest, AssignRefusesAnotherKind) {
  TargetPtr community(tqs_create_community_target());
  TargetPtr user(tqs_create_user_target());
  user->set_version(kTqsSnmpV3);
  EXPECT_EQ(community->assign(user.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(community->get_version(), -1);
  EXPECT_EQ(user->assign(community.get()), QMR_E_INVALID_ARG);
  EXPECT_EQ(community->assign(nullptr), QMR_E_INVALID_ARG);
  EXPECT_FALSE(community->equals(user.get()));
  void *out = nullptr;
  EXPECT_EQ(community->query(kTqsUserSecurityId, &out), QMR_E_NO_INTERFACE);
  EXPECT_EQ(tqs_user_security_of(community.get()), nullptr);
  EXPECT_EQ(tqs_community_of(user.get()), nullptr);

  int32_t rc = -1;
  TargetPtr by_kind(tqs_create_target_of_kind(kTqsCommunityKind, &rc));
  ASSERT_TRUE(by_kind);
  EXPECT_EQ(by_kind->kind(), kTqsCommunityKind);
  EXPECT_EQ(tqs_create_target_of_kind(kTqsUserKind, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
}

TEST_F(TargetTest, UserTargetSecurity) {
  TargetPtr target(tqs_create_user_target());
  EXPECT_EQ(target->kind(), kTqsUserKind);
  ITqsUserSecurity *usm = tqs_user_security_of(target.get());
  ASSERT_NE(usm, nullptr);
  EXPECT_STREQ(usm->get_user_name(), "");
  EXPECT_EQ(usm->get_security_level(), 0);
  uint32_t n = 9;
  EXPECT_EQ(usm->get_engine_id(&n), nullptr);
  EXPECT_EQ(n, 0u);

  ASSERT_EQ(usm->set_user_name(std::string(32, 'u').c_str()), QMR_OK);
  EXPECT_EQ(usm->set_user_name(std::string(33, 'u').c_str()), QMR_E_INVALID_ARG);
  EXPECT_STREQ(usm->get_user_name(), "");
  ASSERT_EQ(usm->set_user_name("admin"), QMR_OK);
  usm->set_security_level(kTqsAuthPriv);
  usm->set_auth_protocol(kTqsAuthHmacSha);
  usm->set_priv_protocol(kTqsPrivAes);
  usm->set_auth_pass_phrase("authpass");
  usm->set_priv_pass_phrase("privpass");
  usm->set_context_name(nullptr);
  const uint8_t engine[] = {0x80, 0, 0x1f, 0x88, 4};
  ASSERT_EQ(usm->set_engine_id(engine, sizeof engine), QMR_OK);
  AddressPtr printer = address("fe80::1");
  ASSERT_EQ(target->set_address(printer.get()), QMR_OK);

  TargetPtr copy(target->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->equals(target.get()));
  ITqsUserSecurity *copy_usm = tqs_user_security_of(copy.get());
  EXPECT_STREQ(copy_usm->get_priv_pass_phrase(), "privpass");
  EXPECT_EQ(copy_usm->get_engine_id(&n)[3], 0x88);
  copy_usm->set_engine_id(nullptr, 5);
  EXPECT_FALSE(copy->equals(target.get()));
}

class HeaderVisitor final : public ITqsTargetVisitor {
 public:
  int32_t visit_header(ITqsSnmpTarget *target) override {
    seen = target;
    return 42;
  }
  ITqsSnmpTarget *seen = nullptr;
};

TEST_F(TargetTest, AcceptCallsTheHeaderOperation) {
  TargetPtr target(tqs_create_community_target());
  HeaderVisitor visitor;
  EXPECT_EQ(target->accept(&visitor), 42);
  EXPECT_EQ(visitor.seen, target.get());
}

TEST(Packet, OwnsPduAndTarget) {
  TqcOwned<ITqsSnmpPacket> packet(tqs_create_packet());
  ASSERT_TRUE(packet);
  EXPECT_EQ(packet->get_pdu(), nullptr);
  ITqsPdu *pdu = tqs_create_pdu();
  pdu->set_type(kTqsGetRequest);
  packet->set_pdu(pdu);
  packet->set_target(tqs_create_community_target());
  TqcOwned<ITqsSnmpPacket> copy(packet->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->equals(packet.get()));
  EXPECT_NE(copy->get_pdu(), pdu);
  PduPtr taken(packet->take_pdu());
  EXPECT_EQ(taken.get(), pdu);
  EXPECT_FALSE(copy->equals(packet.get()));
  ASSERT_EQ(packet->set_target(packet->get_target()), QMR_OK);  // same member: kept
  EXPECT_EQ(packet->get_target()->kind(), kTqsCommunityKind);
}

TEST(ObjectList, InsertIterateRemove) {
  int32_t rc = -1;
  TqcOwned<ITqsSnmpPacketList> list(tqs_create_packet_list(&rc));
  ASSERT_TRUE(list);
  EXPECT_EQ(list->insert_back(nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(list->remove_first(), QMR_E_INVALID_ARG);
  for (int i = 0; i < 4; ++i) {
    ITqsSnmpPacket *packet = tqs_create_packet();
    ITqsPdu *pdu = tqs_create_pdu();
    pdu->set_request_id(i);
    packet->set_pdu(pdu);
    ASSERT_EQ(i % 2 ? list->insert_back(packet) : list->insert_front(packet), QMR_OK);
  }
  // Order: 2, 0, 1, 3.
  EXPECT_EQ(list->count(), 4u);
  EXPECT_EQ(list->list(), list.get());
  TqcOwned<ITqsListIterator> it(list->new_iterator(&rc));
  ASSERT_TRUE(it);
  std::string order;
  for (ITqsSnmpPacket *p; (p = list->element_at(it.get())) != nullptr; list->step(it.get())) {
    order += std::to_string(p->get_pdu()->get_request_id());
  }
  EXPECT_EQ(order, "2013");
  EXPECT_EQ(list->step(it.get()), QMR_OK);  // at the end: no effect
  EXPECT_EQ(list->element_at(it.get()), nullptr);

  ASSERT_EQ(list->reset_iterator(it.get()), QMR_OK);
  list->step(it.get());
  ASSERT_EQ(list->remove_at(it.get()), QMR_OK);  // removes 0, moves to 1
  EXPECT_EQ(list->element_at(it.get())->get_pdu()->get_request_id(), 1);
  ASSERT_EQ(list->remove_last(), QMR_OK);
  ASSERT_EQ(list->remove_first(), QMR_OK);
  EXPECT_EQ(list->count(), 1u);
  ASSERT_EQ(list->remove_all(), QMR_OK);
  EXPECT_EQ(list->count(), 0u);

  // Removing the element under an iterator by another operation moves it on.
  for (int i = 0; i < 2; ++i) {
    ITqsSnmpPacket *packet = tqs_create_packet();
    packet->set_pdu(tqs_create_pdu());
    packet->get_pdu()->set_request_id(10 + i);
    ASSERT_EQ(list->insert_back(packet), QMR_OK);
  }
  ASSERT_EQ(list->reset_iterator(it.get()), QMR_OK);
  ASSERT_EQ(list->remove_first(), QMR_OK);
  ASSERT_NE(list->element_at(it.get()), nullptr);
  EXPECT_EQ(list->element_at(it.get())->get_pdu()->get_request_id(), 11);
  ASSERT_EQ(list->remove_all(), QMR_OK);
  EXPECT_EQ(list->element_at(it.get()), nullptr);

  // An iterator of another list is refused.
  TqcOwned<ITqsPduList> pdus(tqs_create_pdu_list());
  ASSERT_EQ(pdus->insert_back(tqs_create_pdu()), QMR_OK);
  EXPECT_EQ(list->remove_at(it.get()), QMR_E_INVALID_ARG);
  TqcOwned<ITqsListIterator> pit(pdus->new_iterator());
  EXPECT_EQ(list->step(pit.get()), QMR_E_INVALID_ARG);
  EXPECT_NE(pdus->element_at(pit.get()), nullptr);
  // An iterator may outlive its list.
  pdus.reset();
  pit.reset();
}

}  // namespace
