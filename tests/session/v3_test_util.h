// Helpers of the SNMPv3 session tests: user-based targets, file descriptor
// counts and net-snmp tool output.
#ifndef QMR_TESTS_SESSION_V3_TEST_UTIL_H
#define QMR_TESTS_SESSION_V3_TEST_UTIL_H

#include <dirent.h>

#include <map>
#include <sstream>
#include <string>

#include "net/network_address.h"
#include "net/owned.h"
#include "qmr.h"
#include "snmp/user_target.h"

namespace v3_test {

struct SUser {
  const char *name;
  int32_t level;
  int32_t auth;
  int32_t priv;
  const char *auth_pass;
  const char *priv_pass;
};

inline TqcOwned<ITqsSnmpTarget> user_target(const std::string &ip, uint16_t port, const SUser &user,
                                            int32_t timeout_ms = 2000, int32_t retries = 1) {
  CTqsUserTarget *target = tqs_create_user_target();
  TqcOwned<ITqsSnmpTarget> owned(target);
  TqcOwned<ITqcNetworkAddress> address(tqc_create_network_address());
  address->set(ip.c_str(), ip.find(':') != std::string::npos ? ITqcNetworkAddress::IPv6 : ITqcNetworkAddress::IPv4,
               port);
  target->set_address(address.get());
  target->set_version(kTqsSnmpV3);
  target->set_timeout(timeout_ms);
  target->set_retries(retries);
  target->set_user_name(user.name);
  target->set_security_level(user.level);
  target->set_auth_protocol(user.auth);
  target->set_priv_protocol(user.priv);
  target->set_auth_pass_phrase(user.auth_pass);
  target->set_priv_pass_phrase(user.priv_pass);
  return owned;
}

// Open file descriptors of this process.
inline int open_fds() {
  int count = 0;
  DIR *dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (dirent *entry = readdir(dir)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(dir);
  return count - 1;  // the directory stream itself
}

// "OID value" lines of snmpwalk/snmpget -On -Oq -Oe -Ot -Ox... as a map;
// leading dots and string quotes removed.
inline std::map<std::string, std::string> parse_tool_output(const std::string &text) {
  std::map<std::string, std::string> values;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    std::string name = line.substr(0, space);
    std::string value = line.substr(space + 1);
    if (!name.empty() && name[0] == '.') name.erase(0, 1);
    if (!value.empty() && value[0] == '.') value.erase(0, 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    values[name] = value;
  }
  return values;
}

}  // namespace v3_test

#endif  // QMR_TESTS_SESSION_V3_TEST_UTIL_H
