#pragma once
// orn20mb-cli commands run against simulated transmitters on an in-memory
// line in virtual time, as main() runs them; the port can make the lock of
// the write protection go unanswered.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "support/temp_folder.h"
#include "sim/register_map.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"

namespace orn::test {

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The simulated port, with the answers to the lock (0 written to USERLOCK) dropped on request.
class LockDroppingPort final : public SerialPort {
 public:
  explicit LockDroppingPort(sim::SimLine& line) : line_(line), port_(line) {}
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override { return port_.open(path, baud, parity); }
  void close() override { port_.close(); }
  bool is_open() const override { return port_.is_open(); }
  bool probe(const std::string& path) override { return port_.probe(path); }
  void set_timeouts(const SerialTimeouts& t) override { port_.set_timeouts(t); }
  void purge() override { port_.purge(); }
  size_t write(const uint8_t* data, size_t n) override {
    const bool lock = n > 8 && data[1] == 0x10 && (data[2] << 8 | data[3]) == sim::reg::USERLOCK && data[7] == 0 &&
                      data[8] == 0;
    if (lock && drop_lock) line_.faults().push({sim::FaultKind::Silence, 0});
    return port_.write(data, n);
  }
  size_t read(uint8_t* buf, size_t n) override { return port_.read(buf, n); }
  uint32_t take_line_errors() override { return port_.take_line_errors(); }
  void set_rts(bool on) override { port_.set_rts(on); }
  void set_dtr(bool on) override { port_.set_dtr(on); }

  const std::vector<std::vector<uint8_t>>& sent() const { return port_.sent; }
  bool drop_lock = false;

 private:
  sim::SimLine& line_;
  sim::SimSerialPort port_;
};

class CliOnSimLine : public ::testing::Test {
 protected:
  sim::Transmitter& add(uint16_t address = 1, uint32_t baud = 19200) {
    sim::TransmitterConfig config;
    config.link = {address, baud, 0};
    return line.add(config);
  }
  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    args.insert(args.begin(), {"--device", "/dev/ttyS0"});
    const CliParse p = parse_cli_options(args);
    EXPECT_EQ(p.error, "");
    CliContext context{port, pump, clock, out, err, folder.path()};
    return run_cli(p.options, context);
  }
  // Write Multiple Registers requests sent to start, in all.
  size_t writes_to(uint16_t start) const {
    size_t n = 0;
    for (const auto& frame : port.sent()) n += frame.size() > 3 && frame[1] == 0x10 && (frame[2] << 8 | frame[3]) == start;
    return n;
  }

  sim::SimLine line;
  LockDroppingPort port{line};
  VirtualPump pump;
  FixedClock clock;
  TempFolder folder;
  std::ostringstream out, err;
};

}  // namespace orn::test
