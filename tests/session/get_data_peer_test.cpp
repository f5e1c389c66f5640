// The get/set façade against scripted peers: what goes on the wire and how
// answers come back through each run.
#include <gtest/gtest.h>

#include <cstring>

#include "session/get_data.h"
#include "session_test_util.h"
#include "support/udp_peer.h"

using namespace session_test;

namespace {

constexpr char kPeerIp[] = "127.77.6.5";

struct OwnedGetData {
  ITqcGetData *p = tqc_create_get_data();
  ~OwnedGetData() {
    if (p) p->destroy();
  }
  ITqcGetData *operator->() const { return p; }
};

WireMessage parsed(const UdpPeer::Datagram &d) {
  WireMessage m;
  EXPECT_TRUE(WireMessage::parse(d.bytes, &m));
  return m;
}

int32_t init(OwnedGetData &g, uint16_t port, int32_t version = 0, uint32_t max = 0, int32_t timeout = 1000) {
  return g->init(kPeerIp, ITqcNetworkAddress::IPv4, port, version, nullptr, timeout, 0, max);
}

}  // namespace

TEST(GetDataPeer, RequestOnTheWireUsesCommunityVersionAndInstance) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo([](const WireMessage &req, WireMessage *resp) {
    for (size_t i = 0; i < req.varbinds.size(); ++i) resp->varbinds[i] = WireVarBind::integer(req.varbinds[i].oid, 7);
  }));
  {
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port(), 1));  // version 1 still goes out as SNMPv1
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.2", 1));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.3", 0x100));  // only the low byte counts
    int32_t values[2] = {0, 0};
    ASSERT_EQ(QMR_OK, g->get_data(values, 2));
    EXPECT_EQ(7, values[0]);
    WireMessage m = parsed(peer.received().at(0));
    EXPECT_EQ("public", m.community);
    EXPECT_EQ(0, m.version);
    EXPECT_EQ(0xA0, m.pdu_tag);
    ASSERT_EQ(2u, m.varbinds.size());
    EXPECT_EQ("1.3.6.1.2.1.1.2.0", m.varbinds[0].oid);
    EXPECT_EQ("1.3.6.1.2.1.1.3", m.varbinds[1].oid);
  }
  {
    OwnedGetData g;
    const std::string long_community(300, 'c');
    ASSERT_EQ(QMR_OK, g->set_community(long_community.c_str()));
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.7", 1));
    int32_t value = 0;
    ASSERT_EQ(QMR_OK, g->get_data(&value));
    EXPECT_EQ(std::string(255, 'c'), parsed(peer.received().at(1)).community);
  }
}

TEST(GetDataPeer, MaximumMessageSizeIsClampedToTheTransport) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo([](const WireMessage &req, WireMessage *resp) {
    for (size_t i = 0; i < req.varbinds.size(); ++i) {
      const std::string &oid = req.varbinds[i].oid;
      resp->varbinds[i] = WireVarBind::integer(oid, std::stoi(oid.substr(oid.rfind('.', oid.size() - 3) + 1)));
    }
  }));
  constexpr int kOids = 60;  // about 1,700 bytes of names
  for (uint32_t max : {0u, 2000u, 500u}) {
    const size_t before = peer.count();
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port(), 0, max));
    for (int i = 1; i <= kOids; ++i) {
      const std::string oid = "1.3.6.1.4.1.58114.8.59.16.1.1.5.1.2.3.4.5.6.7.8." + std::to_string(i);
      ASSERT_EQ(QMR_OK, g->add_oid_string(oid.c_str(), 1));
    }
    int32_t values[kOids] = {};
    ASSERT_EQ(QMR_OK, g->get_data(values, kOids)) << max;
    for (int i = 0; i < kOids; ++i) EXPECT_EQ(i + 1, values[i]) << "max " << max << " value " << i;
    const uint32_t limit = max == 500 ? 500 : 1400;
    const auto sent = peer.received();
    EXPECT_GE(sent.size() - before, max == 500 ? 4u : 2u);
    for (size_t i = before; i < sent.size(); ++i) EXPECT_LE(sent[i].bytes.size(), limit) << max;
  }
}

TEST(GetDataPeer, ValueReadsAndTheirFailures) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  const std::string long_text(300, 't');
  peer.start(UdpPeer::echo([&long_text](const WireMessage &req, WireMessage *resp) {
    const std::string &oid = req.varbinds[0].oid;
    if (oid == "1.3.6.1.2.1.1.1.0") {
      resp->varbinds[0] = WireVarBind::octets(oid, long_text);
    } else if (oid == "1.3.6.1.2.1.1.3.0") {
      resp->varbinds[0] = {oid, 0x41, {0x13, 0x88}};  // Counter32 5000
    } else if (oid == "1.3.6.1.2.1.1.4.0") {
      resp->varbinds.clear();
    } else if (oid == "1.3.6.1.2.1.1.6.0") {
      resp->varbinds[0] = WireVarBind::octets(oid, "");
    }
  }));
  {
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.1", 1));
    char text[32];
    std::memset(text, '#', sizeof(text));
    ASSERT_EQ(QMR_OK, g->get_data(text, 16));
    EXPECT_EQ(std::string(15, 't'), std::string(text));
    EXPECT_EQ('#', text[16]);
  }
  {
    // The form without a size stops at its documented buffer size.
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.1", 1));
    char text[400];
    std::memset(text, '#', sizeof(text));
    ASSERT_EQ(QMR_OK, g->get_data(text));
    EXPECT_EQ(ITqcGetData::kDefaultTextSize - 1, std::strlen(text));
    EXPECT_EQ('#', text[ITqcGetData::kDefaultTextSize]);
  }
  {
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.3", 1));
    int32_t value = 0;
    ASSERT_EQ(QMR_OK, g->get_data(&value));
    EXPECT_EQ(-1, value);  // only INTEGER values read as numbers
  }
  {
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.4", 1));
    int32_t value = 0;
    EXPECT_EQ(QMR_E_OUT_OF_RANGE, g->get_data(&value));
  }
  {
    // Two asked, one answered: the first element stays written.
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.3", 1));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.3", 1));
    int32_t values[3] = {5, 5, 5};
    EXPECT_EQ(QMR_E_OUT_OF_RANGE, g->get_data(values, 3));
    EXPECT_EQ(-1, values[0]);
    EXPECT_EQ(-1, values[1]);
    EXPECT_EQ(5, values[2]);
  }
  {
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.6", 1));
    char text[8] = "keep";
    ASSERT_EQ(QMR_OK, g->get_data(text, sizeof(text)));
    EXPECT_STREQ("keep", text);  // an empty text leaves the buffer as it was
    EXPECT_EQ(QMR_E_INVALID_ARG, g->get_data(text, 0));
  }
}

TEST(GetDataPeer, SetIsRefusedOnAnyErrorStatus) {
  UdpPeer peer(kPeerIp);
  ASSERT_TRUE(peer.ok());
  peer.start(UdpPeer::echo([](const WireMessage &req, WireMessage *resp) {
    // Instance 4 is read-only, everything else is taken.
    if (req.varbinds[0].oid.back() == '4') {
      resp->error_status = 4;
      resp->error_index = 1;
    }
  }));
  for (const char *instance : {"1.2", "1.4"}) {
    OwnedGetData g;
    ASSERT_EQ(QMR_OK, init(g, peer.port()));
    ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.4.1.58114.8.5", instance, 3));
    const int32_t rc = g->set_data();
    EXPECT_EQ(std::string(instance) == "1.4" ? QMR_E_OUT_OF_RANGE : QMR_OK, rc) << instance;
  }
  const WireMessage m = parsed(peer.received().at(0));
  EXPECT_EQ(0xA3, m.pdu_tag);
  ASSERT_EQ(1u, m.varbinds.size());
  EXPECT_EQ("1.3.6.1.4.1.58114.8.5.1.2", m.varbinds[0].oid);
  EXPECT_EQ(0x02, m.varbinds[0].tag);
  EXPECT_EQ(std::vector<uint8_t>{3}, m.varbinds[0].content);
}

TEST(GetDataPeer, FailuresComeBackAsCodes) {
  UdpPeer silent(kPeerIp);
  ASSERT_TRUE(silent.ok());
  silent.start(nullptr);
  OwnedGetData g;
  int32_t value = 0;
  EXPECT_EQ(QMR_E_INVALID_ARG, g->get_data(&value));  // before init
  EXPECT_EQ(QMR_E_INVALID_ARG, g->add_oid_string("1.3.6.1", 1));
  ASSERT_EQ(QMR_OK, init(g, silent.port(), 0, 0, 100));
  EXPECT_EQ(QMR_E_INVALID_ARG, g->add_oid_string("1.03.6", 1));
  EXPECT_EQ(QMR_E_INVALID_ARG, g->add_oid_string("1.3.6", "x.y", 1));
  ASSERT_EQ(QMR_OK, g->add_oid_string("1.3.6.1.2.1.1.7", 1));
  EXPECT_EQ(QMR_E_TIMEOUT, g->get_data(&value));
  EXPECT_EQ(1u, silent.count());

  // SNMPv3 needs its security record; with one it reaches the SNMPv3 session.
  OwnedGetData v3;
  EXPECT_EQ(QMR_E_INVALID_ARG, init(v3, silent.port(), 2));
  const STqcUsmRecord usm = {"user", 0, 0, 0, "", "", ""};
  ASSERT_EQ(QMR_OK, v3->init(kPeerIp, ITqcNetworkAddress::IPv4, silent.port(), 2, &usm, 100, 0, 0));
  ASSERT_EQ(QMR_OK, v3->add_oid_string("1.3.6.1.2.1.1.7", 1));
  EXPECT_NE(QMR_OK, v3->get_data(&value));

  EProtocol protocol = ITqcNetworkAddress::None;
  EXPECT_EQ(QMR_OK, g->protocol_of("127.0.0.1", &protocol));
  EXPECT_EQ(ITqcNetworkAddress::IPv4, protocol);
  EXPECT_EQ(QMR_OK, g->protocol_of("::1", &protocol));
  EXPECT_EQ(ITqcNetworkAddress::IPv6, protocol);
  EXPECT_NE(QMR_OK, g->protocol_of("printer.example", &protocol));
  EXPECT_EQ(QMR_E_INVALID_ARG, g->protocol_of(nullptr, &protocol));
}
