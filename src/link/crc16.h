#pragma once
// CRC-16/MODBUS: init 0xFFFF, reflected polynomial 0xA001, sent low byte first.
#include <cstddef>
#include <cstdint>

namespace orn {

uint16_t crc16_modbus(const uint8_t* data, size_t n);

// Appends the CRC low byte first at frame[n], frame[n + 1].
inline void put_crc(uint8_t* frame, size_t n) {
  const uint16_t crc = crc16_modbus(frame, n);
  frame[n] = static_cast<uint8_t>(crc & 0xFF);
  frame[n + 1] = static_cast<uint8_t>(crc >> 8);
}

// True when the two bytes after the first n carry the CRC of those n bytes.
inline bool crc_matches(const uint8_t* frame, size_t n) {
  return crc16_modbus(frame, n) == (frame[n] | (frame[n + 1] << 8));
}

}  // namespace orn
