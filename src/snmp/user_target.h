// The user-based target (SNMPv3 with the user-based security model).
#ifndef QMR_SNMP_USER_TARGET_H
#define QMR_SNMP_USER_TARGET_H

#include <cstdint>
#include <string>
#include <vector>

#include "snmp/snmp_target.h"

// Security level codes.
enum ETqsSecurityLevel : int32_t {
  kTqsNoAuthNoPriv = 0,
  kTqsAuthNoPriv = 1,
  kTqsAuthPriv = 2,
};
// Authentication protocol codes (0: none chosen).
enum ETqsAuthProtocol : int32_t {
  kTqsAuthNone = 0,
  kTqsAuthHmacMd5 = 1,  // HMAC-MD5-96
  kTqsAuthHmacSha = 2,  // HMAC-SHA-96
};
// Privacy protocol codes (0: none chosen).
enum ETqsPrivProtocol : int32_t {
  kTqsPrivNone = 0,
  kTqsPrivDes = 1,  // CBC-DES
  kTqsPrivAes = 2,  // CFB128-AES-128
};
// Longest accepted user (security) name, in characters.
constexpr uint32_t kTqsMaxUserNameLength = 32;

// The user-security interface of a target (query id kTqsUserSecurityId).
// Texts are lent and never null ("" when empty).
class ITqsUserSecurity {
 public:
  virtual const char *get_user_name() const = 0;                        // 0
  virtual int32_t get_security_level() const = 0;                       // 1
  virtual int32_t get_auth_protocol() const = 0;                        // 2
  virtual int32_t get_priv_protocol() const = 0;                        // 3
  virtual const char *get_auth_pass_phrase() const = 0;                 // 4
  virtual const char *get_priv_pass_phrase() const = 0;                 // 5
  virtual const char *get_context_name() const = 0;                     // 6
  // Null with *length 0 when unknown; `length` may be null.
  virtual const uint8_t *get_engine_id(uint32_t *length) const = 0;     // 7
  // Null gives ""; more than kTqsMaxUserNameLength characters: -2 and the
  // name becomes empty.
  virtual int32_t set_user_name(const char *name) = 0;                  // 8
  virtual int32_t set_security_level(int32_t level) = 0;                // 9
  virtual int32_t set_auth_protocol(int32_t protocol) = 0;              // 10
  virtual int32_t set_priv_protocol(int32_t protocol) = 0;              // 11
  // Null gives "".
  virtual int32_t set_auth_pass_phrase(const char *pass_phrase) = 0;    // 12
  virtual int32_t set_priv_pass_phrase(const char *pass_phrase) = 0;    // 13
  virtual int32_t set_context_name(const char *context) = 0;            // 14
  // A null pointer or zero length gives the empty (unknown) engine ID.
  virtual int32_t set_engine_id(const uint8_t *bytes, uint32_t length) = 0;  // 15
  virtual void release() = 0;                                           // 16

 protected:
  virtual ~ITqsUserSecurity() = default;
};

// Kind kTqsUserKind. assign() copies the shared fields and the security
// settings and refuses a target of another kind; equals() compares both;
// reset() also empties the security settings.
class CTqsUserTarget : public CTqsSnmpTargetBase, public ITqsUserSecurity {
 public:
  void release() override;
  int32_t reset() override;
  ITqsSnmpTarget *clone(int32_t *result = nullptr) const override;
  int32_t assign(const ITqsSnmpTarget *other) override;
  bool equals(const ITqsSnmpTarget *other) const override;
  int32_t kind() const override;
  int32_t query(uint32_t id, void **out) override;

  const char *get_user_name() const override;
  int32_t get_security_level() const override;
  int32_t get_auth_protocol() const override;
  int32_t get_priv_protocol() const override;
  const char *get_auth_pass_phrase() const override;
  const char *get_priv_pass_phrase() const override;
  const char *get_context_name() const override;
  const uint8_t *get_engine_id(uint32_t *length) const override;
  int32_t set_user_name(const char *name) override;
  int32_t set_security_level(int32_t level) override;
  int32_t set_auth_protocol(int32_t protocol) override;
  int32_t set_priv_protocol(int32_t protocol) override;
  int32_t set_auth_pass_phrase(const char *pass_phrase) override;
  int32_t set_priv_pass_phrase(const char *pass_phrase) override;
  int32_t set_context_name(const char *context) override;
  int32_t set_engine_id(const uint8_t *bytes, uint32_t length) override;

 private:
  friend CTqsUserTarget *tqs_create_user_target(int32_t *result);
  CTqsUserTarget() = default;
  ~CTqsUserTarget() override = default;
  void clear_security();
  int32_t copy_security(const ITqsUserSecurity &other);

  std::string m_userName;
  int32_t m_securityLevel = kTqsNoAuthNoPriv;
  int32_t m_authProtocol = kTqsAuthNone;
  int32_t m_privProtocol = kTqsPrivNone;
  std::string m_authPassPhrase;
  std::string m_privPassPhrase;
  std::string m_contextName;
  std::vector<uint8_t> m_engineId;
};

// A new user-based target: base fields as after reset, empty texts, all
// three codes 0, no engine ID. Null with -3 when out of memory.
CTqsUserTarget *tqs_create_user_target(int32_t *result = nullptr);

// The user-security interface of `target`, or null when it has none.
ITqsUserSecurity *tqs_user_security_of(ITqsSnmpTarget *target);

#endif  // QMR_SNMP_USER_TARGET_H
