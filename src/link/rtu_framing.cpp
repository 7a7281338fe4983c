#include "link/crc16.h"
#include "link/faults.h"
#include "link/framing.h"
#include "link/link_params.h"

namespace orn {

size_t RtuFraming::seal(uint8_t* frame, size_t pdu_size, uint16_t address) {
  frame[0] = static_cast<uint8_t>(address & 0xFF);
  put_crc(frame, pdu_size + 1);
  return pdu_size + 3;
}

size_t RtuFraming::receive(SerialPort& port, uint8_t* answer, size_t ask) { return port.read(answer, ask); }

// The zero-filled buffer makes a short or missing answer fail the checks too.
uint16_t RtuFraming::check(const uint8_t* answer, size_t received, size_t expected, uint16_t address) const {
  uint16_t faults = 0;
  if (received != expected) faults |= kFaultLength;
  if (address != kAddressAnyAnswer && answer[0] != (address & 0xFF)) faults |= kFaultAddress;
  if (!crc_matches(answer, expected - 2)) faults |= kFaultCrc;
  if (received == 0) faults |= kFaultNoAnswer;
  return faults;
}

}  // namespace orn
