// The receive wait through the bound select. Windows sets hold sockets by
// count, not by value, so one socket always fits.
#include "net/socket_api.h"
#include "net/socket_types.h"

int tqc_wait_readable(TqcSocket socket, int32_t timeout_ms) {
  const TqcSocketFunctions &api = NTqcSocketAPI::api();
  if (api.p_select == nullptr || api.p_WSAFDIsSet == nullptr) return -1;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket, &readable);
  timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  int ready = api.p_select(0, &readable, nullptr, nullptr, timeout_ms < 0 ? nullptr : &wait);
  if (ready == kTqcSocketError) return -1;
  return ready > 0 && api.p_WSAFDIsSet(socket, &readable) != 0 ? 1 : 0;
}
