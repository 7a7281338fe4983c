#pragma once
// The life of the one serial port: which port numbers exist, opening one with
// the link parameters, the open-time time-outs and the modem lines, closing.
#include <array>
#include <cstdint>

#include "link/port_names.h"
#include "link/prompt.h"
#include "link/serial_port.h"

namespace orn {

inline constexpr size_t kPortTableSize = 256;

class PortConnection {
 public:
  // Keeps references: the map may be changed (dev.dat, --port-map) between probes.
  PortConnection(SerialPort& port, const PortMap& ports, Prompt& prompt);

  // Zero-fills the table, then lists the port numbers 1..255 whose device can be
  // opened now, ascending. Returns the count.
  uint16_t probe();
  const std::array<uint16_t, kPortTableSize>& table() const { return table_; }
  uint16_t count() const { return count_; }

  // Closes a held port, then opens port_number at the rate of rate_index with the
  // parity code (anything but 1 or 2 is none) and applies the open-time
  // time-outs with read_constant_ms as the read total constant, then clears
  // RTS and sets DTR. On failure the port stays closed and, when report is
  // set, the user is told.
  void open(uint16_t port_number, uint16_t rate_index, uint16_t parity, uint16_t read_constant_ms,
            bool report);
  void close() { port_.close(); }
  bool is_open() const { return port_.is_open(); }

  // The time-out record as the last open left it.
  const SerialTimeouts& timeouts() const { return timeouts_; }

 private:
  SerialPort& port_;
  const PortMap& ports_;
  Prompt& prompt_;
  std::array<uint16_t, kPortTableSize> table_{};
  uint16_t count_ = 0;
  SerialTimeouts timeouts_{};
};

}  // namespace orn
