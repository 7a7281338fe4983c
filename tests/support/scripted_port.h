#pragma once
// A SerialPort that plays back scripted answers and records what the master
// did: frames written, read sizes asked for, time-outs and purges.
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace orn::test {

using Bytes = std::vector<uint8_t>;

class ScriptedPort final : public SerialPort {
 public:
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override {
    opened_path = path;
    opened_baud = baud;
    opened_parity = parity;
    open_ = true;
    return true;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  bool probe(const std::string&) override { return true; }
  void set_timeouts(const SerialTimeouts& t) override { timeouts.push_back(t); }
  void purge() override { ++purges; }
  size_t write(const uint8_t* data, size_t n) override {
    written.emplace_back(data, data + n);
    return open_ ? n : 0;
  }
  size_t read(uint8_t* buf, size_t n) override {
    read_sizes.push_back(n);
    if (!open_ || answers.empty()) return 0;
    Bytes a = std::move(answers.front());
    answers.pop_front();
    const size_t k = a.size() < n ? a.size() : n;
    if (k) std::memcpy(buf, a.data(), k);
    return k;
  }
  uint32_t take_line_errors() override {
    if (line_errors.empty()) return 0;
    uint32_t e = line_errors.front();
    line_errors.pop_front();
    return e;
  }
  void set_rts(bool on) override { rts.push_back(on); }
  void set_dtr(bool on) override { dtr.push_back(on); }

  std::deque<Bytes> answers;           // one per read; an empty one is silence
  std::deque<uint32_t> line_errors;    // one per take_line_errors call
  std::vector<Bytes> written;
  std::vector<size_t> read_sizes;
  std::vector<SerialTimeouts> timeouts;
  std::vector<bool> rts, dtr;
  int purges = 0;
  std::string opened_path;
  uint32_t opened_baud = 0;
  uint16_t opened_parity = 0;

 private:
  bool open_ = true;
};

// A frame with its CRC appended.
Bytes with_crc(Bytes frame);

}  // namespace orn::test
