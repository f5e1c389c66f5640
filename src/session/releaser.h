// Ownership of the library's objects inside the session code: a unique_ptr
// whose deleter calls the object's release().
#ifndef QMR_SESSION_RELEASER_H
#define QMR_SESSION_RELEASER_H

#include <memory>

struct STqcReleaser {
  template <class T>
  void operator()(T *object) const {
    if (object != nullptr) object->release();
  }
};

template <class T>
using TqcOwned = std::unique_ptr<T, STqcReleaser>;

#endif  // QMR_SESSION_RELEASER_H
