// Lines from several threads to one logger stay whole.
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "log/file_appender.h"
#include "log/log_config.h"
#include "log/log_manager.h"
#include "log_test_support.h"

namespace {

constexpr int kLinesPerThread = 2000;
constexpr size_t kPayload = 300;
constexpr size_t kPrefixChars = 70;

TEST(LogThreads, TwoWritersNeverInterleaveInsideALine) {
  logtest::TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("threads.log");
  CTqcLogManager manager;
  ITqcLogAppender *appender = manager.get_appender("file", "shared");
  void *file = nullptr;
  ASSERT_EQ(appender->query_interface(kGuidTqcFileAppender, &file), QMR_OK);
  ASSERT_EQ(static_cast<ITqcFileAppender *>(file)->set_file_name(path.c_str()), QMR_OK);
  ITqcLogger *logger = manager.get_logger("worker", appender, nullptr);
  ASSERT_EQ(logger->set_level_mask(kLogAll), QMR_OK);

  auto writer = [logger](char fill) {
    const std::string payload(kPayload, fill);
    for (int i = 0; i < kLinesPerThread; ++i) logger->write(kLogInfo, "%s %d", payload.c_str(), i);
  };
  std::thread a(writer, 'A');
  std::thread b(writer, 'B');
  a.join();
  b.join();

  const auto lines = logtest::read_lines(path);
  ASSERT_EQ(lines.size(), 2u * kLinesPerThread);
  std::map<char, int> next{{'A', 0}, {'B', 0}};
  std::map<char, std::string> thread_column;
  for (const std::string &line : lines) {
    ASSERT_GT(line.size(), kPrefixChars + kPayload);
    const std::string message = line.substr(kPrefixChars);
    const char fill = message[0];
    ASSERT_TRUE(fill == 'A' || fill == 'B') << line;
    ASSERT_EQ(message, std::string(kPayload, fill) + " " + std::to_string(next[fill])) << line;
    ++next[fill];
    // Each writer's lines carry that writer's own thread identifier.
    const std::string tid = line.substr(35, 8);
    if (thread_column[fill].empty()) thread_column[fill] = tid;
    ASSERT_EQ(thread_column[fill], tid);
  }
  EXPECT_EQ(next['A'], kLinesPerThread);
  EXPECT_EQ(next['B'], kLinesPerThread);
  EXPECT_NE(thread_column['A'], thread_column['B']);
}

// Components keep logging while a host resets and reconfigures the shared
// manager: no line may reach a logger that reset has freed, and lines that
// arrive are whole.
TEST(LogThreads, ResetWhileComponentsWrite) {
  CTqcLogManager *manager = tqc_get_log_manager();
  ASSERT_NE(manager, nullptr);
  logtest::CMemoryAppender mem;
  constexpr int kRounds = 200;
  constexpr int kWrites = 3000;
  std::thread socket_writer([] {
    for (int i = 0; i < kWrites; ++i) socket_log().write(kLogError, "socket line %d", i);
  });
  std::thread qmr_writer([] {
    for (int i = 0; i < kWrites; ++i) log_qmr_failure("pGetData->get_data()", i);
  });
  for (int round = 0; round < kRounds; ++round) {
    manager->reset();
    int32_t error = QMR_OK;
    ITqcLoggerGroup *root = manager->get_group("All", &error);
    ASSERT_EQ(error, QMR_OK);
    root->add_appender(&mem);
    root->set_level_mask(kLogError);
    std::this_thread::yield();
  }
  socket_writer.join();
  qmr_writer.join();
  tqc_log_silence();
  for (const std::string &line : mem.lines()) {
    const std::string tail = line.substr(45);
    EXPECT_TRUE(tail.rfind("socket          , Error, socket line ", 0) == 0 ||
                tail == "QMR             , Error, pGetData->get_data()")
        << line;
  }
}

}  // namespace
