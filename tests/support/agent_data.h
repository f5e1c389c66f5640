// A data directory for an snmpsimd agent. The agent reads its files after
// dropping to nobody, who may not be able to enter the checkout (a clone
// under /root or in a 0700 mktemp -d directory), so agents serve copies
// kept in a directory of their own under /tmp (0755, files 0644).
#ifndef QMR_TESTS_SUPPORT_AGENT_DATA_H
#define QMR_TESTS_SUPPORT_AGENT_DATA_H

#include <string>

class AgentDataDir {
 public:
  AgentDataDir() = default;
  // Removes the directory with everything in it.
  ~AgentDataDir();
  AgentDataDir(const AgentDataDir &) = delete;
  AgentDataDir &operator=(const AgentDataDir &) = delete;

  // Each call fails with the reason in `error`; create() comes first.
  bool create(std::string *error);
  // Copies the file `source` into the directory as `name`.
  bool copy(const std::string &source, const std::string &name, std::string *error);
  // Copies every tests/data/<prefix>*.snmprec under its own name.
  bool copy_test_data(const std::string &prefix, std::string *error);
  // The file tests/data/<scenario>.snmprec.
  static std::string test_data_file(const std::string &scenario);

  const std::string &path() const { return m_dir; }

 private:
  std::string m_dir;
};

#endif  // QMR_TESTS_SUPPORT_AGENT_DATA_H
