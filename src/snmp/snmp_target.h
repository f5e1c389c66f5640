// Where and how a message goes: the common target interface and fields.
#ifndef QMR_SNMP_SNMP_TARGET_H
#define QMR_SNMP_SNMP_TARGET_H

#include <cstdint>

#include "net/network_address.h"
#include "snmp/snmp_types.h"

class ITqsTargetVisitor;

// Fields after creation and after reset(): version -1, time-out -1 (ms),
// retries 0, maximum message size 0, local port 0 (any), no address.
// Results: 0, -2 null or mismatching argument, -3 out of memory, -5 not
// offered.
class ITqsSnmpTarget {
 public:
  // Calls the visitor's header operation with this target.
  virtual int32_t accept(ITqsTargetVisitor *visitor) = 0;                       // 0
  virtual void release() = 0;                                                   // 1
  virtual int32_t reset() = 0;                                                  // 2
  virtual ITqsSnmpTarget *clone(int32_t *result = nullptr) const = 0;          // 3
  // Copies address (as a copy), version, time-out, retries, maximum size and
  // port, plus the kind's own fields; -2 for null or a target of another kind.
  virtual int32_t assign(const ITqsSnmpTarget *other) = 0;                     // 4
  virtual bool equals(const ITqsSnmpTarget *other) const = 0;                  // 5
  virtual int32_t kind() const = 0;                                            // 6 (ETqsTargetKind)
  // kTqsCommunityTargetId gives ITqsCommunityTarget*, kTqsUserSecurityId
  // ITqsUserSecurity*; 0, -2 null out pointer, -4 id not answered.
  virtual int32_t query(uint32_t id, void **out) = 0;                          // 7
  virtual int32_t set_version(int32_t version) = 0;                            // 8
  virtual int32_t set_timeout(int32_t timeout_ms) = 0;                         // 9
  virtual int32_t set_retries(int32_t retries) = 0;                            // 10
  virtual int32_t set_max_message_size(int64_t size) = 0;                      // 11
  virtual int32_t set_port(uint16_t port) = 0;                                 // 12
  virtual int32_t get_version() const = 0;                                     // 13
  virtual int32_t get_timeout() const = 0;                                     // 14
  virtual int32_t get_retries() const = 0;                                     // 15
  virtual int64_t get_max_message_size() const = 0;                            // 16
  virtual uint16_t get_port() const = 0;                                       // 17
  // Stores a copy of `address`; null clears it.
  virtual int32_t set_address(const ITqcNetworkAddress *address) = 0;          // 18
  // Lent; null when absent.
  virtual ITqcNetworkAddress *get_address() const = 0;                         // 19

 protected:
  virtual ~ITqsSnmpTarget() = default;
};

// A new target of `kind` (the decoder's translate type): kTqsCommunityKind
// gives a community target; any other kind gives null with -2.
ITqsSnmpTarget *tqs_create_target_of_kind(int32_t kind, int32_t *result = nullptr);

// The fields every target kind shares; the concrete targets derive from it.
class CTqsSnmpTargetBase : public ITqsSnmpTarget {
 public:
  CTqsSnmpTargetBase() = default;
  CTqsSnmpTargetBase(const CTqsSnmpTargetBase &) = delete;
  CTqsSnmpTargetBase &operator=(const CTqsSnmpTargetBase &) = delete;

  int32_t accept(ITqsTargetVisitor *visitor) override;
  int32_t reset() override;
  int32_t set_version(int32_t version) override;
  int32_t set_timeout(int32_t timeout_ms) override;
  int32_t set_retries(int32_t retries) override;
  int32_t set_max_message_size(int64_t size) override;
  int32_t set_port(uint16_t port) override;
  int32_t get_version() const override;
  int32_t get_timeout() const override;
  int32_t get_retries() const override;
  int64_t get_max_message_size() const override;
  uint16_t get_port() const override;
  int32_t set_address(const ITqcNetworkAddress *address) override;
  ITqcNetworkAddress *get_address() const override;

 protected:
  ~CTqsSnmpTargetBase() override;
  // Copies the shared fields; the address as a copy.
  int32_t assign_base(const ITqsSnmpTarget &other);
  bool base_equals(const ITqsSnmpTarget &other) const;

 private:
  int32_t m_version = kTqsVersionUnset;
  int32_t m_timeout = -1;
  int32_t m_retries = 0;
  int64_t m_maxMessageSize = 0;
  uint16_t m_port = 0;
  ITqcNetworkAddress *m_pAddress = nullptr;
};

#endif  // QMR_SNMP_SNMP_TARGET_H
