// Address texts, both service implementations, and the address object.
#include <gtest/gtest.h>

#include <cstring>

#include "net/address_service.h"
#include "net/addrinfo_service.h"
#include "net/hostent_service.h"
#include "net/network_address.h"
#include "net/network_address_list.h"
#include "net/octet_buffer.h"
#include "qmr.h"

namespace {

struct BufferDeleter {
  void operator()(ITqsOctetBuffer *b) const { b->release(); }
};
struct AddressDeleter {
  void operator()(ITqcNetworkAddress *a) const { a->release(); }
};
using Buffer = std::unique_ptr<ITqsOctetBuffer, BufferDeleter>;
using Address = std::unique_ptr<ITqcNetworkAddress, AddressDeleter>;

Buffer buffer() { return Buffer(tqs_create_octet_buffer()); }

Address address(const char *text, uint16_t port) {
  int32_t rc = QMR_OK;
  Address made(tqc_create_network_address(text, port, &rc));
  EXPECT_EQ(rc, QMR_OK) << text;
  return made;
}

TEST(HostEntService, NormalizesAndRefusesIPv4Texts) {
  CTqcHostEntService service;
  Buffer out = buffer();
  ASSERT_EQ(service.normalize("192.168.001.010", out.get()), QMR_OK);
  EXPECT_STREQ(out->c_str(), "192.168.1.10");
  EProtocol protocol = ITqcNetworkAddress::IPv4;
  for (const char *bad : {"1.2.3.4x", "256.1.1.1", "1.2.3", "printer.example", " 1.2.3.4", "+1.2.3.4", ""}) {
    EXPECT_EQ(service.protocol_of(bad, &protocol), QMR_E_OUT_OF_RANGE) << bad;
    EXPECT_EQ(protocol, ITqcNetworkAddress::None) << bad;
    EXPECT_EQ(service.normalize(bad, out.get()), QMR_E_OUT_OF_RANGE) << bad;
  }
  EXPECT_EQ(service.protocol_of("0123abcd:0123456789ab", &protocol), QMR_OK);
  EXPECT_EQ(protocol, ITqcNetworkAddress::IPX);
  // The IPv4-only service knows no IPv6 texts.
  EXPECT_EQ(service.protocol_of("::1", &protocol), QMR_E_OUT_OF_RANGE);
}

TEST(AddrInfoService, FindsProtocolsAndNormalizes) {
  CTqcAddrInfoService service;
  EProtocol protocol = ITqcNetworkAddress::None;
  EXPECT_EQ(service.protocol_of("192.0.2.1", &protocol), QMR_OK);
  EXPECT_EQ(protocol, ITqcNetworkAddress::IPv4);
  EXPECT_EQ(service.protocol_of("FE80::0:1", &protocol), QMR_OK);
  EXPECT_EQ(protocol, ITqcNetworkAddress::IPv6);
  EXPECT_EQ(service.protocol_of("0123ABCD:0123456789AB", &protocol), QMR_OK);
  EXPECT_EQ(protocol, ITqcNetworkAddress::IPX);
  // Numeric-only lookup: a host name is no address text.
  EXPECT_EQ(service.protocol_of("localhost", &protocol), QMR_E_FAILED);
  EXPECT_EQ(protocol, ITqcNetworkAddress::None);
  Buffer out = buffer();
  ASSERT_EQ(service.normalize("fe80:0:0:0:0:0:0:1", out.get()), QMR_OK);
  EXPECT_STREQ(out->c_str(), "fe80::1");
  ASSERT_EQ(service.normalize("0000:0000:0000:0000:0000:0000:0000:0001", out.get()), QMR_OK);
  EXPECT_STREQ(out->c_str(), "::1");
  ASSERT_EQ(service.normalize("0123abcd:0123456789ab", out.get()), QMR_OK);
  EXPECT_STREQ(out->c_str(), "0123abcd:0123456789ab");
  EXPECT_EQ(service.normalize("no.such.host.invalid", out.get()), QMR_E_FAILED);
}

TEST(AddrInfoService, ResolvesNamesAndServices) {
  CTqcAddrInfoService service;
  CTqcNetworkAddressList *list = nullptr;
  ASSERT_EQ(service.resolve("127.0.0.1", &list), QMR_OK);
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->count(), 1u);
  EXPECT_STREQ(list->get(0)->get_address(), "127.0.0.1");
  EXPECT_EQ(list->get(0)->get_protocol(), ITqcNetworkAddress::IPv4);
  list->release();
  uint16_t port = 0;
  if (service.port_of_service("snmp", ITqcNetworkAddress::IPv4, &port) == QMR_OK) {
    EXPECT_EQ(port, 161);
  }
  EXPECT_EQ(service.port_of_service("no-such-service-name", ITqcNetworkAddress::IPv4, &port), QMR_E_FAILED);
  ITqcNetworkAddress *local = nullptr;
  EXPECT_EQ(service.local_address(ITqcNetworkAddress::IPX, &local), QMR_E_NOT_SUPPORTED);
  EXPECT_EQ(local, nullptr);
}

TEST(NetworkAddress, LowerCasesHexLettersOnly) {
  Address ipx = address("0123ABCD:0123456789AB", 36879);
  EXPECT_STREQ(ipx->get_address(), "0123abcd:0123456789ab");
  EXPECT_EQ(ipx->get_protocol(), ITqcNetworkAddress::IPX);
  Address plain(tqc_create_network_address());
  // set stores unchecked; only A-F change.
  ASSERT_EQ(plain->set("ABCDEFGH-XYZ", ITqcNetworkAddress::None, 0), QMR_OK);
  EXPECT_STREQ(plain->get_address(), "abcdefGH-XYZ");
}

TEST(NetworkAddress, SetAddressKeepsProtocolAndRefusesConflicts) {
  Address a(tqc_create_network_address());
  ASSERT_EQ(a->set_protocol(ITqcNetworkAddress::IPv4), QMR_OK);
  ASSERT_EQ(a->set_port(161), QMR_OK);
  ASSERT_EQ(a->set_address("10.0.0.1"), QMR_OK);
  EXPECT_EQ(a->set_address("0123abcd:0123456789ab"), QMR_E_INVALID_ARG);
  EXPECT_STREQ(a->get_address(), "10.0.0.1");
  EXPECT_EQ(a->get_protocol(), ITqcNetworkAddress::IPv4);
  EXPECT_EQ(a->get_port(), 161);
  EXPECT_NE(a->set_address("printer.example"), QMR_OK);
  EXPECT_EQ(a->set_address(nullptr), QMR_E_INVALID_ARG);
  EXPECT_STREQ(a->get_address(), "10.0.0.1");

  Address b(tqc_create_network_address());
  ASSERT_EQ(b->set_address("0123ABCD:0123456789AB"), QMR_OK);
  EXPECT_EQ(b->get_protocol(), ITqcNetworkAddress::IPX);

  int32_t rc = QMR_OK;
  EXPECT_EQ(tqc_create_network_address("localhost", 161, &rc), nullptr);
  EXPECT_NE(rc, QMR_OK);
  EXPECT_EQ(tqc_create_network_address(nullptr, 161, &rc), nullptr);
  EXPECT_EQ(rc, QMR_E_INVALID_ARG);
}

TEST(NetworkAddress, SetKeepsFieldsForZeroValues) {
  Address a = address("10.0.0.1", 161);
  ASSERT_EQ(a->set("10.0.0.2", ITqcNetworkAddress::None, 0), QMR_OK);
  const char *text = nullptr;
  EProtocol protocol = ITqcNetworkAddress::None;
  uint16_t port = 0;
  ASSERT_EQ(a->get(&text, &protocol, &port), QMR_OK);
  EXPECT_STREQ(text, "10.0.0.2");
  EXPECT_EQ(protocol, ITqcNetworkAddress::IPv4);
  EXPECT_EQ(port, 161);
  EXPECT_EQ(a->get(nullptr, &protocol, &port), QMR_E_INVALID_ARG);
}

TEST(NetworkAddress, IsEqualPortRuleIsOneSided) {
  Address with_port = address("192.168.1.10", 161);
  Address any_port = address("192.168.1.10", 0);
  EXPECT_TRUE(with_port->is_equal(any_port.get()));
  EXPECT_FALSE(any_port->is_equal(with_port.get()));
  Address spelled = address("FE80:0::1", 161);
  Address canonical = address("fe80::1", 161);
  EXPECT_TRUE(spelled->is_equal(canonical.get()));
  Address other_port = address("fe80::1", 162);
  EXPECT_FALSE(spelled->is_equal(other_port.get()));
  EXPECT_FALSE(spelled->is_equal(nullptr));
  Address empty(tqc_create_network_address());
  EXPECT_FALSE(spelled->is_equal(empty.get()));
}

TEST(NetworkAddress, CloneValidAndNormalize) {
  Address a = address("FE80:0:0:0:0:0:0:1", 161);
  ITqcNetworkAddress *copy = nullptr;
  ASSERT_EQ(a->clone(&copy), QMR_OK);
  Address owned(copy);
  EXPECT_STREQ(owned->get_address(), "fe80:0:0:0:0:0:0:1");
  EXPECT_EQ(owned->get_port(), 161);
  EXPECT_EQ(owned->get_protocol(), ITqcNetworkAddress::IPv6);
  EXPECT_EQ(a->clone(nullptr), QMR_E_INVALID_ARG);
  EXPECT_TRUE(a->is_valid());
  ASSERT_EQ(a->normalize(), QMR_OK);
  EXPECT_STREQ(a->get_address(), "fe80::1");
  EXPECT_TRUE(a->get_value()->equals_text("fe80::1"));
  // The copy is deep.
  EXPECT_STREQ(owned->get_address(), "fe80:0:0:0:0:0:0:1");
  Address empty(tqc_create_network_address());
  EXPECT_FALSE(empty->is_valid());
  EXPECT_EQ(empty->get_value(), nullptr);
}

TEST(AddressEntryPoints, CompareAndCheckTexts) {
  bool flag = false;
  ASSERT_EQ(tqc_compare_addresses("::1", "0:0:0:0:0:0:0:1", &flag), QMR_OK);
  EXPECT_TRUE(flag);
  ASSERT_EQ(tqc_compare_addresses("10.0.0.1", "10.0.0.2", &flag), QMR_OK);
  EXPECT_FALSE(flag);
  EXPECT_NE(tqc_compare_addresses("10.0.0.1", "bad text", &flag), QMR_OK);
  ASSERT_EQ(tqc_is_address("10.1.2.3", &flag), QMR_OK);
  EXPECT_TRUE(flag);
  EXPECT_EQ(tqc_is_address(nullptr, &flag), QMR_E_INVALID_ARG);
}

TEST(AddressFamilies, MapBothWays) {
  EXPECT_EQ(tqc_family_of_protocol(ITqcNetworkAddress::IPv4), 2);
  EXPECT_EQ(tqc_family_of_protocol(ITqcNetworkAddress::IPX), 6);
  EXPECT_EQ(tqc_family_of_protocol(ITqcNetworkAddress::IPv6), 23);
  EXPECT_EQ(tqc_family_of_protocol(ITqcNetworkAddress::None), 0);
  EXPECT_EQ(tqc_protocol_of_family(23), ITqcNetworkAddress::IPv6);
  EXPECT_EQ(tqc_protocol_of_family(10), ITqcNetworkAddress::None);
}

}  // namespace
