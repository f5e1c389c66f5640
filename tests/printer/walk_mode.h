// The walk mode of a run of the printer tests, from QMR_TEST_WALK:
//   (unset)  SNMPv1, row by row: the devices as QMRInitDevice opens them;
//   bulk     SNMPv2c with bulk walks;
//   v3       SNMPv3 through net-snmp's snmpd, row by row;
//   v3-bulk  SNMPv3 through snmpd with bulk walks.
// In the v3 modes snmpd stands in front of the suite's snmpsimd: each data
// file's name is a context that snmpd forwards (as SNMPv2c, community =
// context) to snmpsimd, so a reader opened "with community C" reads
// context C as user kUser. The build registers the printer tests once in
// each mode, so every record and option expectation holds in all four.
#ifndef QMR_TESTS_PRINTER_WALK_MODE_H
#define QMR_TESTS_PRINTER_WALK_MODE_H

#include <dirent.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "session/plugin_usm.h"
#include "support/snmpd_agent.h"

namespace walk_mode {

constexpr char kUser[] = "qmrwalker";
constexpr char kPassPhrase[] = "walk-pass-phrase";
constexpr int32_t kAuthPriv = 2;
constexpr int32_t kMd5 = 1;
constexpr int32_t kDes = 1;

inline std::string name() {
  const char *mode = std::getenv("QMR_TEST_WALK");
  return mode != nullptr ? mode : "";
}
inline bool bulk() { return name() == "bulk" || name() == "v3-bulk"; }
inline bool v3() { return name() == "v3" || name() == "v3-bulk"; }

// The security selector of the mode's openings: 0 SNMPv1, 1 SNMPv2c, 2 SNMPv3.
inline int32_t selector() { return v3() ? 2 : (bulk() ? 1 : 0); }

// The security parameters of an opening that reads with `community`: the
// community-based defaults, or in the v3 modes the user with the context
// named by the community. Kept for the life of the program (the device
// objects keep references to the texts).
inline IQMRPluginUSM *usm_for(const std::string &community) {
  class Usm final : public IQMRPluginUSM {
   public:
    explicit Usm(std::string context) : m_context(std::move(context)) {}
    int32_t load(int32_t, const QMRSecurityBlock *) override { return QMR_OK; }
    void release() override {}
    int32_t get_selector() const override { return selector(); }
    const char *get_user_name() const override { return v3() ? kUser : "Nodewalk"; }
    int32_t get_choice1() const override { return kAuthPriv; }
    int32_t get_choice2() const override { return kMd5; }
    int32_t get_choice3() const override { return kDes; }
    const char *get_pass_phrase1() const override { return v3() ? kPassPhrase : ""; }
    const char *get_pass_phrase2() const override { return v3() ? kPassPhrase : ""; }
    const char *get_text3() const override { return v3() ? m_context.c_str() : ""; }

   private:
    std::string m_context;
  };
  static std::map<std::string, std::unique_ptr<Usm>> made;
  std::unique_ptr<Usm> &usm = made[community];
  if (!usm) usm.reset(new Usm(community));
  return usm.get();
}

// In the v3 modes: snmpd on `front_ip`:161 forwarding every data file's
// context to `agent_ip`:161. Null otherwise, or with the reason in `error`.
inline std::unique_ptr<SnmpdAgent> start_v3_front(const std::string &front_ip, const std::string &agent_ip,
                                                  std::string *error) {
  if (!v3()) return nullptr;
  std::unique_ptr<SnmpdAgent> front(new SnmpdAgent("udp:" + front_ip + ":161"));
  front->add_line(std::string("createUser ") + kUser + " MD5 " + kPassPhrase + " DES " + kPassPhrase);
  front->add_line(std::string("group walkers usm ") + kUser);
  front->add_line("view everything included .1");
  front->add_line("access walkers \"\" usm priv prefix everything none none");
  DIR *dir = opendir(QMR_TEST_DATA_DIR);
  for (dirent *e = dir != nullptr ? readdir(dir) : nullptr; e != nullptr; e = readdir(dir)) {
    const std::string file = e->d_name;
    const size_t dot = file.rfind(".snmprec");
    if (dot == std::string::npos || dot + 8 != file.size()) continue;
    const std::string context = file.substr(0, dot);
    front->add_line("proxy -Cn " + context + " -v 2c -c " + context + " " + agent_ip + ":161 .1.3");
  }
  if (dir != nullptr) closedir(dir);
  if (!front->start(front_ip + ":161", error)) return nullptr;
  return front;
}

}  // namespace walk_mode

// Skips the test in the SNMPv3 modes when snmpd or the net-snmp tools are missing.
#define QMR_REQUIRE_WALK_MODE_TOOLS()                                           \
  do {                                                                          \
    if (walk_mode::v3() && !SnmpdAgent::available())                            \
      GTEST_SKIP() << "snmpd or the net-snmp tools are not installed";         \
  } while (0)

#endif  // QMR_TESTS_PRINTER_WALK_MODE_H
