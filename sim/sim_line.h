#pragma once
// Several simulated transmitters on one serial line. A frame sent at some rate
// and parity reaches every device; those listening at other settings cannot
// decode it and stay silent, as on a real line.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "fault_injection.h"
#include "transmitter.h"

namespace orn::sim {

// The rate of a medium that carries no rate (Modbus TCP): every device hears the frame.
inline constexpr uint32_t kAnyRate = 0;

class SimLine {
 public:
  Transmitter& add(const TransmitterConfig& config);
  std::vector<std::unique_ptr<Transmitter>>& devices() { return devices_; }
  Transmitter& device(size_t i) { return *devices_.at(i); }
  FaultInjector& faults() { return faults_; }
  // Every device's pressure moves to its next step (SIGUSR1 of orn20mb-sim).
  void step_pressure();

  // The answer to one request frame sent at baud and parity (nullopt parity:
  // the medium cannot tell parity, any device at the right baud hears the frame;
  // kAnyRate: nor the rate).
  // When several devices answer at once their signals collide: the bytes are
  // AND-ed (a dominant low wins), so the master sees a broken frame.
  std::optional<Reply> transact(std::span<const uint8_t> frame, uint32_t baud,
                                std::optional<uint16_t> parity, uint64_t now_ms);

 private:
  std::vector<std::unique_ptr<Transmitter>> devices_;
  FaultInjector faults_;
};

// Takes what made the stop descriptor readable: from a signalfd, SIGUSR1
// steps the line's pressure and returns false; any other signal, or a byte on
// a pipe (the window's demo), is a stop and returns true.
bool take_stop_signal(int signal_fd, SimLine& line);

}  // namespace orn::sim
