#pragma once
// A minimal Modbus RTU master for the simulator's own tests: builds request
// frames and reads the answers through the in-memory port.
#include <cstdint>
#include <optional>
#include <vector>

#include "link/crc16.h"
#include "sim/sim_serial_port.h"

namespace orn::sim::test {

inline std::vector<uint8_t> with_crc(std::vector<uint8_t> f) {
  const size_t n = f.size();
  f.resize(n + 2);
  put_crc(f.data(), n);
  return f;
}

inline std::vector<uint8_t> read_request(uint8_t address, uint16_t start, uint16_t count) {
  return with_crc({address, 0x03, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start),
                   static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}

inline std::vector<uint8_t> write_request(uint8_t address, uint16_t start, const std::vector<uint16_t>& values) {
  std::vector<uint8_t> f{address, 0x10, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start), 0,
                         static_cast<uint8_t>(values.size()), static_cast<uint8_t>(2 * values.size())};
  for (uint16_t v : values) {
    f.push_back(static_cast<uint8_t>(v >> 8));
    f.push_back(static_cast<uint8_t>(v));
  }
  return with_crc(f);
}

// Result of one request: the raw answer, and its decoded registers or exception.
struct Answer {
  std::vector<uint8_t> bytes;
  std::vector<uint16_t> regs;
  uint8_t exception = 0;
  bool silent() const { return bytes.empty(); }
};

class TestMaster {
 public:
  explicit TestMaster(SimLine& line, uint32_t baud = 19200, uint16_t parity = 0) : port(line) {
    port.open(port.device_path, baud, parity);
    port.set_timeouts({24, 0, 200, 0, 0});
  }
  void reopen(uint32_t baud, uint16_t parity) { port.open(port.device_path, baud, parity); }

  Answer send(const std::vector<uint8_t>& frame) {
    port.purge();
    port.write(frame.data(), frame.size());
    Answer a;
    uint8_t buf[300];
    a.bytes.assign(buf, buf + port.read(buf, sizeof buf));
    if (a.bytes.size() >= 5 && crc_matches(a.bytes.data(), a.bytes.size() - 2)) {
      if (a.bytes[1] & 0x80) a.exception = a.bytes[2];
      else if (a.bytes[1] == 0x03)
        for (size_t i = 0; i < a.bytes[2] / 2u; ++i)
          a.regs.push_back(static_cast<uint16_t>(a.bytes[3 + 2 * i] << 8 | a.bytes[4 + 2 * i]));
    }
    return a;
  }
  Answer read(uint8_t address, uint16_t start, uint16_t count) { return send(read_request(address, start, count)); }
  Answer write(uint8_t address, uint16_t start, const std::vector<uint16_t>& values) {
    return send(write_request(address, start, values));
  }
  // The unlock sequence of the tool: designation, then both access codes.
  void unlock(uint8_t address) {
    write(address, 0x04F0, {1, 6});
    write(address, 0x04FE, {0x4B1D, 0x4B1D});
  }

  SimSerialPort port;
};

// The float of two registers in byte order code 0..3, decoded independently of the
// simulator's encoder: the bytes as sent, placed by the order's caption.
inline float decode_float(uint16_t a, uint16_t b, unsigned order) {
  const uint8_t wire[4] = {static_cast<uint8_t>(a >> 8), static_cast<uint8_t>(a), static_cast<uint8_t>(b >> 8),
                           static_cast<uint8_t>(b)};
  static constexpr unsigned kPos[4][4] = {{0, 1, 2, 3}, {2, 3, 0, 1}, {1, 0, 3, 2}, {3, 2, 1, 0}};
  uint32_t p = 0;
  for (unsigned i = 0; i < 4; ++i) p |= static_cast<uint32_t>(wire[i]) << (8 * (3 - kPos[order][i]));
  float f;
  static_assert(sizeof f == sizeof p);
  __builtin_memcpy(&f, &p, sizeof f);
  return f;
}

}  // namespace orn::sim::test
