#include "device/transfer_ops.h"

namespace orn {

ExchangeResult read_transfer(ModbusMaster& master, Transfer t, uint16_t* out) {
  const TransferEntry& e = transfer(t);
  // After a stop the transfer's pause is not waited for either.
  if (master.stopping()) return {kFaultStopped, 0, false};
  master.pump().wait(e.pause_ms);
  return master.read(e.start, e.count, out);
}

ExchangeResult write_transfer(ModbusMaster& master, Transfer t, const uint16_t* values) {
  const TransferEntry& e = transfer(t);
  if (master.stopping()) return {kFaultStopped, 0, false};
  master.pump().wait(e.pause_ms);
  return master.write(e.start, e.count, values, e.label);
}

}  // namespace orn
