// This host's route, interface and address tables, read from the IP helper
// or, when that is not usable, from the host's SNMP extension agent.
#ifndef QMR_SESSION_LOCAL_LOCAL_INTERFACE_PROVIDER_H
#define QMR_SESSION_LOCAL_LOCAL_INTERFACE_PROVIDER_H

#include <cstdint>
#include <mutex>

#include "net/route_finder.h"
#include "session/local/local_table_backend.h"
#include "session/local/local_table_records.h"

class CTqcLocalInterfaceProvider {
 public:
  enum EBackendKind : int32_t {
    kAutomatic = 0,
    kExtensionAgent = 1,
    kIpHelper = 2,
  };

  CTqcLocalInterfaceProvider() = default;
  CTqcLocalInterfaceProvider(const CTqcLocalInterfaceProvider &) = delete;
  CTqcLocalInterfaceProvider &operator=(const CTqcLocalInterfaceProvider &) = delete;
  ~CTqcLocalInterfaceProvider();

  // Chooses the source once (automatic: IP helper, else extension agent):
  // 0, -2 (unknown kind), -3, -10. Does nothing when one is selected; a
  // failed selection can be retried.
  int32_t select_backend(int32_t kind);

  // New lists owned by the caller, or null with the code: -8 when no
  // source is selected, else the source's code.
  CTqcLocalRouteList *route_table(int32_t *result);
  int32_t interface_count(int32_t *result);
  CTqcLocalInterfaceList *interface_table(int32_t *result);
  CTqcLocalAddressList *address_table(int32_t *result);

 private:
  int32_t select_one(int32_t kind);
  ITqcLocalTableBackend *backend(int32_t *result) const;

  ITqcLocalTableBackend *m_pBackend = nullptr;
  mutable std::mutex m_lock;
};

// The process-wide provider.
CTqcLocalInterfaceProvider *tqc_local_interface_provider();

// The route finder's table source that reads through the process-wide
// provider. The library hands it to tqc_set_route_table_source when a
// library handle is made; it lives as long as the process.
ITqcRouteTableSource *tqc_local_route_source();

#endif  // QMR_SESSION_LOCAL_LOCAL_INTERFACE_PROVIDER_H
