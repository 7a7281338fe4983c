#pragma once
// The identity check and the unlock and lock sequences that surround every
// write to the transmitter's configuration.
#include <array>
#include <cstdint>

#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

struct IdentityCheck {
  ExchangeResult result;            // the read of ID_DESIG..ID_ZERO
  std::array<uint16_t, 3> values{};  // as answered; zeros when the read failed
  // True when the read succeeded and the device answered 1, 6, 0.
  bool accepted() const;
};

// Reads the identity registers after the transfer's pause.
IdentityCheck check_identity(ModbusMaster& master);

// Writes the unlock designation, then the access code to USERLOCK and CLBLOCK,
// with the pauses around them; stops at the first failed write and returns it.
ExchangeResult unlock_device(ModbusMaster& master);

// Writes 0 to USERLOCK and CLBLOCK after 400 ms; on success pauses 100 ms more.
ExchangeResult lock_device(ModbusMaster& master);

}  // namespace orn
