/*
 * libqmr: discover, watch and manage network printers over SNMP.
 *
 * (The foundation work completes this header: conventions, the 36 functions,
 * the records and the security block.)
 */
#ifndef QMR_H
#define QMR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. 0 is success, every failure is negative. Codes are grouped by
 * the layer that makes them and are never renumbered. */
#define QMR_OK                     0
#define QMR_E_FAILED             (-1)   /* platform call failed or nothing found */
#define QMR_E_INVALID_ARG        (-2)   /* bad argument, unparsable text, unsupported model */
#define QMR_E_NO_MEMORY          (-3)
#define QMR_E_NO_INTERFACE       (-4)   /* interface identifier not answered */
#define QMR_E_NOT_SUPPORTED      (-5)
#define QMR_E_NOT_FOUND          (-6)   /* logger, group or appender not found */
#define QMR_E_OUT_OF_RANGE       (-7)   /* OID position, text not recognised, no value, SET refused */
#define QMR_E_NO_DEVICE          (-8)   /* no device opened; empty OID; no codec; no local source */
#define QMR_E_SYSTEM_LIBRARY     (-10)  /* system library or entry point missing; unknown value type */
#define QMR_E_INDEX              (-11)  /* record or option index out of range */
#define QMR_E_SNMP_LIBRARY       (-200) /* other SNMP library error */
#define QMR_E_SOCKET             (-201) /* socket creation failed */
#define QMR_E_BIND               (-202) /* local address or bind failed */
#define QMR_E_TIMEOUT            (-203) /* receive time-out */
#define QMR_E_RECEIVE            (-204) /* select or receive failed; no response */
#define QMR_E_SEND               (-205) /* send failed */
#define QMR_E_TOO_BIG            (-210) /* response error-status tooBig */
#define QMR_E_MESSAGE_SIZE       (-211) /* message does not fit the maximum message size */
#define QMR_E_CANNOT_SPLIT       (-212) /* request cannot be split further */
#define QMR_E_SECURITY           (-214) /* SNMPv3 security failure */
#define QMR_E_DECODE             (-250) /* received message not acceptable */
#define QMR_E_WRONG_REQUEST_ID   (-251) /* response to another request */
#define QMR_E_INDEX_FIT          (-401) /* OID index sub-identifiers do not fit the value type */

#ifdef __cplusplus
}
#endif

#endif /* QMR_H */
