// Simulated printers for the qmr tests: snmpsimd agents on 127.77.50.1xx
// serving the demo printer files under the communities "public" (reads)
// and "private" (the job cancel).
#ifndef QMR_TESTS_CLI_PRINTER_LAB_H
#define QMR_TESTS_CLI_PRINTER_LAB_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/agent_data.h"
#include "support/snmpsim_agent.h"

inline constexpr char kAddr7300[] = "127.77.50.101";
inline constexpr char kAddr7300P[] = "127.77.50.102";
inline constexpr char kAddrForeign[] = "127.77.50.103";
// A 7300 whose job list cannot be read (one job identifier is cut short).
inline constexpr char kAddrBadJob[] = "127.77.50.104";
// Nothing listens here: requests time out.
inline constexpr char kAddrSilent[] = "127.77.50.109";

inline constexpr char kOid7300[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5";
inline constexpr char kOid7300P[] = "1.3.6.1.4.1.47305.1.40.297.93.1.36.18.6";

class PrinterLab {
 public:
  PrinterLab() = default;
  ~PrinterLab();
  PrinterLab(const PrinterLab &) = delete;
  PrinterLab &operator=(const PrinterLab &) = delete;

  // Starts one printer serving the demo data file `file` on `address`.
  bool add(const std::string &address, const std::string &file, std::string *error);

 private:
  std::vector<std::unique_ptr<AgentDataDir>> m_dirs;
  std::vector<std::unique_ptr<SnmpsimAgent>> m_agents;
};

// A suite whose tests share one lab. The agents of the previous test
// program may still hold the addresses for a moment, so starting is tried
// a bounded number of times.
class PrinterLabSuite : public ::testing::Test {
 protected:
  // Address and demo data file of each printer.
  using Printers = std::vector<std::pair<std::string, std::string>>;
  static void start_lab(const Printers &printers);
  static void TearDownTestSuite();
  void SetUp() override;

  static PrinterLab *s_lab;
  static bool s_ok;
  static std::string s_error;
};

#endif  // QMR_TESTS_CLI_PRINTER_LAB_H
