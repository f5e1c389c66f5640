// Platform socket types shared by the transport code. The portable files
// use only these names; each platform folder defines them.
#ifndef QMR_NET_SOCKET_TYPES_H
#define QMR_NET_SOCKET_TYPES_H

#if defined(_WIN32)
#include "net/win32/socket_types_win32.h"
#else
#include "net/posix/socket_types_posix.h"
#endif

#endif  // QMR_NET_SOCKET_TYPES_H
