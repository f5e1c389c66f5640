// A datagram's bytes as the codec and the sessions share them: one byte area
// (data, size) and the position inside it where the message starts. The
// message runs from the start to the end of the area.
//
// Ownership: an allocated area belongs to the object and is freed with it or
// when it is replaced; an attached area may instead stay the caller's
// (borrowed), in which case it must outlive its use here.
#ifndef QMR_SNMP_RAW_PACKET_H
#define QMR_SNMP_RAW_PACKET_H

#include <cstddef>
#include <cstdint>

class CTqsRawPacket {
 public:
  CTqsRawPacket() = default;
  ~CTqsRawPacket();
  CTqsRawPacket(const CTqsRawPacket &) = delete;
  CTqsRawPacket &operator=(const CTqsRawPacket &) = delete;

  // A new owned area of n bytes (contents undefined) with the start at its
  // first byte; the old area is freed first. QMR_OK or QMR_E_NO_MEMORY (then
  // the object is empty).
  int32_t allocate(size_t n);
  // Takes an existing area; `owned` hands it over (it must come from
  // new (std::nothrow) uint8_t[]), otherwise it stays the caller's.
  void attach(uint8_t *data, size_t size, bool owned);
  // Gives up the area without freeing it; returns it (the caller now frees
  // an owned area with delete[]) and leaves the object empty.
  uint8_t *detach();
  // Keeps the area but ends the message `n` bytes after the area's first
  // byte (n <= size), e.g. after receiving n bytes into a larger buffer.
  void truncate(size_t n);

  uint8_t *data() const { return m_data; }
  size_t size() const { return m_size; }
  bool owned() const { return m_owned; }
  uint8_t *start() const { return m_data + m_start; }
  size_t start_offset() const { return m_start; }
  // Moves the start; positions outside the area are refused (false).
  bool set_start(const uint8_t *p);
  size_t message_length() const { return m_size - m_start; }

 private:
  void free_area();

  uint8_t *m_data = nullptr;
  size_t m_size = 0;
  size_t m_start = 0;
  bool m_owned = false;
};

#endif  // QMR_SNMP_RAW_PACKET_H
