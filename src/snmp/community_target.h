// The community-based target (SNMP version 1 and 2c).
#ifndef QMR_SNMP_COMMUNITY_TARGET_H
#define QMR_SNMP_COMMUNITY_TARGET_H

#include <cstdint>
#include <string>

#include "snmp/snmp_target.h"

// The community interface of a target (query id kTqsCommunityTargetId).
class ITqsCommunityTarget {
 public:
  // Copies the text; null removes the community. -3 when the copy fails.
  virtual int32_t set_community(const char *community) = 0;   // 0
  // Lent; null when absent.
  virtual const char *get_community() const = 0;              // 1
  virtual void release() = 0;                                 // 2

 protected:
  virtual ~ITqsCommunityTarget() = default;
};

// Kind kTqsCommunityKind. assign() also copies the community and refuses a
// target of another kind; equals() compares the shared fields and the
// communities (both absent or equal texts). reset() also removes the community.
class CTqsCommunityTarget : public CTqsSnmpTargetBase, public ITqsCommunityTarget {
 public:
  void release() override;
  int32_t reset() override;
  ITqsSnmpTarget *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpTarget *other) override;
  bool equals(const ITqsSnmpTarget *other) const override;
  int32_t kind() const override;
  int32_t query(uint32_t id, void **out) override;
  int32_t set_community(const char *community) override;
  const char *get_community() const override;

 private:
  friend CTqsCommunityTarget *tqs_create_community_target(int32_t *result);
  CTqsCommunityTarget() = default;
  ~CTqsCommunityTarget() override = default;

  bool m_hasCommunity = false;
  std::string m_community;
};

// A new community target with the fields of a reset target, or null with -3.
CTqsCommunityTarget *tqs_create_community_target(int32_t *result = nullptr);

// The community interface of `target`, or null when it has none.
ITqsCommunityTarget *tqs_community_of(ITqsSnmpTarget *target);

#endif  // QMR_SNMP_COMMUNITY_TARGET_H
