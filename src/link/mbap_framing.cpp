#include <algorithm>

#include "link/faults.h"
#include "link/framing.h"
#include "link/link_params.h"

namespace orn {
namespace {

uint16_t word_at(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

void put_word(uint8_t* p, uint16_t w) {
  p[0] = static_cast<uint8_t>(w >> 8);
  p[1] = static_cast<uint8_t>(w & 0xFF);
}

}  // namespace

size_t MbapFraming::seal(uint8_t* frame, size_t pdu_size, uint16_t address) {
  ++id_;
  put_word(frame, id_);
  put_word(frame + 2, 0);
  put_word(frame + 4, static_cast<uint16_t>(pdu_size + 1));
  frame[6] = static_cast<uint8_t>(address & 0xFF);
  return pdu_size + kMbapHeaderSize;
}

size_t MbapFraming::receive(SerialPort& port, uint8_t* answer, size_t) {
  const size_t got = port.read(answer, kMbapHeaderSize);
  if (got < kMbapHeaderSize) return got;
  // The length counts the unit id, which is in the header already.
  const size_t announced = word_at(answer + 4);
  if (announced < 2) return got;
  const size_t rest = std::min(announced - 1, kFrameBufferSize - kMbapHeaderSize);
  return got + port.read(answer + kMbapHeaderSize, rest);
}

uint16_t MbapFraming::check(const uint8_t* answer, size_t received, size_t expected, uint16_t address) const {
  uint16_t faults = 0;
  if (received != expected || word_at(answer + 4) != expected - 6) faults |= kFaultLength;
  if (received < kMbapHeaderSize || word_at(answer) != id_ || word_at(answer + 2) != 0 ||
      (address != kAddressAnyAnswer && answer[6] != (address & 0xFF)))
    faults |= kFaultAddress;
  if (received == 0) faults |= kFaultNoAnswer;
  return faults;
}

}  // namespace orn
