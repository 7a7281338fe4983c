#pragma once
// Several transmitters on one line polled in turn: each has its own
// measured-value record and counters, kept by its network address, and each
// read is the one polling cycle of a single transmitter, made at its address.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "link/link_params.h"
#include "measure/polling.h"

namespace orn {

struct PolledTransmitter {
  uint16_t address = 1;
  MeasuredValue record;
  PollCounters counters;
};

class PolledLine {
 public:
  // The transmitters in the order given; addresses are 0..255 and distinct
  // (a repeated one is taken once). All memory is taken here, none by a read.
  explicit PolledLine(std::span<const uint16_t> addresses);

  std::span<PolledTransmitter> transmitters() { return list_; }
  std::span<const PolledTransmitter> transmitters() const { return list_; }
  // The transmitter at an address, or nullptr when it is not polled.
  PolledTransmitter* find(uint16_t address);

 private:
  std::vector<PolledTransmitter> list_;
  std::array<uint16_t, 256> position_{};  // 0: not polled, else index + 1
};

// One polling cycle of one transmitter (read, count, log line as poll_cycle
// does) with link.address set to its address for the read and put back
// after. link must be the link parameters the master was made with.
ExchangeResult poll_transmitter(ModbusMaster& master, LinkParams& link, MeasureBlock block,
                                PolledTransmitter& transmitter, const MeasureLogSettings& log, Clock& clock);

}  // namespace orn
