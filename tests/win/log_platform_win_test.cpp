// The log's Win32 services: local time, process and thread identifiers,
// and files written in text mode, where a line end costs the two bytes the
// file appender counts for it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "log/file_appender.h"
#include "log/log_platform.h"
#include "log/log_test_support.h"
#include "qmr.h"

namespace {

TEST(Win32LogPlatform, IdentifiersAreTheSystemOnes) {
  EXPECT_EQ(NTqcLogPlatform::get_process_id(), GetCurrentProcessId());
  EXPECT_EQ(NTqcLogPlatform::get_thread_id(), GetCurrentThreadId());
  uint32_t other = 0;
  DWORD other_system = 0;
  std::thread t([&] {
    other = NTqcLogPlatform::get_thread_id();
    other_system = GetCurrentThreadId();
  });
  t.join();
  EXPECT_EQ(other, other_system);
  EXPECT_NE(other, NTqcLogPlatform::get_thread_id());
}

TEST(Win32LogPlatform, LocalTimeIsTheSystemClock) {
  SYSTEMTIME before{};
  GetLocalTime(&before);
  NTqcLogPlatform::LocalTime now{};
  NTqcLogPlatform::get_local_time(&now);
  SYSTEMTIME after{};
  GetLocalTime(&after);
  // Compared as milliseconds of the day; a run across midnight is retried
  // by no one, so both readings must lie between the system's.
  auto ms = [](int h, int m, int s, int milli) { return ((h * 60 + m) * 60 + s) * 1000 + milli; };
  int got = ms(now.hour, now.minute, now.second, now.millisecond);
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_EQ(now.month, before.wMonth);
  EXPECT_EQ(now.day, before.wDay);
  EXPECT_GE(got, ms(before.wHour, before.wMinute, before.wSecond, before.wMilliseconds));
  EXPECT_LE(got, ms(after.wHour, after.wMinute, after.wSecond, after.wMilliseconds));
}

std::string bytes_of(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Win32LogPlatform, FileLinesEndInCrLfAndFillTheLimitExactly) {
  logtest::TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("trace.log");
  ITqcFileAppender *file = tqc_create_file_appender("win-file");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->set_file_name(path.c_str()), QMR_OK);
  // Two 8-character lines cost 10 bytes each: exactly the limit.
  ASSERT_EQ(file->set_max_size(20), QMR_OK);
  ASSERT_EQ(file->write("line-one"), QMR_OK);
  ASSERT_EQ(file->write("line-two"), QMR_OK);
  std::string written = bytes_of(path);
  EXPECT_EQ(written, "line-one\r\nline-two\r\n");
  // The count matched the bytes on disk: the next line starts a new file.
  ASSERT_EQ(file->write("line-3!!"), QMR_OK);
  file->release();
  EXPECT_EQ(bytes_of(path), "line-3!!\r\n");
  EXPECT_EQ(bytes_of(path + ".bak"), written);
}

}  // namespace
