// The finder's found list, filters and walk, fed with answers directly as
// the discovery step feeds them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "api/device_finder.h"
#include "api/plugin_usm.h"

namespace {

constexpr char kModel7300[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5";
constexpr char kModel7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";

struct Walked {
  std::string address, model, oid;
  char zero;
};

class FinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int32_t rc = -1;
    finder_.reset(CQMRDeviceFinder::create(&rc));
    ASSERT_EQ(QMR_OK, rc);
    ASSERT_NE(nullptr, finder_);
  }
  bool next(Walked *w) {
    char a[64], m[64], o[64];
    std::memset(a, 'x', sizeof a);
    w->zero = 'z';
    if (!finder_->get_next(a, m, &w->zero, o)) return false;
    w->address = a;
    w->model = m;
    w->oid = o;
    return true;
  }
  struct Release {
    void operator()(CQMRDeviceFinder *f) const { f->release(); }
  };
  std::unique_ptr<CQMRDeviceFinder, Release> finder_;
};

TEST_F(FinderTest, WalkReturnsLastAnswerFirstAndResets) {
  ASSERT_TRUE(finder_->start_list());
  EXPECT_TRUE(finder_->add_answer(kModel7300, "10.77.0.11"));   // A
  EXPECT_TRUE(finder_->add_answer(kModel7300P, "10.77.0.12"));  // B
  Walked w;
  ASSERT_TRUE(next(&w));
  EXPECT_EQ("10.77.0.12", w.address);
  EXPECT_EQ("Vellumcraft 7300P", w.model);
  EXPECT_EQ(kModel7300P, w.oid);
  EXPECT_EQ('\0', w.zero);
  ASSERT_TRUE(next(&w));
  EXPECT_EQ("10.77.0.11", w.address);
  EXPECT_EQ("Vellumcraft 7300", w.model);
  EXPECT_FALSE(next(&w));
  EXPECT_FALSE(next(&w));
  finder_->reset_position();
  ASSERT_TRUE(next(&w));
  EXPECT_EQ("10.77.0.12", w.address);
}

// Thousands of answers, some dropped: the walk still returns the recorded
// ones newest first, a reset mid-walk starts again at the newest, and a new
// list forgets both the old nodes and the old position.
TEST_F(FinderTest, LongWalkKeepsOrderAcrossResetAndNewList) {
  constexpr int kAnswers = 3000;
  auto address_of = [](int n) { return "10.78." + std::to_string(n / 250) + "." + std::to_string(n % 250); };
  ASSERT_TRUE(finder_->start_list());
  std::vector<int> recorded;
  for (int n = 0; n < kAnswers; ++n) {
    const bool unsupported = n % 7 == 3;
    const bool ok = finder_->add_answer(unsupported ? "1.3.6.1.4.1.8072.3.2.10" : (n % 2 ? kModel7300P : kModel7300),
                                        address_of(n).c_str());
    EXPECT_NE(unsupported, ok) << n;
    if (ok) recorded.push_back(n);
  }
  auto walk_expect = [&](size_t from, size_t steps) {
    Walked w;
    for (size_t i = from; i < from + steps; ++i) {
      const int n = recorded[recorded.size() - 1 - i];
      ASSERT_TRUE(next(&w)) << i;
      ASSERT_EQ(address_of(n), w.address) << i;
      ASSERT_EQ(n % 2 ? kModel7300P : kModel7300, w.oid) << i;
      ASSERT_EQ('\0', w.zero);
    }
  };
  walk_expect(0, 1234);
  finder_->reset_position();
  walk_expect(0, recorded.size());
  Walked w;
  EXPECT_FALSE(next(&w));

  finder_->reset_position();
  walk_expect(0, 10);
  ASSERT_TRUE(finder_->start_list());
  EXPECT_FALSE(next(&w));
  ASSERT_TRUE(finder_->add_answer(kModel7300, "10.79.0.1"));
  ASSERT_TRUE(finder_->add_answer(kModel7300P, "10.79.0.2"));
  ASSERT_TRUE(next(&w));
  EXPECT_EQ("10.79.0.2", w.address);
  ASSERT_TRUE(next(&w));
  EXPECT_EQ("10.79.0.1", w.address);
  EXPECT_FALSE(next(&w));
}

TEST_F(FinderTest, OnlySupportedModelsAreRecorded) {
  ASSERT_TRUE(finder_->start_list());
  EXPECT_TRUE(finder_->add_answer((std::string(kModel7300P) + ".1").c_str(), "10.77.0.1"));
  EXPECT_FALSE(finder_->add_answer((std::string(kModel7300P) + "1").c_str(), "10.77.0.2"));
  EXPECT_FALSE(finder_->add_answer("1.3.6.1.4.1.47305.1.40.297.93.1.36.18", "10.77.0.3"));
  EXPECT_FALSE(finder_->add_answer("1.3.6.1.4.1.8072.3.2.10", "10.77.0.4"));
  EXPECT_FALSE(finder_->add_answer(nullptr, "10.77.0.5"));
  // Texts that do not fit a node are dropped rather than cut.
  EXPECT_FALSE(finder_->add_answer(kModel7300, std::string(64, '1').c_str()));
  Walked w;
  ASSERT_TRUE(next(&w));
  EXPECT_EQ("10.77.0.1", w.address);
  EXPECT_FALSE(next(&w));
}

TEST_F(FinderTest, FiltersSelectByPlainPrefix) {
  ASSERT_EQ(QMR_OK, finder_->add_filter(kModel7300P));
  ASSERT_TRUE(finder_->start_list());
  EXPECT_FALSE(finder_->add_answer(kModel7300, "10.77.0.1"));
  EXPECT_TRUE(finder_->add_answer(kModel7300P, "10.77.0.2"));
  // A third model is never recorded, whatever the filters.
  ASSERT_EQ(QMR_OK, finder_->add_filter("1.3.6.1.4.1"));
  EXPECT_FALSE(finder_->add_answer("1.3.6.1.4.1.8072.3.2.10", "10.77.0.3"));
  EXPECT_TRUE(finder_->add_answer(kModel7300, "10.77.0.4"));
  finder_->clear_filters();
  EXPECT_TRUE(finder_->add_answer(kModel7300, "10.77.0.5"));
}

TEST_F(FinderTest, FullFilterTableDropsTheFiftyFirst) {
  for (int i = 0; i < kQMRMaxFilters; ++i)
    ASSERT_EQ(QMR_OK, finder_->add_filter(("1.3.6.1.2.1." + std::to_string(i)).c_str()));
  EXPECT_EQ(QMR_OK, finder_->add_filter(kModel7300));  // dropped: table full
  ASSERT_TRUE(finder_->start_list());
  EXPECT_FALSE(finder_->add_answer(kModel7300, "10.77.0.1"));
}

TEST_F(FinderTest, FailedDiscoveryLeavesNoList) {
  ASSERT_TRUE(finder_->start_list());
  ASSERT_TRUE(finder_->add_answer(kModel7300, "10.77.0.1"));
  int32_t rc = -1;
  std::unique_ptr<CQMRPluginUSM, void (*)(CQMRPluginUSM *)> usm(
      CQMRPluginUSM::create(&rc), [](CQMRPluginUSM *u) { u->release(); });
  int32_t found = 77;
  // Protocols discovery does not serve change nothing.
  EXPECT_EQ(QMR_E_NOT_SUPPORTED, finder_->find(nullptr, static_cast<EProtocol>(3), 0, nullptr,
                                               usm.get(), "", 100, 0, 0, &found));
  Walked w;
  ASSERT_TRUE(next(&w));
  // A discovery that fails after dropping the results leaves none to walk
  // (an IPv6 text for IPv4 is refused before anything is sent).
  int32_t code = finder_->find("::1", ITqcNetworkAddress::IPv4, 0, nullptr, usm.get(), "", 100,
                               0, 0, &found);
  EXPECT_EQ(QMR_E_INVALID_ARG, code);
  finder_->reset_position();
  EXPECT_FALSE(next(&w));
  EXPECT_FALSE(finder_->add_answer(kModel7300, "10.77.0.1"));
}

}  // namespace
