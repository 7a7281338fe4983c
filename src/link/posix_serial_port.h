#pragma once
// SerialPort on a Linux tty with termios and poll(), emulating the Windows COM
// port time-outs the Modbus master is written against.
#include <cstdint>
#include <string>

#include "link/pump.h"
#include "link/serial_port.h"

namespace orn {

class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort() = default;
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  // Opens path exclusively (TIOCEXCL and flock), raw, 8 data bits, 1 stop bit,
  // no flow control, no hang-up on close. Fails for a non-tty, a port held by
  // someone else, a serial device without a UART or an unsupported baud.
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override;
  void close() override;
  bool is_open() const override { return fd_ >= 0; }
  bool probe(const std::string& path) override;
  std::string open_error() const override { return error_; }

  void set_timeouts(const SerialTimeouts& t) override { timeouts_ = t; }
  void purge() override;
  size_t write(const uint8_t* data, size_t n) override;
  size_t read(uint8_t* buf, size_t n) override;
  // Number of parity, framing, overrun, buffer-overrun and break events since
  // the last call (or the open); 0 on a pseudo-terminal, which cannot tell.
  uint32_t take_line_errors() override;
  void set_rts(bool on) override;
  void set_dtr(bool on) override;

  // While a read waits, let the pump process window events every few
  // milliseconds, so a long time-out never freezes the window. nullptr: none.
  void set_idle(Pump* pump) { idle_ = pump; }

 private:
  struct LineCounters {
    uint32_t parity = 0;
    uint32_t frame = 0;
    uint32_t overrun = 0;
    uint32_t buf_overrun = 0;
    uint32_t brk = 0;
  };
  bool read_line_counters(LineCounters& c) const;
  void set_modem_line(int line, bool on);

  int fd_ = -1;
  SerialTimeouts timeouts_{};
  LineCounters counters_{};
  bool counters_known_ = false;
  Pump* idle_ = nullptr;
  std::string error_;
};

}  // namespace orn
