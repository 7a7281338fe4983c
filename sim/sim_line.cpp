#include "sim_line.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>

namespace orn::sim {

Transmitter& SimLine::add(const TransmitterConfig& config) {
  devices_.push_back(std::make_unique<Transmitter>(config));
  return *devices_.back();
}

std::optional<Reply> SimLine::transact(std::span<const uint8_t> frame, uint32_t baud,
                                       std::optional<uint16_t> parity, uint64_t now_ms) {
  std::optional<Reply> out;
  for (auto& d : devices_) {
    const LinkSettings at = d->link();
    if ((baud != kAnyRate && at.baud != baud) || (parity && *parity != at.parity)) continue;
    std::optional<Reply> r = d->serve(frame, now_ms);
    // New exchange settings apply once this answer has left the device.
    d->settle();
    if (!r) continue;
    if (!out) {
      out = std::move(r);
      continue;
    }
    auto& b = out->bytes;
    if (r->bytes.size() > b.size()) b.resize(r->bytes.size(), 0xFF);
    for (size_t i = 0; i < r->bytes.size(); ++i) b[i] &= r->bytes[i];
    out->delay_ms = std::min(out->delay_ms, r->delay_ms);
  }
  if (out && !faults_.apply(*out)) return std::nullopt;
  return out;
}

void SimLine::step_pressure() {
  for (auto& d : devices_) d->config().pressure.step();
}

bool take_stop_signal(int signal_fd, SimLine& line) {
  signalfd_siginfo info{};
  // Anything but a whole signal record (a byte on a pipe from a host program) is a stop.
  if (::read(signal_fd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return true;
  if (info.ssi_signo != SIGUSR1) return true;
  line.step_pressure();
  return false;
}

}  // namespace orn::sim
