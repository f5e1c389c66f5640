// The shape of a log line: prefix columns, name, level word, indent, cut.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <memory>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "log/log_line.h"
#include "log/tqc_logger.h"
#include "log_test_support.h"

namespace {

using logtest::CMemoryAppender;

struct LoggerDeleter {
  void operator()(ITqcLogger *l) const { l->release(); }
};
using LoggerPtr = std::unique_ptr<ITqcLogger, LoggerDeleter>;

LoggerPtr make_logger(const char *name, ITqcLogAppender *appender) {
  int32_t error = -99;
  LoggerPtr logger(tqc_create_logger(name, &error));
  EXPECT_EQ(error, QMR_OK);
  if (logger) {
    logger->add_appender(appender);
    logger->set_level_mask(kLogAll);
  }
  return logger;
}

std::string id_column(bool shown, uint32_t radix, long id) {
  if (!shown) return std::string(8, ' ');
  char text[32];
  std::snprintf(text, sizeof text, radix == 16 ? "%08lX" : "%8ld", id);
  return text;
}

std::string pad16(const std::string &name) {
  std::string s = name.substr(0, 16);
  return s + std::string(16 - s.size(), ' ');
}

constexpr size_t kPrefixChars = 70;

TEST(LogLine, PrefixColumnsForEveryOptionAndRadix) {
  const std::regex time_column(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}:\d{3})");
#if defined(_WIN32)
  const long pid = static_cast<long>(GetCurrentProcessId());
  const long tid = static_cast<long>(GetCurrentThreadId());
#else
  const long pid = getpid();
  const long tid = syscall(SYS_gettid);
#endif
  for (uint32_t radix : {10u, 16u}) {
    for (uint32_t options = 0; options <= 7; ++options) {
      SCOPED_TRACE("radix " + std::to_string(radix) + " options " + std::to_string(options));
      CMemoryAppender mem;
      LoggerPtr logger = make_logger("comp", &mem);
      ASSERT_EQ(logger->set_flags(options), QMR_OK);
      ASSERT_EQ(logger->set_radix(radix), QMR_OK);
      ASSERT_EQ(logger->write(kLogError, "m%d", 7), QMR_OK);
      ASSERT_EQ(mem.lines().size(), 1u);
      const std::string line = mem.lines()[0];
      ASSERT_EQ(line.size(), kPrefixChars + 2);
      const std::string time = line.substr(0, 23);
      if (options & 1) {
        EXPECT_TRUE(std::regex_match(time, time_column)) << time;
      } else {
        EXPECT_EQ(time, std::string(23, ' '));
      }
      const std::string rest = ", " + id_column(options & 2, radix, pid) + ", " + id_column(options & 4, radix, tid) +
                               ", " + pad16("comp") + ", " + "Error, " + "m7";
      EXPECT_EQ(line.substr(23), rest);
    }
  }
}

TEST(LogLine, NamesAreCutOrPaddedToSixteen) {
  for (const std::string name : {"", "QMR", "exactly16chars!!", "a-component-name-longer-than-16"}) {
    CMemoryAppender mem;
    LoggerPtr logger = make_logger(name.c_str(), &mem);
    logger->set_flags(0);
    logger->write(kLogWarn, "x");
    ASSERT_EQ(mem.lines().size(), 1u);
    EXPECT_EQ(mem.lines()[0].substr(45), pad16(name) + ", Warn , x") << name;
    EXPECT_STREQ(logger->get_name(), name.c_str());
  }
}

TEST(LogLine, LevelWordsAndUnknownLevels) {
  const std::pair<uint32_t, std::string> words[] = {
      {kLogError, "Error, "}, {kLogWarn, "Warn , "}, {kLogInfo, "Info , "},
      {kLogDebug, "Debug, "}, {kLogTrace, "Trace, "}, {kLogAll, "All  , "},
      {3, ""},                {64 | 1, ""},
  };
  for (const auto &[level, word] : words) {
    CMemoryAppender mem;
    LoggerPtr logger = make_logger("c", &mem);
    logger->set_flags(0);
    EXPECT_EQ(logger->write(level, "msg"), QMR_OK);
    ASSERT_EQ(mem.lines().size(), 1u) << level;
    EXPECT_EQ(mem.lines()[0].substr(kPrefixChars - 7), word + "msg") << level;
  }
}

TEST(LogLine, MaskFiltersLevels) {
  CMemoryAppender mem;
  LoggerPtr logger = make_logger("c", &mem);
  logger->set_level_mask(kLogError | kLogDebug);
  for (uint32_t level : {kLogError, kLogWarn, kLogInfo, kLogDebug, kLogTrace}) logger->write(level, "%u", level);
  logger->write(0, "level zero");
  ASSERT_EQ(mem.lines().size(), 2u);
  EXPECT_EQ(mem.lines()[0].substr(kPrefixChars), "1");
  EXPECT_EQ(mem.lines()[1].substr(kPrefixChars), "8");
}

TEST(LogLine, IndentAddsFourSpacesPerStep) {
  CMemoryAppender mem;
  LoggerPtr logger = make_logger("c", &mem);
  logger->set_flags(0);
  ASSERT_EQ(logger->set_indent(3), QMR_OK);
  EXPECT_EQ(logger->get_indent(), 3u);
  logger->write(kLogInfo, "deep");
  ASSERT_EQ(mem.lines().size(), 1u);
  EXPECT_EQ(mem.lines()[0].substr(kPrefixChars), std::string(12, ' ') + "deep");
}

TEST(LogLine, LongLinesAreCutAt1024) {
  CMemoryAppender mem;
  LoggerPtr logger = make_logger("c", &mem);
  const std::string big(3000, 'z');
  logger->write(kLogError, "%s", big.c_str());
  // An indent wider than the line leaves no room for the message at all; a
  // huge count must neither overflow nor allocate.
  logger->set_indent(300);
  logger->write(kLogError, "hidden");
  logger->set_indent(0xFFFFFFFFu);
  logger->write(kLogError, "hidden");
  const auto lines = mem.lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), kLogLineChars);
  EXPECT_EQ(lines[0].substr(kPrefixChars), std::string(kLogLineChars - kPrefixChars, 'z'));
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(lines[i].size(), kLogLineChars);
    EXPECT_EQ(lines[i].substr(kPrefixChars), std::string(kLogLineChars - kPrefixChars, ' '));
  }
}

TEST(LogLine, MessageFillsExactlyToTheEnd) {
  CMemoryAppender mem;
  LoggerPtr logger = make_logger("c", &mem);
  const std::string fits(kLogLineChars - kPrefixChars, 'f');
  logger->write(kLogError, "%s", fits.c_str());
  logger->write(kLogError, "%sX", fits.c_str());
  ASSERT_EQ(mem.lines().size(), 2u);
  EXPECT_EQ(mem.lines()[0].substr(kPrefixChars), fits);
  EXPECT_EQ(mem.lines()[1].substr(kPrefixChars), fits);
}

TEST(LogLine, NullFormatWritesPlaceholder) {
  CMemoryAppender mem;
  LoggerPtr logger = make_logger("c", &mem);
  EXPECT_EQ(logger->write(kLogError, nullptr), QMR_OK);
  ASSERT_EQ(mem.lines().size(), 1u);
  EXPECT_EQ(mem.lines()[0].substr(kPrefixChars), "(client was about to output null message...)");
}

TEST(LogLine, SettingsAndReset) {
  CMemoryAppender mem;
  LoggerPtr logger = make_logger("c", &mem);
  EXPECT_EQ(logger->get_flags(), 7u);
  EXPECT_EQ(logger->get_radix(), 10u);
  EXPECT_EQ(logger->set_radix(16), QMR_OK);
  EXPECT_EQ(logger->set_radix(8), QMR_E_INVALID_ARG);
  EXPECT_EQ(logger->set_radix(0), QMR_E_INVALID_ARG);
  EXPECT_EQ(logger->get_radix(), 16u);
  logger->set_flags(2);
  logger->set_indent(5);
  ITqcLogAppender *found = &mem;
  EXPECT_EQ(logger->find_appender("memory", &found), QMR_E_NOT_FOUND);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(logger->reset(), QMR_OK);
  EXPECT_EQ(logger->get_level_mask(), 0u);
  EXPECT_EQ(logger->get_indent(), 0u);
  EXPECT_EQ(logger->get_flags(), 7u);
  EXPECT_EQ(logger->get_radix(), 10u);
  // Reset also dropped the appender: even with the mask back, nothing arrives.
  logger->set_level_mask(kLogAll);
  EXPECT_EQ(logger->write(kLogError, "gone"), QMR_OK);
  EXPECT_TRUE(mem.lines().empty());
}

TEST(LogLine, AppendersInOrderAndLastErrorWins) {
  CMemoryAppender first("first", QMR_E_NOT_FOUND);
  CMemoryAppender second("second", QMR_E_OUT_OF_RANGE);
  CMemoryAppender third("third", QMR_OK);
  CMemoryAppender again("second", QMR_OK);
  LoggerPtr logger = make_logger("c", &first);
  EXPECT_EQ(logger->add_appender(&second), QMR_OK);
  EXPECT_EQ(logger->add_appender(&third), QMR_OK);
  EXPECT_EQ(logger->add_appender(&again), QMR_OK);  // same name: not added
  EXPECT_EQ(logger->add_appender(nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(logger->write(kLogError, "x"), QMR_E_OUT_OF_RANGE);
  EXPECT_EQ(first.lines().size(), 1u);
  EXPECT_EQ(second.lines().size(), 1u);
  EXPECT_EQ(third.lines().size(), 1u);
  EXPECT_TRUE(again.lines().empty());
}

}  // namespace
