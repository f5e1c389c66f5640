// The log manager: loggers by name, the root group, appenders, reset, and
// the component calls of log.h.
#include <string>

#include <gtest/gtest.h>

#include "log/log.h"
#include "log/log_config.h"
#include "log/log_manager.h"
#include "log/null_appender.h"
#include "log/null_logger.h"
#include "log_test_support.h"

namespace {

using logtest::CMemoryAppender;

constexpr size_t kPrefixChars = 70;

std::string message_of(const std::string &line) { return line.size() > kPrefixChars ? line.substr(kPrefixChars) : ""; }
std::string name_of(const std::string &line) { return line.substr(45, 16); }

ITqcLoggerGroup *root_of(CTqcLogManager &manager) {
  int32_t error = -99;
  ITqcLoggerGroup *root = manager.get_group("All", &error);
  EXPECT_EQ(error, QMR_OK);
  return root;
}

TEST(LogManager, FreshManagerIsSilent) {
  CTqcLogManager manager;
  ITqcLoggerGroup *root = root_of(manager);
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->get_name(), "All");
  EXPECT_EQ(root->get_level_mask(), 0u);
  ITqcLogger *logger = manager.get_logger("x", nullptr);
  EXPECT_EQ(logger->get_level_mask(), 0u);
  EXPECT_EQ(logger->get_flags(), 7u);
  EXPECT_EQ(logger->write(kLogError, "nothing"), QMR_OK);
}

TEST(LogManager, SameNameSameLogger) {
  CTqcLogManager manager;
  int32_t error = -99;
  ITqcLogger *a = manager.get_logger("snmp", &error);
  EXPECT_EQ(error, QMR_OK);
  EXPECT_EQ(manager.get_logger("snmp", nullptr), a);
  EXPECT_NE(manager.get_logger("SNMP", nullptr), a);  // names are case-sensitive
  ITqcLogger *null_logger = manager.get_logger(nullptr, &error);
  EXPECT_EQ(error, QMR_E_INVALID_ARG);
  EXPECT_EQ(null_logger, static_cast<ITqcLogger *>(tqc_null_logger()));
  EXPECT_STREQ(null_logger->get_name(), "null_session");
  EXPECT_EQ(null_logger->write(kLogAll, "dropped"), QMR_OK);
  // The root is a registered logger too.
  EXPECT_EQ(manager.get_logger("All", nullptr), static_cast<ITqcLogger *>(root_of(manager)));
}

TEST(LogManager, RootMaskBeforeLoggersExist) {
  CTqcLogManager manager;
  CMemoryAppender mem;
  ITqcLoggerGroup *root = root_of(manager);
  ASSERT_EQ(root->set_level_mask(kLogAll), QMR_OK);
  ASSERT_EQ(root->add_appender(&mem), QMR_OK);
  ASSERT_EQ(root->set_flags(0), QMR_OK);
  ASSERT_EQ(root->set_radix(16), QMR_OK);
  ASSERT_EQ(root->set_indent(1), QMR_OK);
  ITqcLogger *logger = manager.get_logger("late", nullptr);
  EXPECT_EQ(logger->get_level_mask(), 31u);
  EXPECT_EQ(logger->get_flags(), 0u);
  EXPECT_EQ(logger->get_radix(), 16u);
  EXPECT_EQ(logger->get_indent(), 1u);
  for (uint32_t level : {kLogError, kLogWarn, kLogInfo, kLogDebug, kLogTrace}) logger->write(level, "L%u", level);
  const auto lines = mem.lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(name_of(lines[0]), "late            ");
  EXPECT_EQ(message_of(lines[4]), "    L16");
}

TEST(LogManager, RootMaskAfterLoggersExist) {
  CTqcLogManager manager;
  ITqcLogger *a = manager.get_logger("a", nullptr);
  ITqcLogger *b = manager.get_logger("b", nullptr);
  CMemoryAppender mem;
  ITqcLoggerGroup *root = root_of(manager);
  ASSERT_EQ(root->add_appender(&mem), QMR_OK);
  EXPECT_EQ(a->write(kLogError, "still masked"), QMR_OK);
  EXPECT_TRUE(mem.lines().empty());
  ASSERT_EQ(root->set_level_mask(kLogAll), QMR_OK);
  for (uint32_t level : {kLogError, kLogWarn, kLogInfo, kLogDebug, kLogTrace}) {
    a->write(level, "a");
    b->write(level, "b");
  }
  EXPECT_EQ(mem.lines().size(), 10u);
  // A base the loggers cannot take is refused before any of them changes.
  EXPECT_EQ(root->set_radix(8), QMR_E_INVALID_ARG);
  EXPECT_EQ(a->get_radix(), 10u);
  EXPECT_EQ(root->get_radix(), 10u);
}

TEST(LogManager, GetLoggerWithAppender) {
  CTqcLogManager manager;
  CMemoryAppender first("first"), second("second");
  root_of(manager)->set_level_mask(kLogError);
  int32_t error = -99;
  ITqcLogger *logger = manager.get_logger("x", &first, &error);
  EXPECT_EQ(error, QMR_OK);
  // An existing logger ignores the appender argument.
  EXPECT_EQ(manager.get_logger("x", &second, &error), logger);
  logger->write(kLogError, "once");
  EXPECT_EQ(first.lines().size(), 1u);
  EXPECT_TRUE(second.lines().empty());
}

TEST(LogManager, GroupLookups) {
  CTqcLogManager manager;
  manager.get_logger("plain", nullptr);
  int32_t error = -99;
  EXPECT_EQ(manager.get_group(nullptr, &error), static_cast<ITqcLoggerGroup *>(tqc_null_logger()));
  EXPECT_EQ(error, QMR_E_INVALID_ARG);
  EXPECT_EQ(manager.get_group("nobody", &error), nullptr);
  EXPECT_EQ(error, QMR_E_NOT_FOUND);
  EXPECT_EQ(manager.find_group("plain", &error), nullptr);
  EXPECT_EQ(error, QMR_E_FAILED);
  EXPECT_NE(manager.find_group("All", &error), nullptr);
  EXPECT_EQ(error, QMR_OK);
}

TEST(LogManager, GroupJoinLeaveAndSharedAppenders) {
  CTqcLogManager manager;
  ITqcLoggerGroup *root = root_of(manager);
  ITqcLogger *a = manager.get_logger("a", nullptr);
  void *ex = nullptr;
  ASSERT_EQ(root->query_interface(kGuidTqcLoggerGroupEx, &ex), QMR_OK);
  auto *root_ex = static_cast<ITqcLoggerGroupEx *>(ex);
  EXPECT_EQ(root_ex->get_child_count(), 1u);
  int32_t error = -99;
  EXPECT_EQ(root_ex->get_child(0, &error), a);
  EXPECT_EQ(root_ex->get_child(1, &error), nullptr);
  EXPECT_EQ(error, QMR_E_INDEX);

  EXPECT_EQ(root->join(a), QMR_OK);  // already a child: no second entry
  EXPECT_EQ(root_ex->get_child_count(), 1u);
  EXPECT_EQ(root->join(root), QMR_E_INVALID_ARG);
  EXPECT_EQ(root->join(nullptr), QMR_E_INVALID_ARG);

  CMemoryAppender mem("shared"), same_name("shared");
  root->set_level_mask(kLogError);
  ASSERT_EQ(root->add_appender(&mem), QMR_OK);
  EXPECT_EQ(root->add_appender(&same_name), QMR_OK);  // ignored: name present
  a->write(kLogError, "one");
  EXPECT_EQ(mem.lines().size(), 1u);
  EXPECT_TRUE(same_name.lines().empty());

  EXPECT_EQ(root->leave(a), QMR_OK);
  EXPECT_EQ(root->leave(a), QMR_E_NOT_FOUND);
  root->set_level_mask(0);  // no longer reaches a
  EXPECT_EQ(a->get_level_mask(), static_cast<uint32_t>(kLogError));
}

// A factory of memory appenders, to watch get_appender use factories.
class CMemoryFactory : public ITqcLogAppenderFactory {
 public:
  const char *get_type() override { return "memory"; }
  ITqcLogAppender *create(const char *name, ITqcLogOptions *) override {
    ++m_made;
    return new CHeapMemoryAppender(name);
  }
  int m_made = 0;

 private:
  struct CHeapMemoryAppender : CMemoryAppender {
    explicit CHeapMemoryAppender(const char *name) : CMemoryAppender(name) {}
    void release() override { delete this; }
  };
};

TEST(LogManager, AppendersByTypeAndName) {
  CTqcLogManager manager;
  EXPECT_EQ(manager.get_appender(nullptr, "n"), tqc_null_standard_appender());
  EXPECT_EQ(manager.get_appender("stdout", nullptr), tqc_null_standard_appender());
  EXPECT_EQ(manager.get_appender("file", nullptr), static_cast<ITqcLogAppender *>(tqc_null_file_appender()));
  EXPECT_EQ(manager.get_appender("syslog", "s"), nullptr);

  ITqcLogAppender *file = manager.get_appender("file", "trace");
  ASSERT_NE(file, nullptr);
  ASSERT_FALSE(tqc_is_null_appender(file));
  EXPECT_STREQ(file->get_type(), "file");
  EXPECT_EQ(manager.get_appender("file", "trace"), file);
  EXPECT_EQ(manager.get_appender("stdout", "trace"), tqc_null_standard_appender());

  int32_t error = -99;
  EXPECT_EQ(manager.find_appender("trace", &error), file);
  EXPECT_EQ(error, QMR_OK);
  EXPECT_EQ(manager.find_appender("unknown", &error), tqc_null_standard_appender());
  EXPECT_EQ(error, QMR_OK);
  EXPECT_EQ(manager.find_appender(nullptr, &error), tqc_null_standard_appender());
  EXPECT_EQ(error, QMR_E_INVALID_ARG);

  CMemoryFactory factory;
  EXPECT_EQ(manager.add_factory(nullptr), QMR_E_INVALID_ARG);
  ASSERT_EQ(manager.add_factory(&factory), QMR_OK);
  ITqcLogAppender *mem = manager.get_appender("memory", "m");
  ASSERT_NE(mem, nullptr);
  EXPECT_STREQ(mem->get_name(), "m");
  EXPECT_EQ(manager.get_appender("memory", "m"), mem);
  EXPECT_EQ(factory.m_made, 1);
  // The manager owns what its factories made and releases it on reset.
  manager.reset();
  EXPECT_EQ(manager.find_appender("m", &error), tqc_null_standard_appender());
  EXPECT_NE(manager.get_appender("memory", "m"), nullptr);
  EXPECT_EQ(factory.m_made, 2);
}

TEST(LogManager, ResetSilencesEverything) {
  CTqcLogManager manager;
  CMemoryAppender mem;
  ITqcLoggerGroup *root = root_of(manager);
  root->set_level_mask(kLogAll);
  root->add_appender(&mem);
  ITqcLogger *before = manager.get_logger("x", nullptr);
  before->write(kLogError, "heard");
  ASSERT_EQ(mem.lines().size(), 1u);

  EXPECT_EQ(manager.reset(), QMR_OK);
  EXPECT_EQ(root_of(manager), root);
  EXPECT_EQ(root->get_level_mask(), 0u);
  int32_t error = -99;
  EXPECT_EQ(manager.get_group("x", &error), nullptr);
  EXPECT_EQ(error, QMR_E_NOT_FOUND);
  // A logger handed out earlier stays usable but silent.
  EXPECT_EQ(before->write(kLogError, "unheard"), QMR_OK);
  EXPECT_EQ(before->get_level_mask(), 0u);
  // Releasing the root does nothing.
  root->release();
  EXPECT_STREQ(root->get_name(), "All");

  root->set_level_mask(kLogAll);
  root->add_appender(&mem);
  ITqcLogger *after = manager.get_logger("x", nullptr);
  EXPECT_NE(after, before);
  after->write(kLogError, "heard again");
  ASSERT_EQ(mem.lines().size(), 2u);
  EXPECT_EQ(message_of(mem.lines()[1]), "heard again");
}

TEST(LogObjects, InterfaceQueries) {
  CTqcLogManager manager;
  ITqcLogger *logger = manager.get_logger("q", nullptr);
  ITqcLoggerGroup *root = root_of(manager);
  ITqcLogger *null_logger = tqc_null_logger();
  struct Case {
    ITqcObject *object;
    const char *guid;
    int32_t expected;
  } cases[] = {
      {logger, kGuidTqcObject, QMR_OK},
      {logger, kGuidTqcLogger, QMR_OK},
      {logger, kGuidTqcLogTarget, QMR_OK},
      {logger, kGuidTqcLoggerGroup, QMR_E_NO_INTERFACE},
      {logger, kGuidTqcLoggerGroupEx, QMR_E_NO_INTERFACE},
      {logger, kGuidTqcLogAppender, QMR_E_NO_INTERFACE},
      {logger, kGuidTqcFileAppender, QMR_E_NO_INTERFACE},
      {root, kGuidTqcObject, QMR_OK},
      {root, kGuidTqcLogger, QMR_OK},
      {root, kGuidTqcLogTarget, QMR_OK},
      {root, kGuidTqcLoggerGroup, QMR_OK},
      {root, kGuidTqcLoggerGroupEx, QMR_OK},
      {root, kGuidTqcLogAppender, QMR_E_NO_INTERFACE},
      {null_logger, kGuidTqcObject, QMR_OK},
      {null_logger, kGuidTqcLogTarget, QMR_OK},
      {null_logger, kGuidTqcLoggerGroup, QMR_OK},
      {null_logger, kGuidTqcLogger, QMR_E_NO_INTERFACE},
      {null_logger, kGuidTqcLoggerGroupEx, QMR_E_NO_INTERFACE},
      {logger, "d638c730-6b6f-11d5-82ea-00e02941dfe1 ", QMR_E_NO_INTERFACE},
  };
  for (const Case &c : cases) {
    void *out = &manager;
    EXPECT_EQ(c.object->query_interface(c.guid, &out), c.expected) << c.guid;
    EXPECT_EQ(out == nullptr, c.expected != QMR_OK) << c.guid;
    void *again = nullptr;
    EXPECT_EQ(c.object->query(c.guid, &again), c.expected) << c.guid;
    EXPECT_EQ(again, out);
  }
  void *out = nullptr;
  ASSERT_EQ(logger->query_interface(kGuidTqcLogTarget, &out), QMR_OK);
  EXPECT_EQ(out, static_cast<void *>(static_cast<ITqcLogTarget *>(logger)));
  EXPECT_EQ(logger->query_interface(nullptr, &out), QMR_E_INVALID_ARG);
  EXPECT_EQ(logger->query_interface(kGuidTqcObject, nullptr), QMR_E_INVALID_ARG);
  EXPECT_EQ(logger->get_object_info(&out), QMR_E_NOT_SUPPORTED);
}

// The shared manager and the component calls. Each test leaves it silent.
class SharedLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.ok());
    m_manager = tqc_get_log_manager();
    ASSERT_NE(m_manager, nullptr);
    m_manager->reset();
  }
  void TearDown() override { tqc_log_silence(); }

  void listen(CMemoryAppender *mem, uint32_t mask) {
    ITqcLoggerGroup *root = root_of(*m_manager);
    ASSERT_NE(root, nullptr);
    root->set_level_mask(mask);
    root->add_appender(mem);
  }

  logtest::TempDir m_dir;
  CTqcLogManager *m_manager = nullptr;
};

TEST_F(SharedLogTest, SilentByDefault) {
  EXPECT_EQ(tqc_get_log_manager(), m_manager);
  logtest::StdoutCapture capture(m_dir.file("stdout.txt"));
  EXPECT_EQ(socket_log().write(kLogError, "fail bind(). WSAGetLastError()=%d", 10048), QMR_OK);
  EXPECT_EQ(snmp_log().write(kLogTrace, "[%s] enter.", "send"), QMR_OK);
  EXPECT_EQ(log_write("QMR", kLogAll, "x"), QMR_OK);
  EXPECT_EQ(log_qmr_failure("pGetData->init()", QMR_E_TIMEOUT), QMR_OK);
  EXPECT_EQ(capture.finish(), "");
  EXPECT_EQ(socket_log().logger()->get_level_mask(), 0u);
}

TEST_F(SharedLogTest, ComponentLinesAndRebindingAfterReset) {
  CMemoryAppender mem;
  listen(&mem, kLogAll);
  EXPECT_STREQ(socket_log().logger()->get_name(), "socket");
  EXPECT_EQ(socket_log().write(kLogError, "fail bind(). WSAGetLastError()=%d", 10048), QMR_OK);
  EXPECT_EQ(snmp_log().write(kLogTrace, "[%s] enter.", "send"), QMR_OK);
  EXPECT_EQ(log_qmr_failure("pGetData->init()", QMR_E_TIMEOUT), QMR_OK);
  EXPECT_EQ(log_qmr_failure("odd %s step", QMR_E_TIMEOUT), QMR_OK);
  auto lines = mem.lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(45), "socket          , Error, fail bind(). WSAGetLastError()=10048");
  EXPECT_EQ(lines[1].substr(45), "snmp            , Trace, [send] enter.");
  EXPECT_EQ(lines[2].substr(45), "QMR             , Error, pGetData->init()");
  EXPECT_EQ(lines[3].substr(45), "QMR             , Error, odd %s step");

  // After a reset the references must follow the new loggers.
  m_manager->reset();
  EXPECT_EQ(socket_log().write(kLogError, "unheard"), QMR_OK);
  EXPECT_EQ(mem.lines().size(), 4u);
  CMemoryAppender again("again");
  listen(&again, kLogError);
  socket_log().write(kLogError, "heard");
  ASSERT_EQ(again.lines().size(), 1u);
  EXPECT_EQ(message_of(again.lines()[0]), "heard");
}

TEST_F(SharedLogTest, HostConfigurationHelpers) {
  const std::string path = m_dir.file("host.log");
  ASSERT_EQ(tqc_log_to_file(path.c_str(), kLogError | kLogWarn, 1 << 20), QMR_OK);
  snmp_log().write(kLogWarn, "to file");
  snmp_log().write(kLogDebug, "filtered");
  const auto lines = logtest::read_lines(path);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(45), "snmp            , Warn , to file");
  EXPECT_EQ(tqc_log_to_file(nullptr, kLogAll, 100), QMR_E_INVALID_ARG);

  ASSERT_EQ(tqc_log_to_stdout(kLogInfo), QMR_OK);
  logtest::StdoutCapture capture(m_dir.file("stdout.txt"));
  log_write("QMR", kLogInfo, "on screen %d", 5);
  log_write("QMR", kLogError, "not asked for");
  const std::string out = capture.finish();
  EXPECT_NE(out.find("QMR             , Info , on screen 5\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("not asked for"), std::string::npos);

  tqc_log_silence();
  EXPECT_EQ(snmp_log().logger()->get_level_mask(), 0u);
}

}  // namespace
