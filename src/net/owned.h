// Single ownership of the library's objects, which are destroyed by their
// release() operation rather than by delete.
#ifndef QMR_NET_OWNED_H
#define QMR_NET_OWNED_H

#include <memory>

struct STqcReleaser {
  template <class T>
  void operator()(T *object) const {
    if (object != nullptr) object->release();
  }
};

template <class T>
using TqcOwned = std::unique_ptr<T, STqcReleaser>;

// Hands `object` to `owned`, releasing the old member; storing the member
// it already holds is a no-op rather than a release of the new one.
template <class T>
void tqc_replace(TqcOwned<T> &owned, T *object) {
  if (owned.get() != object) owned.reset(object);
}

#endif  // QMR_NET_OWNED_H
