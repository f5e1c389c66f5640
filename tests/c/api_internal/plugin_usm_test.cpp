// Security parameter loading: defaults, which block fields count, bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "api/plugin_usm.h"

namespace {

class UsmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int32_t rc = -1;
    usm_ = CQMRPluginUSM::create(&rc);
    ASSERT_EQ(QMR_OK, rc);
    std::memset(&block_, 0, sizeof block_);
  }
  void TearDown() override { usm_->release(); }
  void expect_defaults_except_selector() {
    EXPECT_STREQ("Nodewalk", usm_->get_user_name());
    EXPECT_EQ(2, usm_->get_choice1());
    EXPECT_EQ(1, usm_->get_choice2());
    EXPECT_EQ(1, usm_->get_choice3());
    EXPECT_STREQ("8rekOvIPAboW37ubal5y", usm_->get_pass_phrase1());
    EXPECT_STREQ("Wq7HxT2pLm9cVb4ZsK3d", usm_->get_pass_phrase2());
    EXPECT_STREQ("", usm_->get_text3());
  }
  CQMRPluginUSM *usm_ = nullptr;
  QMRSecurityBlock block_;
};

TEST_F(UsmTest, CreatedWithDefaults) {
  EXPECT_EQ(-1, usm_->get_selector());
  expect_defaults_except_selector();
}

TEST_F(UsmTest, EmptyBlockAndOutOfRangeChoicesKeepDefaults) {
  block_.choice1 = 3;
  block_.choice2 = -1;
  block_.choice3 = 1000;
  usm_->load(2, &block_);
  EXPECT_EQ(2, usm_->get_selector());
  expect_defaults_except_selector();
  for (int32_t s : {-1, 3, 99}) {
    usm_->load(s, &block_);
    EXPECT_EQ(-1, usm_->get_selector()) << s;
  }
}

TEST_F(UsmTest, LoadTakesFieldsThatCarryValuesAndResetsFirst) {
  std::strcpy(block_.userName, "operator");
  block_.choice1 = 0;
  block_.choice2 = 2;
  block_.choice3 = 0;
  std::strcpy(block_.passPhrase2, "privpass");
  std::strcpy(block_.text3, "ctx");
  usm_->load(1, &block_);
  EXPECT_EQ(1, usm_->get_selector());
  EXPECT_STREQ("operator", usm_->get_user_name());
  EXPECT_EQ(0, usm_->get_choice1());
  EXPECT_EQ(2, usm_->get_choice2());
  EXPECT_EQ(0, usm_->get_choice3());
  EXPECT_STREQ("8rekOvIPAboW37ubal5y", usm_->get_pass_phrase1());
  EXPECT_STREQ("privpass", usm_->get_pass_phrase2());
  EXPECT_STREQ("ctx", usm_->get_text3());
  // A shorter name replaces the longer one whole; a new load starts over.
  const char *name = usm_->get_user_name();
  std::memset(&block_, 0, sizeof block_);
  std::strcpy(block_.userName, "op");
  usm_->load(0, &block_);
  EXPECT_STREQ("op", name);  // same storage, as the device objects see it
  EXPECT_STREQ("", usm_->get_text3());
  EXPECT_EQ(0, usm_->get_choice2());  // 0 is a value: the zeroed block carries it
}

TEST_F(UsmTest, UnterminatedTextsAreCutToTheirField) {
  std::memset(block_.userName, 'u', sizeof block_.userName);
  std::memset(block_.passPhrase1, 'p', sizeof block_.passPhrase1);
  std::memset(block_.text3, 't', sizeof block_.text3);
  usm_->load(2, &block_);
  EXPECT_EQ(63u, std::strlen(usm_->get_user_name()));
  EXPECT_EQ(63u, std::strlen(usm_->get_pass_phrase1()));
  EXPECT_EQ(511u, std::strlen(usm_->get_text3()));
}

TEST_F(UsmTest, NullBlockLoadsDefaultsOnly) {
  std::strcpy(block_.userName, "someone");
  usm_->load(2, &block_);
  usm_->load(0, nullptr);
  EXPECT_EQ(0, usm_->get_selector());
  expect_defaults_except_selector();
}

}  // namespace
