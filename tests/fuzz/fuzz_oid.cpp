// OID texts and table indexes: parses arbitrary text as an OID and as every
// value type, reads every index form from the OID, and edits it. Checks that
// what parses prints back the same and that an index read writes back as a
// prefix of the OID it came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "net/octet_buffer.h"
#include "qmr.h"
#include "snmp/oid.h"
#include "snmp/snmp_value.h"

namespace {

struct Releaser {
  template <typename T>
  void operator()(T *p) const {
    if (p) p->release();
  }
};
using Oid = std::unique_ptr<ITqsOid, Releaser>;
using Value = std::unique_ptr<ITqsSnmpValue, Releaser>;
using Buffer = std::unique_ptr<ITqsOctetBuffer, Releaser>;

const uint32_t kIndexTypes[] = {kTqsInteger,     kTqsOctetString, kTqsObjectId,     kTqsIpAddress,
                                kTqsCounter32,   kTqsGauge32,     kTqsTimeTicks,    kTqsOpaque,
                                kTqsIpv6Address, kTqsUdpAddress,  kTqsIpxAddress};
// Types whose text form prints back to a text that parses to the same value.
const uint32_t kTextTypes[] = {kTqsInteger,   kTqsOctetString, kTqsObjectId,    kTqsIpAddress,
                               kTqsCounter32, kTqsGauge32,     kTqsTimeTicks,   kTqsOpaque,
                               kTqsIpv6Address, kTqsUdpAddress, kTqsIpxAddress};

std::string text_of(const ITqsSnmpValue *value) {
  Buffer text(value->to_text());
  if (!text || text->size() == 0) return std::string();
  return std::string(reinterpret_cast<const char *>(text->data()), text->size());
}

void check(bool condition, const char *what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

// Every index form read from `oid` must write back as a prefix of it.
void read_indexes(const ITqsOid *oid, uint8_t flags) {
  bool implied = flags & 1;
  for (uint32_t type : kIndexTypes) {
    int32_t rc = QMR_OK;
    Value value(oid->read_index_as(type, &rc, implied));
    if (rc != QMR_OK) {
      check(value == nullptr, "failed index read hands out no value");
      continue;
    }
    check(value != nullptr, "index read gives a value");
    Oid back(tqs_create_oid());
    if (value->append_index_to(back.get(), implied) != QMR_OK) continue;
    int32_t relation = -1;
    back->compare(oid, &relation);
    check(relation == kTqsOidEqual || relation == kTqsOidOtherBelow, "index writes back as a prefix");
  }
}

void edit(ITqsOid *oid, const char *other, uint8_t flags) {
  Oid copy(oid->clone_oid());
  if (!copy) return;
  uint32_t count = flags >> 4;
  int32_t rc = QMR_OK;
  Value taken(copy->take_index(kIndexTypes[flags % (sizeof kIndexTypes / sizeof kIndexTypes[0])], &rc,
                               flags & 1, static_cast<int32_t>(count) - 1));
  copy->strip_prefix_text(other);
  copy->append_text(other);
  copy->compare_text(other, &rc);
  Oid front(copy->take_front(count));
  copy->remove(count / 2, count);
  copy->take_first_sub_identifier(&rc);
  Buffer front_text(copy->take_front_text(count, &rc));
  copy->append_index_text(other, kTqsOctetString, flags & 2);
  copy->append_index_text(other, kTqsIpAddress, flags & 2);
  copy->sub_identifier(count, &rc);
  text_of(copy.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  uint8_t flags = data[0];
  // The rest is two texts split at the first zero byte.
  std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
  size_t zero = rest.find('\0');
  std::string text = rest.substr(0, zero);
  std::string other = zero == std::string::npos ? std::string() : std::string(rest.c_str() + zero + 1);

  bool valid = tqs_is_valid_oid_text(text.c_str());
  int32_t rc = QMR_OK;
  Oid oid(tqs_create_oid_from_text(text.c_str(), &rc));
  check(valid == (oid != nullptr), "factory agrees with the syntax check");
  if (oid) {
    check(oid->is_valid(), "parsed OID is valid");
    check(text_of(oid.get()) == text, "valid OID text prints back unchanged");
    uint32_t dots = 0;
    for (char c : text) dots += c == '.';
    check(oid->length() == (text.empty() ? 0 : dots + 1), "sub-identifier count");
    read_indexes(oid.get(), flags);
    edit(oid.get(), other.c_str(), flags);
  } else {
    // An invalid text is kept as text only and refuses editing.
    Oid kept(tqs_create_oid());
    kept->set_text(text.c_str());
    check(!kept->is_valid(), "invalid text stays invalid");
    kept->append_sub_identifier(flags);
    Oid copy(kept->clone_oid());
    kept->compare_text(other.c_str(), &rc);
  }

  for (uint32_t type : kTextTypes) {
    Value value(tqs_create_value_from_text(text.c_str(), type, &rc));
    if (!value) continue;
    std::string printed = text_of(value.get());
    Value again(tqs_create_value_from_text(printed.c_str(), type, &rc));
    // OCTET STRING takes the text's bytes, so a zero byte cuts it; any other
    // type must read back its own text form as the same value.
    if (type != kTqsOctetString && type != kTqsOpaque) {
      check(again != nullptr, "text form parses again");
      check(again->equals(value.get()), "text form reads back as the same value");
    }
    Oid index(tqs_create_oid());
    if (value->append_index_to(index.get(), flags & 1) == QMR_OK) {
      Value read(tqs_create_value(type));
      if (read->read_index(index.get(), flags & 1, -1) == QMR_OK)
        check(read->equals(value.get()), "index form reads back as the same value");
    }
  }
  return 0;
}
