#pragma once
// The measured-value record and the reads that fill it: the measurement,
// constant and latched blocks of 11 registers, and the latch command.
#include <cstdint>

#include "device/register_map.h"
#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

// The three copies of the measurement block in the device.
enum class MeasureBlock {
  Measurement,  // the live measurement
  Constant,     // read instead of the live one while "Чтение константы" is ticked
  Latched,      // the copy frozen by the latch command
};

// First register of a block, from the register map.
uint16_t block_address(MeasureBlock block);
// The block a single read or a polling tick uses.
constexpr MeasureBlock live_block(bool read_constant) {
  return read_constant ? MeasureBlock::Constant : MeasureBlock::Measurement;
}

// The last decoded measurement block. Every field is 0 at start; a failed read
// changes only faults, and a read left unchecked at address 255 only faults and
// unchecked.
struct MeasuredValue {
  float pizmf = 0.0f;      // PIZMF, in the unit the device reports
  uint16_t relative = 0;   // 0..65535 of the range
  uint16_t izmerr = 0;     // IZMERR
  uint16_t statp = 0;      // STATP
  uint16_t btn = 0;        // BTN
  float tizmf = 0.0f;      // TIZMF, sensor temperature in degrees Celsius
  uint16_t init = 0;       // INIT flag: BTN bit 6 of the last measurement or constant read
  uint16_t faults = 0;     // exchange fault set of the last read, also of a failed one
  bool unchecked = false;  // the last read went to address 255: nothing was read
};

inline constexpr uint16_t kBtnInit = 0x0040;
inline constexpr uint16_t kBtnZero = 0x0080;
inline constexpr uint16_t kBtnFactory = 0x0200;
inline constexpr uint16_t kBtnPage = 0x0010;

// Decodes the 11 words of a block into the record (all fields but faults).
// PIZMF takes the byte order of STATP bits 15..14, TIZMF always order 0; a
// float the decoder rejects arrives as 0. The INIT flag follows BTN except for
// the latched block.
void decode_measurement(const uint16_t (&words)[kMeasurementBlockCount], MeasureBlock block,
                        MeasuredValue& record);

// One Read Holding Registers of the block. The fault set is stored first; on
// any failure (fault bits 14..0 or an exception) and at address 255, where no
// answer is checked, nothing else changes. A read that needed a retry (fault
// set 0x8000 alone) is decoded.
ExchangeResult read_measurement(ModbusMaster& master, MeasureBlock block, MeasuredValue& record);

// Freezes the current measurement into the latched block (LATCH = 1).
ExchangeResult latch_measurement(ModbusMaster& master);

}  // namespace orn
