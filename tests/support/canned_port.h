#pragma once
// A port that answers every request with a correct frame built in place
// (registers read as zero, writes confirmed) and every third one with
// silence; it keeps no records, so a test counting heap allocations sees only
// those of the code above it.
#include <cstring>

#include "link/crc16.h"
#include "link/serial_port.h"

namespace orn::test {

class CannedPort final : public SerialPort {
 public:
  bool open(const std::string&, uint32_t, uint16_t) override { return true; }
  void close() override {}
  bool is_open() const override { return true; }
  bool probe(const std::string&) override { return true; }
  void set_timeouts(const SerialTimeouts&) override {}
  void purge() override {}
  size_t write(const uint8_t* data, size_t n) override {
    std::memset(answer_, 0, sizeof answer_);
    answer_[0] = data[0];
    answer_[1] = data[1];
    if (data[1] == 0x03) {
      answer_[2] = static_cast<uint8_t>(2 * data[5]);
      length_ = 3u + answer_[2];
    } else {
      std::memcpy(answer_ + 2, data + 2, 4);
      length_ = 6;
    }
    put_crc(answer_, length_);
    length_ += 2;
    return n;
  }
  size_t read(uint8_t* buf, size_t n) override {
    if (++reads_ % 3 == 0) return 0;
    const size_t k = length_ < n ? length_ : n;
    std::memcpy(buf, answer_, k);
    return k;
  }
  uint32_t take_line_errors() override { return 0; }
  void set_rts(bool) override {}
  void set_dtr(bool) override {}

 private:
  uint8_t answer_[256] = {};
  size_t length_ = 0;
  unsigned reads_ = 0;
};

}  // namespace orn::test
