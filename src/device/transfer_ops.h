#pragma once
// One transfer of the register map's table: its pumped wait, then its
// transaction. Every group operation is a sequence of these.
#include <cstdint>

#include "device/register_map.h"
#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

// Waits the transfer's pause, then reads its registers into out (count words).
ExchangeResult read_transfer(ModbusMaster& master, Transfer t, uint16_t* out);
// Waits the transfer's pause, then writes its registers with its label.
ExchangeResult write_transfer(ModbusMaster& master, Transfer t, const uint16_t* values);

}  // namespace orn
