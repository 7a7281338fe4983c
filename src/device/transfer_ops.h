#pragma once
// One transfer of the register map's table: its pumped wait, then its
// transaction. Every group operation is a sequence of these.
#include <cstdint>
#include <span>

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

// Whether the image alone gives the words of each of the transfers.
constexpr bool all_kept_whole(std::span<const Transfer> transfers) {
  for (const Transfer t : transfers) {
    if (!block_kept_whole(t)) return false;
  }
  return true;
}

// Reads the transfers in order into the image, up to the first that fails.
ExchangeResult read_sequence(ModbusMaster& master, std::span<const Transfer> transfers, DeviceImage& image);

// Writes a transfer's registers as the image holds them; the transfer's block
// holds only registers the image keeps (all_kept_whole).
ExchangeResult write_kept(ModbusMaster& master, Transfer t, const DeviceImage& image);

// Writes the transfers in order from the image, up to the first that fails;
// answered counts those that went through, so the first answered transfers
// reached the device and the ones after the failed one were never sent.
ExchangeResult write_sequence(ModbusMaster& master, std::span<const Transfer> transfers, const DeviceImage& image,
                              size_t& answered);

}  // namespace orn
