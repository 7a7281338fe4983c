#include "link/crc16.h"

#include <array>

namespace orn {
namespace {

// Table-driven form of the bitwise algorithm (shift right, XOR 0xA001 on carry).
constexpr std::array<uint16_t, 256> make_table() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i);
    for (int b = 0; b < 8; ++b) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
    t[i] = c;
  }
  return t;
}
constexpr auto kTable = make_table();

}  // namespace

uint16_t crc16_modbus(const uint8_t* data, size_t n) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < n; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF]);
  return crc;
}

}  // namespace orn
