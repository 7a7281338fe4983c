#pragma once
// A SerialPort wired straight to a simulated line, for fast tests of the master.
// No real time passes: the port keeps a virtual clock that a read advances by the
// time it would have waited, so an answer later than the read's total time-out
// misses that read and stays pending until the next purge.
#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "sim_line.h"

namespace orn::sim {

class SimSerialPort final : public SerialPort {
 public:
  explicit SimSerialPort(SimLine& line) : line_(line) {}

  bool open(const std::string& path, uint32_t baud, uint16_t parity) override;
  void close() override;
  bool is_open() const override { return open_; }
  bool probe(const std::string& path) override { return path == device_path; }
  void set_timeouts(const SerialTimeouts& t) override { timeouts_ = t; }
  void purge() override;
  size_t write(const uint8_t* data, size_t n) override;
  size_t read(uint8_t* buf, size_t n) override;
  uint32_t take_line_errors() override;
  void set_rts(bool on) override { rts = on; }
  void set_dtr(bool on) override { dtr = on; }

  uint32_t baud() const { return baud_; }
  uint16_t parity() const { return parity_; }
  const SerialTimeouts& timeouts() const { return timeouts_; }

  std::string device_path = "/dev/ttyS0";  // the one path open() accepts
  uint64_t now_ms = 0;                     // virtual time, advanced by reads
  bool rts = false;
  bool dtr = false;
  std::vector<std::vector<uint8_t>> sent;  // every frame written, in order

 private:
  SimLine& line_;
  bool open_ = false;
  uint32_t baud_ = 0;
  uint16_t parity_ = 0;
  SerialTimeouts timeouts_;
  std::vector<uint8_t> pending_;
  uint64_t ready_at_ = 0;
  uint32_t pending_errors_ = 0;
  uint32_t line_errors_ = 0;
};

}  // namespace orn::sim
