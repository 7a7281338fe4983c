#pragma once
// One transfer of the register map's table: its pumped wait, then its
// transaction. Every group operation is a sequence of these.
#include <cstdint>

#include "device/device_image.h"
#include "device/image_blocks.h"
#include "device/register_map.h"
#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

// Waits the transfer's pause, then reads its registers into out (count words).
ExchangeResult read_transfer(ModbusMaster& master, Transfer t, uint16_t* out);
// Waits the transfer's pause, then writes its registers with its label.
ExchangeResult write_transfer(ModbusMaster& master, Transfer t, const uint16_t* values);

// Reads a transfer and, only when the read went through, stores the registers
// of its block that the image keeps.
ExchangeResult read_kept(ModbusMaster& master, Transfer t, DeviceImage& image);

// Writes a transfer's registers as the image holds them.
template <Transfer T>
ExchangeResult write_kept(ModbusMaster& master, const DeviceImage& image) {
  const BlockWords<T> w = kept_words<T>(image);
  return write_transfer(master, T, w.data());
}

}  // namespace orn
