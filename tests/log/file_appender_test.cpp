// The file appender: size limit, ".bak" rotation, open failures.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "log/appender_factory.h"
#include "log/file_appender.h"
#include "log/log_options.h"
#include "log/null_appender.h"
#include "log/stdout_appender.h"
#include "log_test_support.h"

namespace {

using logtest::file_exists;
using logtest::read_all;
using logtest::read_lines;

struct AppenderDeleter {
  void operator()(ITqcLogAppender *a) const { a->release(); }
};

class FileAppenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.ok());
    m_path = m_dir.file("trace.log");
    m_file = tqc_create_file_appender("f");
    ASSERT_FALSE(tqc_is_null_appender(m_file));
    m_holder.reset(m_file);
    ASSERT_EQ(m_file->set_file_name(m_path.c_str()), QMR_OK);
  }

  logtest::TempDir m_dir;
  std::string m_path;
  ITqcFileAppender *m_file = nullptr;
  std::unique_ptr<ITqcLogAppender, AppenderDeleter> m_holder;
};

TEST_F(FileAppenderTest, WritesLinesWithLineEnds) {
  EXPECT_EQ(m_file->write("one"), QMR_OK);
  EXPECT_EQ(m_file->write("two"), QMR_OK);
  EXPECT_EQ(read_all(m_path), "one\ntwo\n");
  EXPECT_STREQ(m_file->get_type(), "file");
  EXPECT_STREQ(m_file->get_name(), "f");
}

TEST_F(FileAppenderTest, LineLargerThanLimitIsRefused) {
  ASSERT_EQ(m_file->set_max_size(100), QMR_OK);
  EXPECT_EQ(m_file->write(std::string(99, 'a').c_str()), QMR_E_OUT_OF_RANGE);  // costs 101
  EXPECT_EQ(read_all(m_path), "");
  EXPECT_EQ(m_file->write(std::string(98, 'b').c_str()), QMR_OK);  // costs exactly 100
  EXPECT_EQ(read_lines(m_path), std::vector<std::string>{std::string(98, 'b')});
  EXPECT_FALSE(file_exists(m_path + ".bak"));
}

TEST_F(FileAppenderTest, LineThatDoesNotFitStartsANewFile) {
  ASSERT_EQ(m_file->set_max_size(100), QMR_OK);
  const std::string a(40, 'a'), b(40, 'b'), c(40, 'c'), d(40, 'd'), e(40, 'e');
  for (const std::string *line : {&a, &b, &c}) ASSERT_EQ(m_file->write(line->c_str()), QMR_OK);
  // 42 + 42 fit; the third would make 126.
  EXPECT_EQ(read_lines(m_path + ".bak"), (std::vector<std::string>{a, b}));
  EXPECT_EQ(read_lines(m_path), std::vector<std::string>{c});
  // The next rotation replaces the old backup.
  ASSERT_EQ(m_file->write(d.c_str()), QMR_OK);
  ASSERT_EQ(m_file->write(e.c_str()), QMR_OK);
  EXPECT_EQ(read_lines(m_path + ".bak"), (std::vector<std::string>{c, d}));
  EXPECT_EQ(read_lines(m_path), std::vector<std::string>{e});
}

TEST_F(FileAppenderTest, ExistingContentCountsAgainstTheLimit) {
  {
    std::ofstream out(m_path);
    out << std::string(89, 'o') << '\n';  // 90 bytes already there
  }
  ASSERT_EQ(m_file->set_max_size(100), QMR_OK);
  ASSERT_EQ(m_file->write("0123456789"), QMR_OK);  // 90 + 12 > 100
  EXPECT_EQ(read_lines(m_path + ".bak"), std::vector<std::string>{std::string(89, 'o')});
  EXPECT_EQ(read_lines(m_path), std::vector<std::string>{"0123456789"});
}

TEST_F(FileAppenderTest, OpenFailuresAndPathChanges) {
  EXPECT_EQ(m_file->set_file_name(nullptr), QMR_E_INVALID_ARG);
  ASSERT_EQ(m_file->set_file_name(m_dir.file("missing/dir/x.log").c_str()), QMR_OK);
  EXPECT_EQ(m_file->write("lost"), QMR_E_SYSTEM_LIBRARY);
  // After a failure the appender recovers once the path is usable.
  ASSERT_EQ(m_file->set_file_name(m_path.c_str()), QMR_OK);
  EXPECT_EQ(m_file->write("first"), QMR_OK);
  // A new path takes effect for the next line, though a file is open.
  const std::string other = m_dir.file("other.log");
  ASSERT_EQ(m_file->set_file_name(other.c_str()), QMR_OK);
  EXPECT_EQ(m_file->write("second"), QMR_OK);
  EXPECT_EQ(read_all(m_path), "first\n");
  EXPECT_EQ(read_all(other), "second\n");

  ITqcFileAppender *no_path = tqc_create_file_appender("np");
  std::unique_ptr<ITqcLogAppender, AppenderDeleter> hold(no_path);
  EXPECT_EQ(no_path->write("x"), QMR_E_SYSTEM_LIBRARY);
}

TEST_F(FileAppenderTest, AnswersItsInterfaces) {
  void *out = this;
  EXPECT_EQ(m_file->query_interface(kGuidTqcFileAppender, &out), QMR_OK);
  EXPECT_EQ(out, static_cast<void *>(m_file));
  EXPECT_EQ(m_file->query(kGuidTqcLogAppender, &out), QMR_OK);
  EXPECT_EQ(out, static_cast<void *>(static_cast<ITqcLogAppender *>(m_file)));
  EXPECT_EQ(m_file->query_interface(kGuidTqcObject, &out), QMR_OK);
  EXPECT_EQ(m_file->query_interface(kGuidTqcLogger, &out), QMR_E_NO_INTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(m_file->query_interface(nullptr, &out), QMR_E_INVALID_ARG);
  EXPECT_EQ(m_file->query_interface(kGuidTqcObject, nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(m_file->get_object_info(&out), QMR_E_NOT_SUPPORTED);
  // Exact comparison: a prefix or an upper-case spelling is another GUID.
  EXPECT_EQ(m_file->query_interface("2fb9f6c0-7602-11d5-82f1-00e02941dfe", &out), QMR_E_NO_INTERFACE);
  EXPECT_EQ(m_file->query_interface("2FB9F6C0-7602-11D5-82F1-00E02941DFE1", &out), QMR_E_NO_INTERFACE);
}

TEST(FileAppenderFactory, PathComesFromExtentionNameOption) {
  logtest::TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("factory.log");
  ITqcLogAppenderFactory *factory = tqc_file_appender_factory();
  EXPECT_STREQ(factory->get_type(), "file");

  CTqcLogOptions options;
  ASSERT_EQ(options.set_option("ExtentionName", path.c_str()), QMR_OK);
  std::unique_ptr<ITqcLogAppender, AppenderDeleter> made(factory->create("ff", &options));
  ASSERT_FALSE(tqc_is_null_appender(made.get()));
  EXPECT_EQ(made->write("via factory"), QMR_OK);
  EXPECT_EQ(read_all(path), "via factory\n");

  CTqcLogOptions empty;
  EXPECT_EQ(factory->create("ff", &empty), tqc_null_file_appender());
  CTqcLogOptions null_value;
  ASSERT_EQ(null_value.set_option("ExtentionName", nullptr), QMR_OK);
  EXPECT_EQ(factory->create("ff", &null_value), tqc_null_file_appender());
  EXPECT_EQ(factory->create(nullptr, &options), tqc_null_file_appender());
  // Without options the path is set later.
  std::unique_ptr<ITqcLogAppender, AppenderDeleter> later(factory->create("later", nullptr));
  EXPECT_FALSE(tqc_is_null_appender(later.get()));
}

TEST(NullAppenders, DiscardAndSurviveRelease) {
  ITqcLogAppender *standard = tqc_null_standard_appender();
  ITqcFileAppender *file = tqc_null_file_appender();
  EXPECT_STREQ(standard->get_type(), "null_standard");
  EXPECT_STREQ(standard->get_name(), "null_standard");
  EXPECT_STREQ(file->get_type(), "null_file");
  EXPECT_STREQ(file->get_name(), "null_file");
  EXPECT_EQ(standard->write("x"), QMR_OK);
  EXPECT_EQ(file->set_file_name("/nonexistent/x"), QMR_OK);
  EXPECT_EQ(file->set_max_size(1), QMR_OK);
  EXPECT_EQ(file->write("a line far longer than one byte"), QMR_OK);
  standard->release();
  file->release();
  EXPECT_EQ(tqc_null_standard_appender(), standard);
  EXPECT_STREQ(standard->get_name(), "null_standard");
  void *out = nullptr;
  EXPECT_EQ(file->query_interface(kGuidTqcFileAppender, &out), QMR_OK);
  EXPECT_EQ(standard->query_interface(kGuidTqcFileAppender, &out), QMR_E_NO_INTERFACE);
}

TEST(StdoutAppender, PrintsLineAndNewline) {
  logtest::TempDir dir;
  ASSERT_TRUE(dir.ok());
  ITqcLogAppenderFactory *factory = tqc_stdout_appender_factory();
  EXPECT_STREQ(factory->get_type(), "stdout");
  EXPECT_EQ(factory->create(nullptr, nullptr), tqc_null_standard_appender());
  std::unique_ptr<ITqcLogAppender, AppenderDeleter> out(factory->create("console", nullptr));
  ASSERT_FALSE(tqc_is_null_appender(out.get()));
  EXPECT_STREQ(out->get_type(), "stdout");
  EXPECT_STREQ(out->get_name(), "console");
  logtest::StdoutCapture capture(dir.file("stdout.txt"));
  EXPECT_EQ(out->write("hello"), QMR_OK);
  EXPECT_EQ(out->write("world"), QMR_OK);
  EXPECT_EQ(capture.finish(), "hello\nworld\n");
  void *iface = nullptr;
  EXPECT_EQ(out->query_interface(kGuidTqcFileAppender, &iface), QMR_E_NO_INTERFACE);
}

}  // namespace
