/* A C host of the library: compiled by the C compiler against qmr.h alone
 * and linked against libqmr.so. Checks the codes of the interface that need
 * no network. Exits non-zero when any check fails. */
#include <stdio.h>
#include <string.h>

#include "qmr.h"

static int failures = 0;

#define EXPECT_CODE(expected, call)                                                   \
  do {                                                                                \
    long got_ = (long)(call);                                                         \
    if (got_ != (long)(expected)) {                                                   \
      fprintf(stderr, "%s:%d: %s gave %ld (%s), expected %ld\n", __FILE__, __LINE__,  \
              #call, got_, qmr_result_text((int32_t)got_), (long)(expected));         \
      ++failures;                                                                     \
    }                                                                                 \
  } while (0)

static void fresh_handle_answers_no_device(void *h) {
  int32_t n = 0;
  int16_t flag = 0;
  uint32_t u = 0;
  char text[256];
  QMRStorageInfo st;
  QMRDeviceInfo dv;
  QMRPrinterInfo pr;
  QMRInputTrayInfo in;
  QMROutputTrayInfo out;
  QMRTonerInfo tn;
  QMRAlertInfo al;
  QMRJobInfo jb;
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRRefreshOptions(h));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetOptionValueBoolean(h, "Scanner", 0, &flag));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetOptionValueInteger(h, "MemorySizeInKByte", 0, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetOptionValueUInteger(h, "MemorySizeInKByte", 0, &u));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetOptionValueString(h, "SysName", 0, text));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfStorageInfo(h, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetStorageInfo(h, 0, &st));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetStorageInfo(h, 0xFFFFFFFFu, &st));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfDeviceInfo(h, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetDeviceInfo(h, 0, &dv));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetPrinterInfo(h, &pr));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfInputTrayInfo(h, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetInputTrayInfo(h, 0, &in));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfOutputTrayInfo(h, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetOutputTrayInfo(h, 0, &out));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfTonerInfo(h, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetTonerInfo(h, 0, &tn));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfAlertInfo(h, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetAlertInfo(h, 0, &al));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfJobInfo(h, 0, &n));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetJobInfo(h, 0, &jb));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRCancelJob(h, "0123456789abcdef"));
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetCharSet(h, 0, &n));
  EXPECT_CODE(0, QMRIsSupportedOID(h, "1.3.6.1.4.1.47305"));
  EXPECT_CODE(0, QMRIsSupportedOID(h, ""));
}

static void selector_and_protocol_checks(void *h) {
  int32_t n = 0;
  int32_t found = 0;
  QMRSecurityBlock block;
  memset(&block, 0, sizeof block);
  /* Argument checks come before the missing device. */
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRGetNumberOfJobInfo(h, 3, &n));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRGetCharSet(h, 2, &n));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRGetNumberOfTonerInfo(h, NULL));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRGetAlertInfo(h, 0, NULL));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRCommandInteger(NULL, 0, &n));
  EXPECT_CODE(QMR_E_NOT_SUPPORTED, QMRCommandInteger(h, 0, &n));
  /* Protocol switch: 4 is no public number, 3 passes and is then refused. */
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRInitDevice(h, "127.77.0.1", 4, 100, 0));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRFindDeviceSNMP(h, NULL, 4, 100, 0, &found));
  EXPECT_CODE(QMR_E_NOT_SUPPORTED, QMRFindDeviceSNMP(h, NULL, 3, 100, 0, &found));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRInitDeviceEx(h, "127.77.0.1", 1, 2, NULL, 100, 0));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRFindDeviceSNMPEx(h, NULL, 1, 2, NULL, 100, 0, &found));
  EXPECT_CODE(0, QMRTransportAvailable(3));
  EXPECT_CODE(0, QMRTransportAvailable(4));
  EXPECT_CODE(0, QMRTransportAvailable(0));
}

static void commands_and_filters(void *h) {
  char addr[64], model[64], zero = 'z', oid[64];
  char filter[32];
  int i;
  EXPECT_CODE(QMR_OK, QMRCommandString(h, "CmdSetCommunityGetOption", "public"));
  EXPECT_CODE(QMR_OK, QMRCommandString(h, "CmdSetCommunityFind", "public"));
  EXPECT_CODE(QMR_OK, QMRCommandString(h, "CmdSetCommunityWrite", "private"));
  EXPECT_CODE(QMR_E_NOT_SUPPORTED, QMRCommandString(h, "CmdSetCommunityWriteX", "x"));
  EXPECT_CODE(QMR_E_NOT_SUPPORTED, QMRCommandString(h, "CmdSetCommunityWrit", "x"));
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRCommandString(h, "CmdSetCommunityFind", NULL));
  for (i = 0; i < 51; ++i) {
    snprintf(filter, sizeof filter, "1.3.6.1.4.1.%d", i);
    EXPECT_CODE(QMR_OK, QMRFindAddFilter(h, filter)); /* the 51st too */
  }
  EXPECT_CODE(0, QMRGetDeviceNext(h, addr, model, &zero, oid));
  QMRFindResetPosition(h);
  QMRFindClearFilter(h);
  EXPECT_CODE(0, QMRGetDeviceNext(h, addr, model, &zero, oid));
}

static void refused_opening_keeps_option(void *h) {
  int32_t n = -1;
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRInitDevice(h, "127.77.0.1", 3, 100, 0));
  EXPECT_CODE(1, QMRIsSupportedOID(h, NULL));
  EXPECT_CODE(1, QMRIsSupportedOID(h, ""));
  EXPECT_CODE(QMR_OK, QMRGetOptionValueInteger(h, "NumberOfInputTray", 0, &n));
  EXPECT_CODE(0, n);
  EXPECT_CODE(QMR_E_NO_DEVICE, QMRGetNumberOfStorageInfo(h, &n));
}

int main(void) {
  void *h = NULL;
  EXPECT_CODE(QMR_E_INVALID_ARG, QMRInit(NULL));
  EXPECT_CODE(QMR_OK, QMRInit(&h));
  if (h == NULL) return 1;
  fresh_handle_answers_no_device(h);
  selector_and_protocol_checks(h);
  commands_and_filters(h);
  refused_opening_keeps_option(h);
  QMRUnInit(h);
  QMRUnInit(NULL);
  if (failures != 0) {
    fprintf(stderr, "%d checks failed\n", failures);
    return 1;
  }
  printf("all C interface checks passed\n");
  return 0;
}
