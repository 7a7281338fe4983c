// The master's answer checks fed any bytes, split into answers of any length,
// at the three kinds of network address. A transaction reported as a success
// must have received a complete, correct answer whose bytes are the values
// returned; at address 255 nothing may pass for read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "link/crc16.h"
#include "link/modbus_master.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Answer {
  Bytes bytes;
  bool line_error = false;
};

class FuzzPort final : public orn::SerialPort {
 public:
  bool open(const std::string&, uint32_t, uint16_t) override { return true; }
  void close() override {}
  bool is_open() const override { return true; }
  bool probe(const std::string&) override { return true; }
  void set_timeouts(const orn::SerialTimeouts&) override {}
  void purge() override {}
  size_t write(const uint8_t*, size_t n) override { return n; }
  size_t read(uint8_t* buf, size_t n) override {
    last = {};
    if (answers.empty()) return 0;
    last = std::move(answers.front());
    answers.pop_front();
    if (last.bytes.size() > n) last.bytes.resize(n);
    if (!last.bytes.empty()) std::memcpy(buf, last.bytes.data(), last.bytes.size());
    pending_error = last.line_error;
    return last.bytes.size();
  }
  uint32_t take_line_errors() override {
    const uint32_t e = pending_error ? 1 : 0;
    pending_error = false;
    return e;
  }
  void set_rts(bool) override {}
  void set_dtr(bool) override {}

  std::deque<Answer> answers;
  Answer last;  // what the last read delivered
  bool pending_error = false;
};

class NoPump final : public orn::Pump {
 public:
  void dispatch() override {}
  void wait(uint32_t) override {}
  void sleep(uint32_t) override {}
};

class NoClock final : public orn::Clock {
 public:
  orn::LocalTime now() override { return {}; }
};

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  constexpr uint16_t kAddresses[] = {1, orn::kAddressAnyAnswer, orn::kAddressNoAnswerCheck, 247};
  const uint16_t address = kAddresses[data[0] & 3];
  const bool parity = data[0] & 4;
  const bool write = data[2] & 1;
  const auto n = static_cast<uint8_t>(1 + data[1] % (write ? orn::kMaxWriteCount : orn::kMaxReadCount));

  FuzzPort port;
  NoPump pump;
  NoClock clock;
  orn::LinkParams link;
  link.address = address;
  link.parity = parity ? orn::kParityEven : orn::kParityNone;
  orn::ExchangeSettings exchange;
  exchange.reask_val = static_cast<uint16_t>(1 + ((data[2] >> 1) & 3));
  exchange.retry_mask = (data[2] & 8) ? 0x7F : data[0];
  orn::RateTimeouts timeouts;
  orn::ModbusMaster master(port, pump, clock, link, exchange, timeouts);

  // The rest: answers, each a flags byte (bit 0: a line error comes with it),
  // a length byte and that many bytes.
  for (size_t i = 3; i + 1 < size;) {
    Answer a;
    a.line_error = data[i] & 1;
    const size_t len = data[i + 1];
    i += 2;
    const size_t take = len < size - i ? len : size - i;
    a.bytes.assign(data + i, data + i + take);
    i += take;
    port.answers.push_back(std::move(a));
  }

  if (write) {
    uint16_t values[orn::kMaxWriteCount] = {};
    const orn::ExchangeResult r = master.write(0x0100, n, values, "FUZZ");
    if (r.ok() && address != orn::kAddressNoAnswerCheck) {
      const Bytes& b = port.last.bytes;
      require(b.size() == 8 && b[1] == 0x10 && orn::crc_matches(b.data(), 6));
      require(address == orn::kAddressAnyAnswer || b[0] == address);
      require(!parity || !port.last.line_error);
    }
    return 0;
  }
  uint16_t values[orn::kMaxReadCount];
  for (uint16_t& v : values) v = 0xA5A5;
  const orn::ExchangeResult r = master.read(0x0100, n, values);
  if (address == orn::kAddressNoAnswerCheck) {
    require(!r.ok() && r.unchecked);
    for (uint16_t v : values) require(v == 0xA5A5);
    return 0;
  }
  if (r.ok()) {
    const Bytes& b = port.last.bytes;
    const size_t expected = 2u * n + 5;
    require(b.size() == expected && b[1] == 0x03 && orn::crc_matches(b.data(), expected - 2));
    require(address == orn::kAddressAnyAnswer || b[0] == address);
    require(!parity || !port.last.line_error);
    for (size_t k = 0; k < n; ++k) require(values[k] == (b[3 + 2 * k] << 8 | b[4 + 2 * k]));
  }
  return 0;
}
