// The base of every object of the log framework: interfaces are found by
// GUID text and objects are destroyed through release().
#ifndef QMR_LOG_OBJECT_H
#define QMR_LOG_OBJECT_H

#include <cstdint>

// Interface identifiers, compared as whole strings.
inline constexpr char kGuidTqcObject[] = "da74598a-9178-43c9-86c6-cee9988f1b7f";
inline constexpr char kGuidTqcLogger[] = "d638c730-6b6f-11d5-82ea-00e02941dfe1";
inline constexpr char kGuidTqcLogTarget[] = "5fe5b960-6b6f-11d5-82ea-00e02941dfe1";
inline constexpr char kGuidTqcLoggerGroup[] = "a1fc9560-6b6f-11d5-82ea-00e02941dfe1";
inline constexpr char kGuidTqcLoggerGroupEx[] = "34430190-6b77-11d5-82ea-00e02941dfe1";
inline constexpr char kGuidTqcLogAppender[] = "13102460-7602-11d5-82f1-00e02941dfe1";
inline constexpr char kGuidTqcFileAppender[] = "2fb9f6c0-7602-11d5-82f1-00e02941dfe1";

class ITqcObject {
 public:
  // 0 with the interface in *out; -2 when either argument is null; -4 with a
  // null *out when the object does not answer `guid`.
  virtual int32_t query_interface(const char *guid, void **out) = 0;
  // The same query.
  virtual int32_t query(const char *guid, void **out) = 0;
  // No log object describes itself: -5.
  virtual int32_t get_object_info(void **out) = 0;
  // Destroys the object; the process-wide null objects ignore it.
  virtual void release() = 0;

 protected:
  virtual ~ITqcObject() = default;
};

// Shared query tail: `candidate` is the interface the object matched for
// `guid` (null when none). Handles the null-argument and unknown cases.
int32_t tqc_answer_query(const char *guid, void **out, void *candidate);

// True when `guid` names exactly `wanted`.
bool tqc_guid_is(const char *guid, const char *wanted);

#endif  // QMR_LOG_OBJECT_H
