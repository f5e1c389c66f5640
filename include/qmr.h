/*
 * libqmr: discover, watch and manage network printers over SNMP.
 *
 * Conventions
 * - Handles are opaque: QMRInit makes one and hands it out as a void pointer;
 *   the caller owns it until QMRUnInit, which destroys it and everything it
 *   owns. A handle that was passed to QMRUnInit must not be used again.
 * - A handle carries no lock. Use one handle from one thread at a time;
 *   distinct handles may be used from distinct threads.
 * - Every function answers an int32_t result code (0 success, a negative code
 *   below otherwise) unless its prototype says otherwise. The int16_t
 *   functions answer flags: 1 true, 0 false.
 * - Arguments are checked first, in argument order, and the first failing
 *   check decides the code. A null pointer that is not marked "may be null"
 *   answers QMR_E_INVALID_ARG (-2), and a call refused this way changes
 *   nothing. All argument checks come before QMR_E_NO_DEVICE (-8), which a
 *   device function answers on a handle without an opened device.
 * - Public protocol numbers: 1 UDP over IPv4, 2 IPX, 3 accepted but supported
 *   by no transport, 5 UDP over IPv6; any other number answers -2.
 * - Texts are zero-terminated. Output texts of QMRGetDeviceNext need 64-byte
 *   buffers, the output of QMRGetOptionValueString needs 256 bytes.
 *   Communities hold at most 255 characters, addresses at most 63; longer
 *   texts answer -2.
 * - Records are plain little-endian byte images copied out whole; their
 *   sizes and field offsets are fixed and checked at compile time below.
 * - Record lists are read from the device by QMRGetNumberOf...Info and
 *   copied out by index by QMRGet...Info; an index not below the count of
 *   the last read answers QMR_E_INDEX (-11) and writes nothing.
 * - Codes of the layers beneath (sessions, codec, transport) pass through
 *   unchanged: treat any negative value as a failure. qmr_result_text() gives
 *   a plain-words meaning for each code.
 */
#ifndef QMR_H
#define QMR_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Export of the library's functions (and its two exported option classes). */
#if defined(_WIN32)
#  if defined(QMR_BUILDING_LIBRARY)
#    define QMR_EXPORT __declspec(dllexport)
#  else
#    define QMR_EXPORT __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define QMR_EXPORT __attribute__((visibility("default")))
#else
#  define QMR_EXPORT
#endif

/* Compile-time checks that work in C11, C99 and C++. */
#if defined(__cplusplus)
#  define QMR_STATIC_ASSERT(cond, name) static_assert(cond, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#  define QMR_STATIC_ASSERT(cond, name) _Static_assert(cond, #name)
#else
#  define QMR_STATIC_ASSERT(cond, name) typedef char qmr_assert_##name[(cond) ? 1 : -1]
#endif

/* Result codes. 0 is success, every failure is negative. Codes are grouped by
 * the layer that makes them and are never renumbered. Each code is written
 * once, in QMR_RESULT_CODES: X(name, value, meaning) yields both the constant
 * and the text that qmr_result_text() answers. */
#define QMR_RESULT_CODES(X)                                                              \
  /* Success. */                                                                         \
  X(QMR_OK,                   0,    "success")                                           \
  /* -1 .. -11: arguments, memory, components and the exported interface. */             \
  X(QMR_E_FAILED,           (-1),   "platform call failed or nothing found")             \
  X(QMR_E_INVALID_ARG,      (-2),   "invalid argument or unsupported model")             \
  X(QMR_E_NO_MEMORY,        (-3),   "out of memory")                                     \
  X(QMR_E_NO_INTERFACE,     (-4),   "interface not answered by the component")           \
  X(QMR_E_NOT_SUPPORTED,    (-5),   "operation or protocol not supported")               \
  X(QMR_E_NOT_FOUND,        (-6),   "logger, group or appender not found")               \
  X(QMR_E_OUT_OF_RANGE,     (-7),   "value out of range, not recognised or refused")     \
  X(QMR_E_NO_DEVICE,        (-8),   "no device opened")                                  \
  X(QMR_E_SYSTEM_LIBRARY,   (-10),  "system library or entry point missing")             \
  X(QMR_E_INDEX,            (-11),  "index out of range")                                \
  /* -200 .. -205: SNMP library and datagram socket. */                                  \
  X(QMR_E_SNMP_LIBRARY,     (-200), "SNMP library error")                                \
  X(QMR_E_SOCKET,           (-201), "socket creation failed")                            \
  X(QMR_E_BIND,             (-202), "local address or bind failed")                      \
  X(QMR_E_TIMEOUT,          (-203), "no response from the device (time-out)")            \
  X(QMR_E_RECEIVE,          (-204), "receive failed or no response")                     \
  X(QMR_E_SEND,             (-205), "send failed")                                       \
  /* -210 .. -214: request sessions (size limits, SNMPv3 security). */                   \
  X(QMR_E_TOO_BIG,          (-210), "device answered tooBig")                            \
  X(QMR_E_MESSAGE_SIZE,     (-211), "message exceeds the maximum message size")          \
  X(QMR_E_CANNOT_SPLIT,     (-212), "request cannot be split further")                   \
  X(QMR_E_SECURITY,         (-214), "SNMPv3 security failure")                           \
  /* -250 .. -251: received messages. */                                                 \
  X(QMR_E_DECODE,           (-250), "received message not acceptable")                   \
  X(QMR_E_WRONG_REQUEST_ID, (-251), "response to another request")                       \
  /* -401: OID index values. */                                                          \
  X(QMR_E_INDEX_FIT,        (-401), "OID index does not fit the value type")

/* The constants, as an enumeration of int values. */
#define QMR_RESULT_ENUM_(name, value, text) name = value,
enum QMRResultCode { QMR_RESULT_CODES(QMR_RESULT_ENUM_) };
#undef QMR_RESULT_ENUM_

/* Plain-words meaning of a result code, for log lines and command output.
 * Header-only on purpose: it is not part of the library's exports. */
#define QMR_RESULT_CASE_(name, value, text) case name: return text;
static inline const char *qmr_result_text(int32_t code) {
  switch (code) {
    QMR_RESULT_CODES(QMR_RESULT_CASE_)
    default: return code < 0 ? "unknown failure" : "unknown result";
  }
}
#undef QMR_RESULT_CASE_

/* SNMPv3 user-security block, passed by address to the ...Ex functions and
 * copied. Empty texts and choices outside 0..2 keep the library's defaults. */
typedef struct QMRSecurityBlock {
  char userName[64];
  int32_t choice1;          /* security level */
  int32_t choice2;          /* authentication protocol */
  int32_t choice3;          /* privacy protocol */
  char passPhrase1[64];     /* authentication pass phrase */
  char passPhrase2[64];     /* privacy pass phrase */
  char text3[512];          /* context name */
} QMRSecurityBlock;

/* One hrStorageTable row. */
typedef struct QMRStorageInfo {
  int32_t storageType;      /* 1..8 as hrStorageTypes, 0 for any other */
  int32_t allocationUnits;
  int32_t size;             /* in allocation units */
  char description[256];
} QMRStorageInfo;

/* One hrDeviceTable row. */
typedef struct QMRDeviceInfo {
  int32_t deviceType;
  int32_t deviceStatus;     /* 1 unknown, 2 running, 3 warning, 4 testing, 5 down */
  char description[256];
} QMRDeviceInfo;

typedef struct QMRPrinterInfo {
  int32_t printerStatus;    /* 1 other, 2 unknown, 3 idle, 4 printing, 5 warmup */
  uint8_t detectedErrorState[4];
} QMRPrinterInfo;

/* One prtInputTable row, integers as the MIB gives them. */
typedef struct QMRInputTrayInfo {
  int32_t inputType;
  int32_t dimensionUnit;
  int32_t declaredFeedDimension;
  int32_t declaredCrossFeedDimension;
  int32_t chosenFeedDimension;
  int32_t chosenCrossFeedDimension;
  int32_t capacityUnit;
  int32_t maxCapacity;
  int32_t currentLevel;
  int32_t status;
  char mediaName[64];
  char inputName[64];
  char description[256];
  char mediaType[64];
  char mediaColour[64];
} QMRInputTrayInfo;

/* One prtOutputTable row. */
typedef struct QMROutputTrayInfo {
  int32_t outputType;
  int32_t status;
  char name[64];
  char description[256];
} QMROutputTrayInfo;

/* One consumed supply (prtMarkerSuppliesTable row of class 3). */
typedef struct QMRTonerInfo {
  int32_t supplyUnit;
  int32_t maxCapacity;
  int32_t level;
  char description[256];
} QMRTonerInfo;

/* One prtAlertTable row. */
typedef struct QMRAlertInfo {
  int32_t severityLevel;
  int32_t group;
  int32_t groupIndex;
  int32_t location;
  int32_t code;
  char description[256];
} QMRAlertInfo;

/* One job; time stamps are year, month, day, hour, minute, second. */
typedef struct QMRJobInfo {
  int32_t jobType;
  int32_t jobClass;         /* 17 separates the two job selections */
  int32_t jobValue2;
  uint32_t unsignedValue1;
  uint32_t unsignedValue2;
  char lookupText1[256];
  char lookupText2[256];
  char lookupText3[256];
  char jobId[256];          /* the text QMRCancelJob takes */
  char jobText[256];
  int16_t timeStamp1[6];
  int16_t timeStamp2[6];
  int16_t timeStamp3[6];
} QMRJobInfo;

/* The byte images are part of the interface: pin every size and offset. */
#define QMR_CHECK_SIZE(type, size) QMR_STATIC_ASSERT(sizeof(type) == (size), size_of_##type)
#define QMR_CHECK_AT(type, field, off) \
  QMR_STATIC_ASSERT(offsetof(type, field) == (off), offset_of_##type##_##field)

QMR_CHECK_SIZE(QMRSecurityBlock, 716);
QMR_CHECK_AT(QMRSecurityBlock, userName, 0);
QMR_CHECK_AT(QMRSecurityBlock, choice1, 64);
QMR_CHECK_AT(QMRSecurityBlock, choice2, 68);
QMR_CHECK_AT(QMRSecurityBlock, choice3, 72);
QMR_CHECK_AT(QMRSecurityBlock, passPhrase1, 76);
QMR_CHECK_AT(QMRSecurityBlock, passPhrase2, 140);
QMR_CHECK_AT(QMRSecurityBlock, text3, 204);

QMR_CHECK_SIZE(QMRStorageInfo, 268);
QMR_CHECK_AT(QMRStorageInfo, storageType, 0);
QMR_CHECK_AT(QMRStorageInfo, allocationUnits, 4);
QMR_CHECK_AT(QMRStorageInfo, size, 8);
QMR_CHECK_AT(QMRStorageInfo, description, 12);

QMR_CHECK_SIZE(QMRDeviceInfo, 264);
QMR_CHECK_AT(QMRDeviceInfo, deviceType, 0);
QMR_CHECK_AT(QMRDeviceInfo, deviceStatus, 4);
QMR_CHECK_AT(QMRDeviceInfo, description, 8);

QMR_CHECK_SIZE(QMRPrinterInfo, 8);
QMR_CHECK_AT(QMRPrinterInfo, printerStatus, 0);
QMR_CHECK_AT(QMRPrinterInfo, detectedErrorState, 4);

QMR_CHECK_SIZE(QMRInputTrayInfo, 552);
QMR_CHECK_AT(QMRInputTrayInfo, inputType, 0);
QMR_CHECK_AT(QMRInputTrayInfo, dimensionUnit, 4);
QMR_CHECK_AT(QMRInputTrayInfo, declaredFeedDimension, 8);
QMR_CHECK_AT(QMRInputTrayInfo, declaredCrossFeedDimension, 12);
QMR_CHECK_AT(QMRInputTrayInfo, chosenFeedDimension, 16);
QMR_CHECK_AT(QMRInputTrayInfo, chosenCrossFeedDimension, 20);
QMR_CHECK_AT(QMRInputTrayInfo, capacityUnit, 24);
QMR_CHECK_AT(QMRInputTrayInfo, maxCapacity, 28);
QMR_CHECK_AT(QMRInputTrayInfo, currentLevel, 32);
QMR_CHECK_AT(QMRInputTrayInfo, status, 36);
QMR_CHECK_AT(QMRInputTrayInfo, mediaName, 40);
QMR_CHECK_AT(QMRInputTrayInfo, inputName, 104);
QMR_CHECK_AT(QMRInputTrayInfo, description, 168);
QMR_CHECK_AT(QMRInputTrayInfo, mediaType, 424);
QMR_CHECK_AT(QMRInputTrayInfo, mediaColour, 488);

QMR_CHECK_SIZE(QMROutputTrayInfo, 328);
QMR_CHECK_AT(QMROutputTrayInfo, outputType, 0);
QMR_CHECK_AT(QMROutputTrayInfo, status, 4);
QMR_CHECK_AT(QMROutputTrayInfo, name, 8);
QMR_CHECK_AT(QMROutputTrayInfo, description, 72);

QMR_CHECK_SIZE(QMRTonerInfo, 268);
QMR_CHECK_AT(QMRTonerInfo, supplyUnit, 0);
QMR_CHECK_AT(QMRTonerInfo, maxCapacity, 4);
QMR_CHECK_AT(QMRTonerInfo, level, 8);
QMR_CHECK_AT(QMRTonerInfo, description, 12);

QMR_CHECK_SIZE(QMRAlertInfo, 276);
QMR_CHECK_AT(QMRAlertInfo, severityLevel, 0);
QMR_CHECK_AT(QMRAlertInfo, group, 4);
QMR_CHECK_AT(QMRAlertInfo, groupIndex, 8);
QMR_CHECK_AT(QMRAlertInfo, location, 12);
QMR_CHECK_AT(QMRAlertInfo, code, 16);
QMR_CHECK_AT(QMRAlertInfo, description, 20);

QMR_CHECK_SIZE(QMRJobInfo, 1336);
QMR_CHECK_AT(QMRJobInfo, jobType, 0);
QMR_CHECK_AT(QMRJobInfo, jobClass, 4);
QMR_CHECK_AT(QMRJobInfo, jobValue2, 8);
QMR_CHECK_AT(QMRJobInfo, unsignedValue1, 12);
QMR_CHECK_AT(QMRJobInfo, unsignedValue2, 16);
QMR_CHECK_AT(QMRJobInfo, lookupText1, 20);
QMR_CHECK_AT(QMRJobInfo, lookupText2, 276);
QMR_CHECK_AT(QMRJobInfo, lookupText3, 532);
QMR_CHECK_AT(QMRJobInfo, jobId, 788);
QMR_CHECK_AT(QMRJobInfo, jobText, 1044);
QMR_CHECK_AT(QMRJobInfo, timeStamp1, 1300);
QMR_CHECK_AT(QMRJobInfo, timeStamp2, 1312);
QMR_CHECK_AT(QMRJobInfo, timeStamp3, 1324);

/* Library lifetime. */
QMR_EXPORT int32_t QMRInit(void **out);
QMR_EXPORT void QMRUnInit(void *h);                                   /* h may be null */
/* command, matched exactly; other commands answer -5:
 * - "CmdSetCommunityGetOption", "CmdSetCommunityFind", "CmdSetCommunityWrite":
 *   value is the community (at most 255 characters).
 * - "CmdSetTraceLog": value "LEVEL[,FILE]" switches the library's trace log
 *   on for the whole process. LEVEL is a decimal sum of the levels to log
 *   (1 error, 2 warn, 4 info, 8 debug, 16 trace; 31 all); the lines go to
 *   standard error, or with ",FILE" into FILE, kept under 1 MiB with one
 *   ".bak" backup. "0" silences the log again. A LEVEL that is no such sum,
 *   an empty FILE or a value over 255 characters answers -2. Without this
 *   command the library logs nothing.
 * - "CmdSetBulkWalk": "1" or "on" turns bulk walks on, "0" or "off" off (the
 *   default); any other value answers -2. Like the communities it applies
 *   from the next QMRInitDevice(Ex). With bulk walks on, the tables of a
 *   device opened with selector 1 (SNMPv2c) or 2 (SNMPv3) are read with
 *   GetBulkRequests, many rows per exchange, into exactly the records and
 *   options a row-by-row read gives (the reads of one call may share an
 *   exchange); selector 0 (SNMPv1) devices are read row by row either way. */
QMR_EXPORT int32_t QMRCommandString(void *h, const char *command, const char *value);
/* No integer command exists: -5 for every valid call. */
QMR_EXPORT int32_t QMRCommandInteger(void *h, int32_t command, int32_t *value);
QMR_EXPORT int16_t QMRTransportAvailable(int32_t protocol);

/* Discovery. dest may be null (broadcast or multicast). */
QMR_EXPORT int32_t QMRFindDeviceSNMP(void *h, const char *dest, int32_t protocol,
                                     uint32_t timeoutMs, uint32_t retries, int32_t *found);
/* block: a QMRSecurityBlock; selector 2 selects SNMPv3. */
QMR_EXPORT int32_t QMRFindDeviceSNMPEx(void *h, const char *dest, int32_t protocol,
                                       int32_t selector, const void *block,
                                       uint32_t timeoutMs, uint32_t retries, int32_t *found);
/* sysObjectID prefix filter; at most 50 are kept, more are dropped (still 0). */
QMR_EXPORT int32_t QMRFindAddFilter(void *h, const char *filter);
QMR_EXPORT void QMRFindClearFilter(void *h);                          /* h may be null */
QMR_EXPORT void QMRFindResetPosition(void *h);                        /* h may be null */
/* 1 and the next found device (64-byte buffers; zeroByte gets one 0 byte),
 * or 0 when none is left or an argument is null. */
QMR_EXPORT int16_t QMRGetDeviceNext(void *h, char *address, char *model, char *zeroByte,
                                    char *sysObjectId);

/* Device connection. */
QMR_EXPORT int32_t QMRInitDevice(void *h, const char *address, int32_t protocol,
                                 uint32_t timeoutMs, uint32_t retries);
QMR_EXPORT int32_t QMRInitDeviceEx(void *h, const char *address, int32_t protocol,
                                   int32_t selector, const void *block,
                                   uint32_t timeoutMs, uint32_t retries);
/* -2 for a null handle, 0 without a device, 1 for a null or empty oid, else
 * whether the device's sysObjectID begins with oid. */
QMR_EXPORT int16_t QMRIsSupportedOID(void *h, const char *oid);
QMR_EXPORT int32_t QMRRefreshOptions(void *h);

/* Options by key. The boolean form ignores index; out of String needs 256 bytes. */
QMR_EXPORT int32_t QMRGetOptionValueBoolean(void *h, const char *key, uint16_t index, int16_t *out);
QMR_EXPORT int32_t QMRGetOptionValueInteger(void *h, const char *key, uint16_t index, int32_t *out);
QMR_EXPORT int32_t QMRGetOptionValueUInteger(void *h, const char *key, uint16_t index, uint32_t *out);
QMR_EXPORT int32_t QMRGetOptionValueString(void *h, const char *key, uint16_t index, char *out);

/* Information records. */
QMR_EXPORT int32_t QMRGetNumberOfStorageInfo(void *h, int32_t *count);
QMR_EXPORT int32_t QMRGetStorageInfo(void *h, uint32_t index, QMRStorageInfo *out);
QMR_EXPORT int32_t QMRGetNumberOfDeviceInfo(void *h, int32_t *count);
QMR_EXPORT int32_t QMRGetDeviceInfo(void *h, uint32_t index, QMRDeviceInfo *out);
QMR_EXPORT int32_t QMRGetPrinterInfo(void *h, QMRPrinterInfo *out);
QMR_EXPORT int32_t QMRGetNumberOfInputTrayInfo(void *h, int32_t *count);
QMR_EXPORT int32_t QMRGetInputTrayInfo(void *h, uint32_t index, QMRInputTrayInfo *out);
QMR_EXPORT int32_t QMRGetNumberOfOutputTrayInfo(void *h, int32_t *count);
QMR_EXPORT int32_t QMRGetOutputTrayInfo(void *h, uint32_t index, QMROutputTrayInfo *out);
QMR_EXPORT int32_t QMRGetNumberOfTonerInfo(void *h, int32_t *count);
QMR_EXPORT int32_t QMRGetTonerInfo(void *h, uint32_t index, QMRTonerInfo *out);
QMR_EXPORT int32_t QMRGetNumberOfAlertInfo(void *h, int32_t *count);
QMR_EXPORT int32_t QMRGetAlertInfo(void *h, uint32_t index, QMRAlertInfo *out);
/* selector: 0 all jobs, 1 jobs of a class other than 17, 2 jobs of class 17. */
QMR_EXPORT int32_t QMRGetNumberOfJobInfo(void *h, uint32_t selector, int32_t *count);
QMR_EXPORT int32_t QMRGetJobInfo(void *h, uint32_t index, QMRJobInfo *out);
QMR_EXPORT int32_t QMRCancelJob(void *h, const char *jobId);
/* selector: 0 standard Printer MIB character set, 1 private one. */
QMR_EXPORT int32_t QMRGetCharSet(void *h, uint32_t selector, int32_t *value);

#ifdef __cplusplus
}
#endif

#endif /* QMR_H */
