/* A host program built against an installed libqmr. */
#include <stdio.h>
#include <string.h>

#include <qmr.h>

int main(void) {
  void *h = NULL;
  int32_t rc = QMRInit(&h);
  if (rc != QMR_OK) {
    fprintf(stderr, "QMRInit: %d (%s)\n", rc, qmr_result_text(rc));
    return 1;
  }
  int32_t count = -1;
  /* No device is open yet: the library itself must answer -8. */
  rc = QMRGetNumberOfStorageInfo(h, &count);
  QMRUnInit(h);
  if (rc != QMR_E_NO_DEVICE) {
    fprintf(stderr, "expected %d, got %d\n", QMR_E_NO_DEVICE, rc);
    return 1;
  }
  printf("libqmr answers %d: %s; IPv4 %s\n", rc, qmr_result_text(rc),
         QMRTransportAvailable(1) ? "available" : "missing");
  return 0;
}
