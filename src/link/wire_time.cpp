#include "link/wire_time.h"

#include "link/serial_port.h"

namespace orn {

uint32_t character_bits(uint16_t parity) {
  return parity == kParityOdd || parity == kParityEven ? 11u : 10u;
}

int64_t character_ns(uint32_t baud, uint16_t parity) {
  if (baud == 0) return 0;
  // Rounded up: a character is never taken as shorter than it is.
  return (int64_t{character_bits(parity)} * 1'000'000'000 + baud - 1) / baud;
}

int64_t first_answer_byte_ns(uint32_t baud, uint16_t parity, size_t request_bytes, uint32_t allowance_ms) {
  const int64_t ch = character_ns(baud, parity);
  // Request, 3.5 characters of silence and the first answer character, in half characters.
  const int64_t halves = 2 * static_cast<int64_t>(request_bytes) + 7 + 2;
  return (halves * ch + 1) / 2 + int64_t{allowance_ms} * 1'000'000;
}

}  // namespace orn
