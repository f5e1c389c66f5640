// A source of the local tables: the IP helper or the SNMP extension agent.
#ifndef QMR_SESSION_LOCAL_LOCAL_TABLE_BACKEND_H
#define QMR_SESSION_LOCAL_LOCAL_TABLE_BACKEND_H

#include <cstdint>

#include "session/local/local_table_records.h"

class ITqcLocalTableBackend {
 public:
  virtual void release() = 0;                                              // 0
  // The system library the backend reads from.
  virtual const char *library_name() const = 0;                            // 1
  // Loads the library and looks up the entry points: 0, -10.
  virtual int32_t initialise() = 0;                                        // 2
  // Each query: a new list owned by the caller, or null with the code
  // (-3 memory, -10 source refused or failed).
  virtual CTqcLocalRouteList *route_table(int32_t *result) = 0;            // 3
  virtual int32_t interface_count(int32_t *result) = 0;                    // 4
  virtual CTqcLocalInterfaceList *interface_table(int32_t *result) = 0;    // 5
  virtual CTqcLocalAddressList *address_table(int32_t *result) = 0;        // 6

 protected:
  virtual ~ITqcLocalTableBackend() = default;
};

// New, not yet initialised backends; null with -3.
ITqcLocalTableBackend *tqc_create_mib2_backend(int32_t *result);
ITqcLocalTableBackend *tqc_create_ip_helper_table_backend(int32_t *result);

// The library module of a backend, freed with the backend.
class CTqcLocalModule {
 public:
  CTqcLocalModule() = default;
  CTqcLocalModule(const CTqcLocalModule &) = delete;
  CTqcLocalModule &operator=(const CTqcLocalModule &) = delete;
  ~CTqcLocalModule();
  // Loads `name` and looks up every name of `names` into `pointers`:
  // 0, or -10 when the library or any entry point is missing.
  int32_t load(const char *name, const char *const *names, void **pointers[], int count);

 private:
  void *m_module = nullptr;
};

#endif  // QMR_SESSION_LOCAL_LOCAL_TABLE_BACKEND_H
