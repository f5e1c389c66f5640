#include "session/v3/v3_library.h"

#include <sys/time.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "log/log.h"
#include "qmr.h"
#include "session/v3/v3_platform.h"

namespace {

int32_t g_users = 0;         // under tqc_snmp_library_lock()
int32_t g_open_sessions = 0;  // under tqc_snmp_library_lock()
netsnmp_log_handler *g_silent_log = nullptr;

// Extra time the response loop allows beyond the library's own time-outs,
// so that the loop ends even if the library never reports one.
constexpr int64_t kLoopGraceMs = 5000;

void start_library() {
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_NO_TOKEN_WARNINGS, 1);
  // With persistence off the library never touches its persistent
  // directory, and it needs no MIB file (OIDs are numeric); naming no
  // directory for either keeps the environment's and the built-in defaults
  // out and leaves nothing on disk.
  netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, tqc_v3_no_directory());
#ifndef NETSNMP_DISABLE_MIB_LOADING
  netsnmp_set_mib_directory(tqc_v3_no_directory());
#endif
  // Without any enabled handler the library would print to stderr.
  g_silent_log = netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_EMERG);
  init_snmp("");
}

void stop_library() {
  // Shut-down removes and frees every log handler, ours too.
  snmp_shutdown("");
  g_silent_log = nullptr;
}

bool g_started = false;  // under tqc_snmp_library_lock()

void stop_at_exit() {
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  if (g_started && g_users == 0) {
    stop_library();
    g_started = false;
  }
}

int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A USM user this process installed, shared by the sessions that use it.
struct STqcUserRef {
  struct usmUser *user;
  int32_t count;
};
std::vector<STqcUserRef> &installed_users() {
  static std::vector<STqcUserRef> users;
  return users;
}

bool same_bytes(const u_char *a, size_t a_len, const u_char *b, size_t b_len) {
  return a_len == b_len && (a_len == 0 || std::memcmp(a, b, a_len) == 0);
}

// True when `user` was made from the same key material as `session` asks for.
bool same_keys(const struct usmUser *user, const netsnmp_session *session) {
  u_char key[USM_LENGTH_KU_HASHBLOCK];
  size_t key_len = sizeof(key);
  if (session->securityAuthKeyLen != 0) {
    if (user->authKey == nullptr ||
        generate_kul(user->authProtocol, user->authProtocolLen, session->securityEngineID,
                     session->securityEngineIDLen, session->securityAuthKey, session->securityAuthKeyLen, key,
                     &key_len) != SNMPERR_SUCCESS ||
        !same_bytes(key, key_len, user->authKey, user->authKeyLen))
      return false;
  } else if (user->authKeyLen != 0) {
    return false;
  }
  key_len = sizeof(key);
  if (session->securityPrivKeyLen != 0) {
    return user->privKey != nullptr &&
           generate_kul(user->authProtocol, user->authProtocolLen, session->securityEngineID,
                        session->securityEngineIDLen, session->securityPrivKey, session->securityPrivKeyLen, key,
                        &key_len) == SNMPERR_SUCCESS &&
           key_len <= user->privKeyLen && std::memcmp(key, user->privKey, key_len) == 0;
  }
  return user->privKeyLen == 0;
}

}  // namespace

std::mutex &tqc_snmp_library_lock() {
  static std::mutex lock;
  return lock;
}

// net-snmp 5.9 loses its MIB parser's type table (4.8 KB) on every
// shut-down and start-up, so a start-up per operation would grow the
// process without bound: the first user starts the library and it stays up
// until the process exits. Sessions and the users they install are still
// closed and removed after every operation.
CTqcSnmpLibraryUse::CTqcSnmpLibraryUse() {
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  if (g_users++ == 0 && !g_started) {
    start_library();
    g_started = true;
    std::atexit(stop_at_exit);
  }
}

CTqcSnmpLibraryUse::~CTqcSnmpLibraryUse() {
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  --g_users;
}

int32_t tqc_snmp_library_users() {
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  return g_users;
}

int32_t tqc_snmp_open_sessions() {
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  return g_open_sessions;
}

int32_t tqc_map_snmp_error(int snmp_errno) {
  switch (snmp_errno) {
    case SNMPERR_SUCCESS:
      return QMR_OK;
    case -66:
      return QMR_E_SYSTEM_LIBRARY;
    case -64: case -50: case -49: case -48: case -47: case -41: case -38: case -31: case -29: case -13: case -11:
      return QMR_E_DECODE;
    case -62:
      return QMR_E_NO_MEMORY;
    case -61: case -60: case -59: case -58: case -57: case -56: case -45: case -28: case -27: case -23: case -19:
    case -17: case -14: case -5: case -4: case -3:
      return QMR_E_INVALID_ARG;
    case -46: case -44: case -43: case -42: case -37: case -36: case -35: case -34: case -33: case -30:
      return QMR_E_SECURITY;
    case -32: case -25:
      return QMR_E_RECEIVE;
    case -24:
      return QMR_E_TIMEOUT;
    case -12:
      return QMR_E_SEND;
    default:
      return QMR_E_SNMP_LIBRARY;
  }
}

void tqc_log_snmp_call_failure(const char *call, int sys_errno, int snmp_errno, const char *text) {
  if (text != nullptr && *text != '\0')
    snmp_log().write(kLogError, "%s(): ErrNo = %d, SnmpErrNo = %d, %s", call, sys_errno, snmp_errno, text);
  else
    snmp_log().write(kLogError, "%s(): unknown", call);
}

int32_t tqc_log_session_failure(const char *call, void *sessp) {
  int sys_errno = 0;
  int snmp_errno = 0;
  char *text = nullptr;
  snmp_sess_error(sessp, &sys_errno, &snmp_errno, &text);
  tqc_log_snmp_call_failure(call, sys_errno, snmp_errno, text);
  std::free(text);
  return tqc_map_snmp_error(snmp_errno);
}

int tqc_snmp_synch_input(int operation, netsnmp_session *session, int reqid, netsnmp_pdu *pdu, void *magic) {
  auto *state = static_cast<STqcSynchState *>(magic);
  if (reqid != state->reqid && pdu != nullptr && pdu->command != SNMP_MSG_REPORT) return 0;
  state->waiting = 0;
  switch (operation) {
    case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
      if (pdu->command == SNMP_MSG_REPORT) {
        const int report = snmpv3_get_report_type(pdu);
        // The library resends on its own after learning the engine time.
        if (report == SNMPERR_NOT_IN_TIME_WINDOW) state->waiting = 1;
        state->status = STAT_ERROR;
        session->s_snmp_errno = report;
      } else if (pdu->command == SNMP_MSG_RESPONSE) {
        snmp_free_pdu(state->pdu);
        state->pdu = snmp_clone_pdu(pdu);
        state->status = STAT_SUCCESS;
        session->s_snmp_errno = SNMPERR_SUCCESS;
      } else {
        state->status = STAT_ERROR;
        session->s_snmp_errno = SNMPERR_PROTOCOL;
      }
      break;
    case NETSNMP_CALLBACK_OP_TIMED_OUT:
      state->status = STAT_TIMEOUT;
      session->s_snmp_errno = SNMPERR_TIMEOUT;
      break;
    case NETSNMP_CALLBACK_OP_DISCONNECT:
      state->status = STAT_ERROR;
      session->s_snmp_errno = SNMPERR_ABORT;
      break;
    default:  // security or send failure: the library has set the error
      state->status = STAT_ERROR;
      break;
  }
  return 1;
}

void *tqc_snmp_sess_open(netsnmp_session *session) {
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  void *sessp = snmp_sess_open(session);
  if (sessp != nullptr) ++g_open_sessions;
  return sessp;
}

void tqc_snmp_sess_close(void *sessp) {
  if (sessp == nullptr) return;
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  snmp_sess_close(sessp);
  --g_open_sessions;
}

int tqc_snmp_sess_synch_response_cb(void *sessp, netsnmp_pdu *pdu, netsnmp_callback callback,
                                    STqcSynchState *state, bool collect) {
  netsnmp_session *session = snmp_sess_session(sessp);
  state->waiting = 1;
  state->status = STAT_SUCCESS;
  {
    std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
    state->reqid = snmp_sess_async_send(sessp, pdu, callback, state);
    if (state->reqid == 0) {
      snmp_free_pdu(pdu);
      state->waiting = 0;
      state->status = STAT_ERROR;
      return state->status;
    }
  }
  // The library ends the wait itself after time-out x (retries + 1); the
  // bound only guards against a wait it never ends.
  const int64_t collect_until_ms =
      now_ms() + (static_cast<int64_t>(session->timeout) / 1000) * (session->retries + 1);
  const int64_t limit_ms = collect_until_ms + kLoopGraceMs;
  netsnmp_transport *transport = snmp_sess_transport(sessp);
  netsnmp_large_fd_set fds;
  netsnmp_large_fd_set_init(&fds, FD_SETSIZE);
  while (collect ? !state->finished : state->waiting != 0) {
    int numfds = 0;
    int block = 1;
    struct timeval timeout = {0, 0};
    {
      std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
      NETSNMP_LARGE_FD_ZERO(&fds);
      snmp_sess_select_info2(sessp, &numfds, &fds, &timeout, &block);
    }
    if (block != 0 && collect && transport != nullptr && now_ms() < collect_until_ms) {
      // The library forgets the request after its first answer; further
      // answers reach the session's callback until the time-out.
      const int64_t left = collect_until_ms - now_ms();
      timeout.tv_sec = static_cast<time_t>(left / 1000);
      timeout.tv_usec = static_cast<decltype(timeout.tv_usec)>((left % 1000) * 1000);
      NETSNMP_LARGE_FD_SET(transport->sock, &fds);
      if (numfds <= transport->sock) numfds = transport->sock + 1;
    } else if (block != 0 && collect) {
      callback(NETSNMP_CALLBACK_OP_TIMED_OUT, session, state->reqid, nullptr, state);
      state->finished = true;
      break;
    } else if (block != 0 || now_ms() > limit_ms) {
      // Nothing outstanding any more, or the bound ran out.
      state->finished = true;
      state->waiting = 0;
      state->status = STAT_TIMEOUT;
      session->s_snmp_errno = SNMPERR_TIMEOUT;
      break;
    }
    const int count = netsnmp_large_fd_set_select(numfds, &fds, nullptr, nullptr, &timeout);
    std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
    if (count > 0) {
      snmp_sess_read2(sessp, &fds);
    } else if (count == 0) {
      snmp_sess_timeout(sessp);
    } else if (errno != EINTR) {
      state->finished = true;
      state->waiting = 0;
      state->status = STAT_ERROR;
      session->s_snmp_errno = SNMPERR_GENERR;
    }
  }
  netsnmp_large_fd_set_cleanup(&fds);
  return state->status;
}

int32_t tqc_snmp_attach_user(netsnmp_session *session) {
  if (session->securityNameLen == 0 || session->securityEngineIDLen == 0) return QMR_OK;
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  struct usmUser *user = usm_get_user(session->securityEngineID, session->securityEngineIDLen,
                                      session->securityName);
  if (user != nullptr) {
    for (STqcUserRef &ref : installed_users()) {
      if (ref.user != user) continue;
      // The library keeps one user per engine and name: a concurrent session
      // with other keys cannot share it.
      if (!same_keys(user, session)) return QMR_E_SECURITY;
      ++ref.count;
      return QMR_OK;
    }
    // Left over by the library itself: adopt it when its keys fit, else
    // replace it, since the library never updates the keys of a user.
    if (same_keys(user, session)) {
      installed_users().push_back({user, 1});
      return QMR_OK;
    }
    usm_remove_user(user);
    usm_free_user(user);
  }
  session->flags &= ~SNMP_FLAGS_USER_CREATED;
  if (create_user_from_session(session) != SNMPERR_SUCCESS) return QMR_E_NO_MEMORY;
  user = usm_get_user(session->securityEngineID, session->securityEngineIDLen, session->securityName);
  if (user == nullptr) return QMR_E_SNMP_LIBRARY;
  installed_users().push_back({user, 1});
  return QMR_OK;
}

void tqc_snmp_detach_user(netsnmp_session *session) {
  if (session->securityNameLen == 0 || session->securityEngineIDLen == 0) return;
  std::lock_guard<std::mutex> hold(tqc_snmp_library_lock());
  struct usmUser *user = usm_get_user(session->securityEngineID, session->securityEngineIDLen,
                                      session->securityName);
  std::vector<STqcUserRef> &users = installed_users();
  for (auto it = users.begin(); it != users.end(); ++it) {
    if (it->user != user) continue;
    if (--it->count == 0) {
      // Gone with its last session, so that a later session with other keys
      // (a corrected pass phrase) gets its own keys.
      usm_remove_user(user);
      usm_free_user(user);
      users.erase(it);
    }
    return;
  }
}
