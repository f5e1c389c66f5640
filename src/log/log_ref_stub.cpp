// TEMPORARY: replaced by the log manager implementation.
#include "log/log.h"
CTqcLogRef::CTqcLogRef(const char *component) : m_component(component) {}
ITqcLogger *CTqcLogRef::logger() { return nullptr; }
int32_t CTqcLogRef::write(uint32_t, const char *, ...) { return 0; }
CTqcLogRef &socket_log() { static CTqcLogRef r("socket"); return r; }
CTqcLogRef &snmp_log() { static CTqcLogRef r("snmp"); return r; }
int32_t log_write(const char *, uint32_t, const char *, ...) { return 0; }
int32_t log_qmr_failure(const char *, int32_t) { return 0; }
