#include "sim_serial_port.h"

#include <algorithm>

namespace orn::sim {

bool SimSerialPort::open(const std::string& path, uint32_t baud, uint16_t parity) {
  close();
  if (path != device_path) return false;
  open_ = true;
  baud_ = baud;
  parity_ = parity == kParityOdd || parity == kParityEven ? parity : uint16_t{kParityNone};
  return true;
}

void SimSerialPort::close() {
  open_ = false;
  purge();
  line_errors_ = 0;
}

void SimSerialPort::purge() {
  pending_.clear();
  pending_errors_ = 0;
}

size_t SimSerialPort::write(const uint8_t* data, size_t n) {
  if (!open_) return 0;
  sent.emplace_back(data, data + n);
  std::optional<Reply> r = line_.transact({data, n}, baud_, parity_, now_ms);
  if (r) {
    // A new answer follows whatever is still unread, as bytes would on a wire.
    pending_.insert(pending_.end(), r->bytes.begin(), r->bytes.end());
    ready_at_ = now_ms + r->delay_ms;
    pending_errors_ |= r->line_errors;
  }
  return n;
}

size_t SimSerialPort::read(uint8_t* buf, size_t n) {
  if (!open_ || n == 0) return 0;
  // Under the first-byte rule the answer must start within that wait; the
  // whole answer then arrives at once.
  const uint64_t first_byte_ms = (uint64_t{timeouts_.first_byte_us} + 999) / 1000;
  const uint64_t total = first_byte_ms != 0 ? first_byte_ms
                                            : uint64_t{timeouts_.read_multiplier} * n + timeouts_.read_constant;
  const bool unbounded = first_byte_ms == 0 && timeouts_.read_interval == 0 && timeouts_.read_multiplier == 0 &&
                         timeouts_.read_constant == 0;
  if (pending_.empty() || (!unbounded && ready_at_ > now_ms + total)) {
    now_ms += total;
    return 0;
  }
  now_ms = std::max(now_ms, ready_at_);
  const size_t got = std::min(n, pending_.size());
  std::copy_n(pending_.begin(), got, buf);
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(got));
  line_errors_ |= pending_errors_;
  if (pending_.empty()) pending_errors_ = 0;
  return got;
}

uint32_t SimSerialPort::take_line_errors() {
  const uint32_t e = line_errors_;
  line_errors_ = 0;
  return e;
}

}  // namespace orn::sim
