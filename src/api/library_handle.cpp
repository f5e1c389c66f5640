#include "api/library_handle.h"

#include <cstring>
#include <new>

#include "log/log_config.h"
#include "net/route_finder.h"
#include "session/local/local_interface_provider.h"

namespace {

constexpr char kCmdCommunityGetOption[] = "CmdSetCommunityGetOption";
constexpr char kCmdCommunityFind[] = "CmdSetCommunityFind";
constexpr char kCmdCommunityWrite[] = "CmdSetCommunityWrite";
constexpr char kCmdTraceLog[] = "CmdSetTraceLog";

// Command values, like the communities they hold, stay below 256 bytes.
constexpr size_t kMaxCommandValue = 255;
// The trace log: every level bit (error 1 .. trace 16), and the size a log
// file is kept under (with one ".bak" backup).
constexpr uint32_t kTraceLevelsAll = 31;
constexpr uint32_t kTraceFileBytes = 1024 * 1024;

// "LEVEL[,FILE]": LEVEL a decimal level mask of at most kTraceLevelsAll; 0
// silences the log. Without FILE the lines go to standard error.
int32_t set_trace_log(const char *value) {
  uint32_t mask = 0;
  const char *p = value;
  if (*p < '0' || *p > '9') return QMR_E_INVALID_ARG;
  for (; *p >= '0' && *p <= '9'; ++p) {
    mask = mask * 10 + static_cast<uint32_t>(*p - '0');
    if (mask > kTraceLevelsAll) return QMR_E_INVALID_ARG;
  }
  if (*p != '\0' && *p != ',') return QMR_E_INVALID_ARG;
  const char *file = *p == ',' ? p + 1 : nullptr;
  if (file != nullptr && *file == '\0') return QMR_E_INVALID_ARG;
  if (mask == 0) {
    tqc_log_silence();
    return QMR_OK;
  }
  return file != nullptr ? tqc_log_to_file(file, mask, kTraceFileBytes) : tqc_log_to_stderr(mask);
}

constexpr char kCmdBulkWalk[] = "CmdSetBulkWalk";

// The values "CmdSetBulkWalk" takes: 0 when the text is none of them.
int32_t bulk_walk_value(const char *value, bool *on) {
  static const struct {
    const char *text;
    bool on;
  } kValues[] = {{"1", true}, {"on", true}, {"0", false}, {"off", false}};
  for (const auto &v : kValues) {
    if (std::strcmp(value, v.text) == 0) {
      *on = v.on;
      return QMR_OK;
    }
  }
  return QMR_E_INVALID_ARG;
}

// The interface passes no message size; 0 selects the façade's default.
constexpr uint32_t kDefaultMessageSize = 0;

}  // namespace

CQMRLibraryHandle::CQMRLibraryHandle()
    : m_communityFind{}, m_communityGetOption{}, m_communityWrite{} {}

CQMRLibraryHandle::~CQMRLibraryHandle() {
  m_option.reset();
  m_finder.reset();
  m_status.reset();
  m_usm.reset();
}

CQMRLibraryHandle *CQMRLibraryHandle::create(int32_t *rc) {
  std::unique_ptr<CQMRLibraryHandle> handle(new (std::nothrow) CQMRLibraryHandle());
  int32_t code = QMR_E_NO_MEMORY;
  if (handle) handle->m_finder.reset(CQMRDeviceFinder::create(&code));
  if (handle && handle->m_finder) handle->m_usm.reset(CQMRPluginUSM::create(&code));
  if (!handle || !handle->m_finder || !handle->m_usm) {
    if (rc != nullptr) *rc = QMR_E_NO_MEMORY;
    return nullptr;
  }
  // The route finder (transport layer) reads this host's tables through the
  // session layer's provider; handed down here, on the library's start path.
  tqc_set_route_table_source(tqc_local_route_source());
  if (rc != nullptr) *rc = QMR_OK;
  return handle.release();
}

int32_t CQMRLibraryHandle::command_string(const char *command, const char *value) {
  if (command == nullptr || value == nullptr) return QMR_E_INVALID_ARG;
  if (std::strcmp(command, kCmdTraceLog) == 0) {
    return std::strlen(value) > kMaxCommandValue ? QMR_E_INVALID_ARG : set_trace_log(value);
  }
  if (std::strcmp(command, kCmdBulkWalk) == 0) return bulk_walk_value(value, &m_bulkWalk);
  char *target = nullptr;
  // strcmp compares the terminating zero too: only whole names match.
  if (std::strcmp(command, kCmdCommunityGetOption) == 0) target = m_communityGetOption;
  else if (std::strcmp(command, kCmdCommunityFind) == 0) target = m_communityFind;
  else if (std::strcmp(command, kCmdCommunityWrite) == 0) target = m_communityWrite;
  else return QMR_E_NOT_SUPPORTED;
  const size_t len = std::strlen(value);
  if (len >= sizeof m_communityFind) return QMR_E_INVALID_ARG;
  std::memcpy(target, value, len + 1);
  return QMR_OK;
}

int32_t CQMRLibraryHandle::open_device(const char *address, EProtocol protocol, int32_t selector,
                                       const QMRSecurityBlock *block, uint32_t timeoutMs,
                                       uint32_t retries, uint32_t maxMessageSize) {
  m_option.reset(new (std::nothrow) CQMRQuinceDZRPVRTOption());
  if (!m_option) return QMR_E_NO_MEMORY;
  m_usm->load(selector, block);
  if (m_communityGetOption[0] != '\0') m_option->SetCommunityStr(m_communityGetOption);
  qmr_set_option_bulk_walk(m_option.get(), m_bulkWalk);
  int32_t rc =
      m_option->Init(protocol, address, m_usm.get(), timeoutMs, retries, maxMessageSize);
  if (rc != QMR_OK) return rc;  // the refused option object stays attached

  m_status.reset(CQMRDeviceStatus::create(&rc));
  if (!m_status) return rc;
  if (m_communityGetOption[0] != '\0') m_status->set_read_community(m_communityGetOption);
  if (m_communityWrite[0] != '\0') m_status->set_write_community(m_communityWrite);
  m_status->set_bulk_walk(m_bulkWalk);
  return m_status->init(protocol, address, m_usm.get(), timeoutMs, retries, maxMessageSize);
}

int32_t CQMRLibraryHandle::find_devices(const char *dest, EProtocol protocol, int32_t selector,
                                        const QMRSecurityBlock *block, uint32_t timeoutMs,
                                        uint32_t retries, int32_t *found) {
  return m_finder->find(dest, protocol, selector, block, m_usm.get(), m_communityFind, timeoutMs,
                        retries, kDefaultMessageSize, found);
}
