#include "device/transfer_ops.h"

#include <array>

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

ExchangeResult write_kept(ModbusMaster& master, Transfer t, const DeviceImage& image) {
  std::array<uint16_t, longest_transfer()> w{};
  put_kept(image, t, w.data());
  return write_transfer(master, t, w.data());
}

ExchangeResult write_sequence(ModbusMaster& master, std::span<const Transfer> transfers, const DeviceImage& image,
                              size_t& answered) {
  ExchangeResult r;
  answered = 0;
  for (const Transfer t : transfers) {
    r = write_kept(master, t, image);
    if (!r.ok()) break;
    ++answered;
  }
  return r;
}

ExchangeResult read_sequence(ModbusMaster& master, std::span<const Transfer> transfers, DeviceImage& image) {
  ExchangeResult r;
  for (const Transfer t : transfers) {
    r = read_kept(master, t, image);
    if (!r.ok()) break;
  }
  return r;
}

ExchangeResult read_kept(ModbusMaster& master, Transfer t, DeviceImage& image) {
  std::array<uint16_t, longest_transfer()> w{};
  const ExchangeResult r = read_transfer(master, t, w.data());
  if (r.ok()) store_kept(image, t, w.data());
  return r;
}

}  // namespace orn
