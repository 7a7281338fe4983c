#include "measure/polled_line.h"

namespace orn {

PolledLine::PolledLine(std::span<const uint16_t> addresses) {
  list_.reserve(addresses.size());
  for (const uint16_t a : addresses) {
    if (a >= position_.size() || position_[a] != 0) continue;
    list_.push_back({a, {}, {}});
    position_[a] = static_cast<uint16_t>(list_.size());
  }
}

PolledTransmitter* PolledLine::find(uint16_t address) {
  if (address >= position_.size() || position_[address] == 0) return nullptr;
  return &list_[position_[address] - 1];
}

ExchangeResult poll_transmitter(ModbusMaster& master, LinkParams& link, MeasureBlock block,
                                PolledTransmitter& transmitter, const MeasureLogSettings& log, Clock& clock) {
  const uint16_t held = link.address;
  link.address = transmitter.address;
  const ExchangeResult r = poll_cycle(master, block, transmitter.record, transmitter.counters, log, clock);
  link.address = held;
  return r;
}

}  // namespace orn
