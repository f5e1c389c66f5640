// Targets copy addresses through hooks that the transport layer installs;
// until it does, the tests install the same three operations themselves.
#include <gtest/gtest.h>

#include "net/network_address.h"
#include "snmp/snmp_target.h"

namespace {

ITqcNetworkAddress *clone_address(const ITqcNetworkAddress *address, int32_t *result) {
  ITqcNetworkAddress *copy = nullptr;
  const int32_t rc = address->clone(&copy);
  if (result != nullptr) *result = rc;
  return copy;
}
void release_address(ITqcNetworkAddress *address) { address->release(); }
bool equal_addresses(const ITqcNetworkAddress *a, const ITqcNetworkAddress *b) { return a->is_equal(b); }

const STqsAddressHooks kHooks = {clone_address, release_address, equal_addresses};

class AddressHooks : public ::testing::Environment {
 public:
  void SetUp() override {
    if (tqs_address_hooks() == nullptr) tqs_set_address_hooks(&kHooks);
  }
};

const auto *const g_env = ::testing::AddGlobalTestEnvironment(new AddressHooks);

}  // namespace
