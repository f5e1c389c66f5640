// Which broadcast answers a discovery keeps: the acceptance rule for the
// sender's network, and the set of responders already answered.
#ifndef QMR_SESSION_FIND_DEVICE_RESPONDERS_H
#define QMR_SESSION_FIND_DEVICE_RESPONDERS_H

#include <cstdint>
#include <string>
#include <unordered_set>

#include "net/network_address.h"
#include "net/octet_buffer.h"
#include "net/owned.h"

// IP answers are always taken. An IPX answer is taken when the request went
// to any network ("00000000" as network number) or when the sender's
// network number (the first 8 characters) is the request's.
bool tqc_broadcast_accepts(const ITqcNetworkAddress *destination, const ITqcNetworkAddress *source);

// The responders of one broadcast. Two addresses are the same responder
// exactly when ITqcNetworkAddress::is_equal says so for (new, listed): same
// protocol, same text after normalising, and a listed port of 0 or equal to
// the new one. Each address is normalised once, so a lookup costs one
// resolver call and a hash probe however many responders are listed.
class CTqcResponderSet {
 public:
  // Whether `source` equals a listed responder. *key receives what
  // insert() needs to list it. 0, -2, -3 or the normaliser's error.
  int32_t contains(const ITqcNetworkAddress *source, bool *listed, std::string *key);
  // Lists the responder whose lookup gave `key`.
  void insert(const ITqcNetworkAddress *source, std::string key);
  size_t size() const { return m_count; }

 private:
  std::unordered_set<std::string> m_exact;    // protocol, text, port
  std::unordered_set<std::string> m_anyPort;  // protocol, text: listed with port 0
  TqcOwned<ITqsOctetBuffer> m_pScratch;
  size_t m_count = 0;
};

#endif  // QMR_SESSION_FIND_DEVICE_RESPONDERS_H
