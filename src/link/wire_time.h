#pragma once
// How long characters take on a serial line: a start bit, 8 data bits, a parity
// bit when parity is on, and one stop bit.
#include <cstddef>
#include <cstdint>

namespace orn {

// 10 bits a character without parity, 11 with odd or even parity.
uint32_t character_bits(uint16_t parity);
int64_t character_ns(uint32_t baud, uint16_t parity);

// The latest moment, counted from the hand-over of a request of request_bytes
// to the port, at which the first answer character has fully arrived from a
// device that starts answering within allowance_ms after the 3.5-character
// silence that ends the request: the request's characters, the silence, the
// allowance and the first character.
int64_t first_answer_byte_ns(uint32_t baud, uint16_t parity, size_t request_bytes, uint32_t allowance_ms);

}  // namespace orn
