#pragma once
// A serial port in front of another that swallows the requests a test picks:
// such a request never reaches the line and its answer is silence, as if the
// device had not heard it.
#include <cstring>
#include <functional>
#include <vector>

#include "link/serial_port.h"

namespace orn::test {

class FrameGate final : public SerialPort {
 public:
  explicit FrameGate(SerialPort& inner) : inner_(inner) {}

  // Requests for which it returns true are swallowed.
  std::function<bool(const std::vector<uint8_t>& request)> swallow;
  unsigned swallowed = 0;

  bool open(const std::string& path, uint32_t baud, uint16_t parity) override {
    return inner_.open(path, baud, parity);
  }
  void close() override { inner_.close(); }
  bool is_open() const override { return inner_.is_open(); }
  bool probe(const std::string& path) override { return inner_.probe(path); }
  void set_timeouts(const SerialTimeouts& t) override { inner_.set_timeouts(t); }
  void purge() override { inner_.purge(); }
  size_t write(const uint8_t* data, size_t n) override {
    silent_ = swallow && swallow(std::vector<uint8_t>(data, data + n));
    if (!silent_) return inner_.write(data, n);
    ++swallowed;
    return n;
  }
  size_t read(uint8_t* buf, size_t n) override { return silent_ ? 0 : inner_.read(buf, n); }
  uint32_t take_line_errors() override { return inner_.take_line_errors(); }
  void set_rts(bool on) override { inner_.set_rts(on); }
  void set_dtr(bool on) override { inner_.set_dtr(on); }

 private:
  SerialPort& inner_;
  bool silent_ = false;
};

// A Write Multiple Registers request to start whose values are all zero: the
// lock of the write protection when start is USERLOCK.
inline bool writes_zeros_to(const std::vector<uint8_t>& request, uint16_t start) {
  if (request.size() < 9 || request[1] != 0x10 || request[2] != (start >> 8) || request[3] != (start & 0xFF))
    return false;
  for (size_t i = 7; i + 2 < request.size(); ++i)
    if (request[i] != 0) return false;
  return true;
}

}  // namespace orn::test
