#include "log/appender.h"

int32_t tqc_query_appender(ITqcLogAppender *self, ITqcFileAppender *file, const char *guid, void **out) {
  void *found = nullptr;
  if (tqc_guid_is(guid, kGuidTqcObject)) {
    found = static_cast<ITqcObject *>(self);
  } else if (tqc_guid_is(guid, kGuidTqcLogAppender)) {
    found = self;
  } else if (file != nullptr && tqc_guid_is(guid, kGuidTqcFileAppender)) {
    found = file;
  }
  return tqc_answer_query(guid, out, found);
}
