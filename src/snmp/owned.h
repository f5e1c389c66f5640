// Single ownership of library objects, which are destroyed by release().
#ifndef QMR_SNMP_OWNED_H
#define QMR_SNMP_OWNED_H

#include <memory>

struct TqsReleaser {
  template <class T>
  void operator()(T *object) const {
    if (object) object->release();
  }
};

template <class T>
using TqsOwned = std::unique_ptr<T, TqsReleaser>;

// Hands `object` to `owned`, releasing the old member; storing the member
// it already holds is a no-op rather than a release of the new one.
template <class T>
void tqs_replace(TqsOwned<T> &owned, T *object) {
  if (owned.get() != object) owned.reset(object);
}

#endif  // QMR_SNMP_OWNED_H
