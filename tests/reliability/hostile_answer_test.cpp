// A scripted peer answers every request with a damaged copy of a valid
// response: each byte changed in turn, and the response cut at every
// length. The session must never crash or hang, and what it returns must
// come from a datagram that decodes: a damaged datagram that does not
// decode must leave no trace in the result.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "qmr.h"
#include "session/request_session.h"
#include "session/session_test_util.h"
#include "snmp/raw_packet.h"
#include "snmp/translator.h"
#include "support/udp_peer.h"

namespace {

using namespace session_test;

constexpr char kPeerIp[] = "127.77.52.1";
constexpr int32_t kTimeoutMs = 400;
constexpr int kFollowUpDelayMs = 5;
constexpr int64_t kMarginMs = 1000;  // loose: scheduling, not speed
constexpr int32_t kTruncatedTimeoutMs = 40;

const std::vector<std::string> kNames = {"1.3.6.1.2.1.1.1.0",        "1.3.6.1.2.1.1.2.0",
                                         "1.3.6.1.2.1.1.3.0",        "1.3.6.1.2.1.25.3.2.1.5.1",
                                         "1.3.6.1.2.1.4.20.1.1.127.0.0.1", "1.3.6.1.2.1.2.2.1.10.1",
                                         "1.3.6.1.2.1.43.11.1.1.9.1.1", "1.3.6.1.2.1.31.1.1.1.6.1"};

// The objects of the valid response, one of each type a printer answers;
// each name keeps its value when a request is split into fragments.
std::vector<WireVarBind> answer_for(const WireMessage &request) {
  const std::vector<std::pair<uint8_t, std::vector<uint8_t>>> values = {
      {0x04, {'V', 'e', 'l', 'l', 'u', 'm', ' ', '7', '3', '0', '0'}},
      {0x06, {0x2b, 0x06, 0x01, 0x04, 0x01, 0x82, 0xf1, 0x49, 0x01, 0x28}},
      {0x43, {0x01, 0x02, 0x03}},
      {0x02, {0xff, 0x7f}},
      {0x40, {127, 0, 0, 1}},
      {0x41, {0x00, 0x80, 0x00, 0x00, 0x01}},
      {0x42, {0x64}},
      {0x46, {0x01, 0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  std::vector<WireVarBind> out;
  for (const WireVarBind &asked : request.varbinds) {
    size_t i = static_cast<size_t>(std::find(kNames.begin(), kNames.end(), asked.oid) - kNames.begin());
    out.push_back({asked.oid, values[i % values.size()].first, values[i % values.size()].second});
  }
  return out;
}

// What a PDU holds, in comparable form.
std::string describe(const ITqsPdu *pdu) {
  std::string out = std::to_string(pdu->get_type()) + "/" + std::to_string(pdu->get_error_status()) + "/" +
                    std::to_string(pdu->get_error_index());
  for (uint32_t i = 0; i < count_of(pdu); ++i) {
    const ITqsVarBind *vb = pdu->get_var_bind_list()->get_at(i);
    out += "|" + name_at(pdu, i) + "=";
    if (vb->get_value() == nullptr) continue;
    out += std::to_string(type_at(pdu, i)) + ":";
    uint32_t length = 0;
    const uint8_t *bytes = vb->get_value()->get_bytes(&length);
    if (bytes) out.append(reinterpret_cast<const char *>(bytes), length);
    out += text_at(pdu, i);
  }
  return out;
}

// Decodes `bytes` as the library would a response; empty when it does not decode.
std::string decoded(const std::vector<uint8_t> &bytes) {
  CTqsRawPacket in;
  std::vector<uint8_t> copy(bytes);
  in.attach(copy.data(), copy.size(), false);
  TqcOwned<ITqsPdu> pdu(tqs_create_pdu());
  TqcOwned<ITqsSnmpTarget> target(tqs_create_community_target());
  target->set_version(kTqsSnmpV1);
  if (tqs_translator()->decode(&in, pdu.get(), target.get(), kTqsCommunityKind) != QMR_OK) return std::string();
  return describe(pdu.get());
}

// The peer's behaviour for the exchange under way.
struct Script {
  std::mutex lock;
  std::function<std::vector<uint8_t>(const std::vector<uint8_t> &)> damage;
  bool follow_up = true;     // send the valid response after the damaged one
  bool damaged_sent = false;  // only the first answer of an exchange is damaged
  std::vector<uint8_t> last_damaged;
};

class HostileAnswerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_peer.reset(new UdpPeer(kPeerIp));
    ASSERT_TRUE(m_peer->ok());
    ASSERT_TRUE(m_peer->start(UdpPeer::respond([this](const WireMessage &request, size_t) {
      WireMessage response = request.response();
      response.varbinds = answer_for(request);
      std::vector<uint8_t> valid = response.encode();
      std::lock_guard<std::mutex> hold(m_script.lock);
      if (m_script.damaged_sent || !m_script.damage) return std::vector<UdpPeer::Reply>{{valid, 0}};
      m_script.damaged_sent = true;
      m_script.last_damaged = m_script.damage(valid);
      std::vector<UdpPeer::Reply> replies{{m_script.last_damaged, 0}};
      if (m_script.follow_up) replies.push_back({valid, kFollowUpDelayMs});
      return replies;
    })));
  }

  // One exchange under `damage`; returns the result code and the PDU's content.
  int32_t exchange(std::function<std::vector<uint8_t>(const std::vector<uint8_t> &)> damage, bool follow_up,
                   int32_t timeout_ms, std::string *result, std::vector<uint8_t> *damaged, int64_t *elapsed_ms) {
    {
      std::lock_guard<std::mutex> hold(m_script.lock);
      m_script.damage = std::move(damage);
      m_script.follow_up = follow_up;
      m_script.damaged_sent = false;
    }
    TqcOwned<ITqsSnmpTarget> target = community_target(kPeerIp, m_peer->port(), timeout_ms, 0);
    TqcOwned<ITqsPdu> pdu = request(kTqsGetRequest, kNames);
    TqcOwned<RequestSession> session(tqc_create_request_session());
    auto start = std::chrono::steady_clock::now();
    int32_t rc = session->send_sync(pdu.get(), target.get());
    *elapsed_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    *result = describe(pdu.get());
    std::lock_guard<std::mutex> hold(m_script.lock);
    *damaged = m_script.last_damaged;
    return rc;
  }

  std::unique_ptr<UdpPeer> m_peer;
  Script m_script;
};

TEST_F(HostileAnswerTest, EveryByteChangedNeverLetsAnUndecodableDatagramThrough) {
  std::string clean;
  std::vector<uint8_t> unused;
  int64_t ms = 0;
  ASSERT_EQ(QMR_OK, exchange(nullptr, false, kTimeoutMs, &clean, &unused, &ms));
  ASSERT_EQ(kNames.size(), static_cast<size_t>(std::count(clean.begin(), clean.end(), '|')));

  // The valid response's length, from one undamaged encoding.
  size_t length = 0;
  exchange([&length](const std::vector<uint8_t> &v) { length = v.size(); return v; }, false, kTimeoutMs, &clean,
           &unused, &ms);
  ASSERT_GT(length, 40u);

  const std::vector<std::function<uint8_t(uint8_t)>> changes = {
      [](uint8_t b) { return static_cast<uint8_t>(b ^ 0xff); }, [](uint8_t b) { return static_cast<uint8_t>(b + 1); },
      [](uint8_t b) { return static_cast<uint8_t>(b - 1); },    [](uint8_t) { return static_cast<uint8_t>(0x00); },
      [](uint8_t) { return static_cast<uint8_t>(0x80); },       [](uint8_t) { return static_cast<uint8_t>(0x84); }};
  size_t cases = 0, decodable = 0, taken = 0;
  for (size_t at = 0; at < length; ++at) {
    for (const auto &change : changes) {
      std::string result;
      std::vector<uint8_t> damaged;
      int32_t rc = exchange(
          [at, &change](std::vector<uint8_t> v) {
            if (at < v.size()) v[at] = change(v[at]);
            return v;
          },
          true, kTimeoutMs, &result, &damaged, &ms);
      ++cases;
      std::string damaged_form = decoded(damaged);
      SCOPED_TRACE("byte " + std::to_string(at) + " of " + std::to_string(damaged.size()));
      EXPECT_LE(ms, kTimeoutMs + kMarginMs);
      // A damaged error-status of tooBig splits the request; the fragments
      // get valid answers, merged back into the same result.
      EXPECT_EQ(QMR_OK, rc);
      if (damaged_form.empty()) {
        EXPECT_EQ(clean, result) << "a datagram that does not decode left a trace";
      } else {
        ++decodable;
        if (result != clean) {
          ++taken;
          EXPECT_EQ(damaged_form, result) << "the result is neither answer";
        }
      }
    }
  }
  printf("%zu damaged answers: %zu decode, %zu of them taken as the answer\n", cases, decodable, taken);
}

TEST_F(HostileAnswerTest, EveryCutShortAnswerFailsWithinItsTime) {
  std::string clean;
  std::vector<uint8_t> unused;
  int64_t ms = 0;
  size_t length = 0;
  ASSERT_EQ(QMR_OK, exchange([&length](const std::vector<uint8_t> &v) { length = v.size(); return v; }, false,
                             kTimeoutMs, &clean, &unused, &ms));
  for (size_t cut = 0; cut < length; ++cut) {
    SCOPED_TRACE("cut to " + std::to_string(cut));
    std::string result;
    std::vector<uint8_t> damaged;
    // Alone, the cut answer must fail: rejected, then silence.
    int32_t rc = exchange([cut](std::vector<uint8_t> v) { v.resize(cut); return v; }, false, kTruncatedTimeoutMs,
                          &result, &damaged, &ms);
    EXPECT_TRUE(rc == QMR_E_DECODE || rc == QMR_E_TIMEOUT) << rc;
    EXPECT_LE(ms, kTruncatedTimeoutMs + kMarginMs);
    // Followed by the valid answer, the valid one is the result.
    rc = exchange([cut](std::vector<uint8_t> v) { v.resize(cut); return v; }, true, kTimeoutMs, &result, &damaged,
                  &ms);
    EXPECT_EQ(QMR_OK, rc);
    EXPECT_EQ(clean, result);
  }
}

}  // namespace
