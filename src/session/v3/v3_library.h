// The glue between the SNMPv3 session and net-snmp: start-up and shut-down
// of the library, the lock over its process-wide state, the synchronous
// response loop, the USM users the sessions install, and the mapping of the
// library's error numbers. Only the SNMPv3 session's files include this.
#ifndef QMR_SESSION_V3_V3_LIBRARY_H
#define QMR_SESSION_V3_V3_LIBRARY_H

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>

#include <cstdint>
#include <mutex>

#include "net/socket_api.h"

// net-snmp keeps its USM user list, engine-time cache, request counters and
// transport registry in globals without locks of its own (this build is not
// reentrant). Every call that may touch them runs under this lock; only the
// wait for datagrams runs outside it.
std::mutex &tqc_snmp_library_lock();

// One user of the library (reference count under the library lock): the
// first one starts it; it is shut down at process exit when unused (see the
// .cpp for why not after the last user). Start-up keeps the host's
// configuration, persistent state and MIB files out and the library quiet.
// The socket library is started first and for as long as the use lasts:
// net-snmp's own socket calls need it started (on Windows), and the
// sender's address is written through its resolver.
class CTqcSnmpLibraryUse {
 public:
  CTqcSnmpLibraryUse();
  ~CTqcSnmpLibraryUse();
  CTqcSnmpLibraryUse(const CTqcSnmpLibraryUse &) = delete;
  CTqcSnmpLibraryUse &operator=(const CTqcSnmpLibraryUse &) = delete;

 private:
  CTqcSocketScope m_sockets{CTqcSocketScope::kVersion22};
};

// Users of the library right now, and library sessions open right now
// (both for tests that check that nothing stays behind).
int32_t tqc_snmp_library_users();
int32_t tqc_snmp_open_sessions();

// Result code of a net-snmp error number (SNMPERR_*).
int32_t tqc_map_snmp_error(int snmp_errno);

// Logs a failed library call at level Error as
// "%s(): ErrNo = %d, SnmpErrNo = %d, %s" (or "%s(): unknown" without a text).
void tqc_log_snmp_call_failure(const char *call, int sys_errno, int snmp_errno, const char *text);
// The same for the error kept in an open library session; returns the
// mapped code of that error.
int32_t tqc_log_session_failure(const char *call, void *sessp);

// The wait state a response callback sees as its `magic`.
// Its first members are laid out as net-snmp's own synch_state, which the
// library writes through `magic` when it gives up on a Report.
struct STqcSynchState {
  int waiting = 0;
  int status = STAT_SUCCESS;  // STAT_SUCCESS, STAT_ERROR, STAT_TIMEOUT
  int reqid = 0;
  netsnmp_pdu *pdu = nullptr;  // the response (owned), if any
  void *data = nullptr;        // the callback's own data
  // Set by a collecting callback when it ends the wait: the library clears
  // `waiting` itself on every Report, which must not end a collection.
  bool finished = false;
};

// The plain response callback: keeps a clone of the response; a Report ends
// the wait with an error (except notInTimeWindow, which the library answers
// by resending).
int tqc_snmp_synch_input(int operation, netsnmp_session *session, int reqid, netsnmp_pdu *pdu, void *magic);

// Library sessions opened and closed under the library lock, counted.
void *tqc_snmp_sess_open(netsnmp_session *session);
void tqc_snmp_sess_close(void *sessp);

// Sends `pdu` (always consumed) on the single session and waits until the
// callback ends the wait or the library reports the time-out. With
// `collect`, answers keep coming to `callback` (also set as the session's
// callback by the caller) until time-out x (retries + 1), after which the
// callback is told of the time-out. Returns the STAT_* status; the
// session's error number tells why on STAT_ERROR.
int tqc_snmp_sess_synch_response_cb(void *sessp, netsnmp_pdu *pdu, netsnmp_callback callback,
                                    STqcSynchState *state, bool collect = false);

// Installs the USM user of an open session (its engine ID must be known) so
// that its keys are used, or takes another reference on the same user
// installed by a concurrent session with the same keys. Release with
// tqc_snmp_detach_user. Returns a result code.
int32_t tqc_snmp_attach_user(netsnmp_session *session);
void tqc_snmp_detach_user(netsnmp_session *session);

#endif  // QMR_SESSION_V3_V3_LIBRARY_H
