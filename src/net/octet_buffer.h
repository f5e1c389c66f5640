// A small owned byte container in which values hand out their text and bytes
// and in which the codec receives octet strings. It lives in the transport
// layer, the lowest one that needs it: network addresses keep their text in
// one, and the SNMP layer above takes it from here.
#ifndef QMR_NET_OCTET_BUFFER_H
#define QMR_NET_OCTET_BUFFER_H

#include <cstdint>

#include "net/owned.h"

// The bytes are always followed by one extra NUL, so a buffer holding text
// reads as a NUL-terminated string. Results: 0, -2 (null argument where one
// is required), -3 (out of memory; the old content is then kept).
class ITqsOctetBuffer {
 public:
  virtual void release() = 0;                                         // 0
  virtual uint32_t size() const = 0;                                  // 1
  // The bytes, or null when the buffer is empty.
  virtual const uint8_t *data() const = 0;                            // 2
  // A null pointer empties the buffer.
  virtual int32_t set(const void *bytes, uint32_t length) = 0;        // 3
  // A null text empties the buffer.
  virtual int32_t set_text(const char *text) = 0;                     // 4
  virtual int32_t append(const void *bytes, uint32_t length) = 0;     // 5
  virtual int32_t append_text(const char *text) = 0;                  // 6
  virtual int32_t append_buffer(const ITqsOctetBuffer *other) = 0;    // 7
  virtual ITqsOctetBuffer *clone(int32_t *result = nullptr) const = 0;  // 8
  // An empty buffer equals only empty bytes (a null pointer counts as empty).
  virtual bool equals(const void *bytes, uint32_t length) const = 0;  // 9
  virtual bool equals_text(const char *text) const = 0;               // 10
  virtual bool equals_buffer(const ITqsOctetBuffer *other) const = 0; // 11

  // Never null: "" when the buffer is empty.
  virtual const char *c_str() const = 0;

 protected:
  virtual ~ITqsOctetBuffer() = default;
};

// A new empty buffer, or null with -3.
ITqsOctetBuffer *tqs_create_octet_buffer(int32_t *result = nullptr);

using TqcBufferPtr = TqcOwned<ITqsOctetBuffer>;

#endif  // QMR_NET_OCTET_BUFFER_H
