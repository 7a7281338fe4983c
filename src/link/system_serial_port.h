#pragma once
// The port the programs open: a tty for a device path, a TCP gateway for a
// path "tcp:HOST:PORT", a Modbus TCP server for "modbus-tcp:HOST[:PORT]". Which one is decided at every open and probe, so a
// port map may mix both.
#include <string>

#include "link/posix_serial_port.h"
#include "link/tcp_serial_port.h"

namespace orn {

class SystemSerialPort final : public SerialPort {
 public:
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override;
  void close() override { active_->close(); }
  bool is_open() const override { return active_->is_open(); }
  bool probe(const std::string& path) override { return for_path(path).probe(path); }
  std::string open_error() const override { return active_->open_error(); }

  void set_timeouts(const SerialTimeouts& t) override;
  void purge() override { active_->purge(); }
  size_t write(const uint8_t* data, size_t n) override { return active_->write(data, n); }
  size_t read(uint8_t* buf, size_t n) override { return active_->read(buf, n); }
  uint32_t take_line_errors() override { return active_->take_line_errors(); }
  void set_rts(bool on) override { active_->set_rts(on); }
  void set_dtr(bool on) override { active_->set_dtr(on); }
  FrameFormat frame_format() const override { return active_->frame_format(); }

  void set_idle(Pump* pump);

 private:
  SerialPort& for_path(const std::string& path);

  PosixSerialPort tty_;
  TcpSerialPort tcp_;
  SerialPort* active_ = &tty_;
};

}  // namespace orn
