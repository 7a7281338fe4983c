#pragma once
// A master over a scripted port, with helpers that build the answers of a
// transmitter to a read of the 11-register measurement block.
#include <array>
#include <cstdint>

#include "link/modbus_master.h"
#include "support/fakes.h"
#include "support/scripted_port.h"
#include "support/master_rig.h"

namespace orn::test {

using BlockWords = std::array<uint16_t, 11>;

// The answer of address 1 to Read Holding Registers for the 11 words.
inline Bytes block_answer(const BlockWords& words) {
  Bytes frame = {0x01, 0x03, 22};
  for (uint16_t w : words) {
    frame.push_back(static_cast<uint8_t>(w >> 8));
    frame.push_back(static_cast<uint8_t>(w & 0xFF));
  }
  return with_crc(frame);
}

// An exception answer with code 2 (illegal data address) to a read.
inline Bytes read_exception_answer() { return with_crc({0x01, 0x83, 0x02}); }

// 101.325f (0x42CAA666) in byte order 0 and 23.5f (0x41BC0000).
inline constexpr uint16_t kPizmfHi = 0x42CA, kPizmfLo = 0xA666;
inline constexpr uint16_t kTizmfHi = 0x41BC, kTizmfLo = 0x0000;

// A good block: 101.325 kPa (unit 2, order 0), relative 0x8000, no errors,
// BTN with the INIT bit, 23.5 degrees.
inline BlockWords good_block() {
  return {kPizmfHi, kPizmfLo, 0x8000, 0x0000, 0x0200, 0, 0, 0x0040, kTizmfHi, kTizmfLo, 0};
}

using MasterFixture = MasterRig<ScriptedPort>;

}  // namespace orn::test
