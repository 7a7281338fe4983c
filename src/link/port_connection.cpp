#include "link/port_connection.h"

#include <string>

#include "link/link_params.h"
#include "link/open_failure.h"

namespace orn {
namespace {

// Read interval and per-byte read multiplier set at open, for rate index 3..10.
constexpr uint32_t kOpenTimeouts[] = {192, 96, 48, 24, 24, 24, 24, 24};

}  // namespace

PortConnection::PortConnection(SerialPort& port, const PortMap& ports, Prompt& prompt)
    : port_(port), ports_(ports), prompt_(prompt) {}

uint16_t PortConnection::probe() {
  table_.fill(0);
  count_ = 0;
  for (uint16_t n = kPortNumberMin; n <= kPortNumberMax; ++n) {
    const std::string path = ports_.path(n);
    if (!path.empty() && port_.probe(path)) table_[count_++] = n;
  }
  return count_;
}

void PortConnection::open(uint16_t port_number, uint16_t rate_index, uint16_t parity,
                          uint16_t read_constant_ms, bool report) {
  port_.close();
  const std::string path = ports_.path(port_number);
  const uint16_t line_parity = (parity == kParityOdd || parity == kParityEven) ? parity : uint16_t{kParityNone};
  if (path.empty() || !port_.open(path, baud_for_rate_index(rate_index), line_parity)) {
    if (report)
      prompt_.tell(open_failure_message(port_number, path, path.empty() ? "" : port_.open_error()), "Ошибка",
                   PromptIcon::Error);
    return;
  }
  // An index outside the table keeps the interval and multiplier of the last open.
  if (rate_index >= kRateIndexMin && rate_index <= kRateIndexMax) {
    timeouts_.read_interval = kOpenTimeouts[rate_index - kRateIndexMin];
    timeouts_.read_multiplier = kOpenTimeouts[rate_index - kRateIndexMin];
  }
  timeouts_.read_constant = read_constant_ms;
  timeouts_.write_multiplier = 0;
  timeouts_.write_constant = 0;
  port_.set_timeouts(timeouts_);
  // Linux tty buffers have a fixed size, so there are no queue sizes to set.
  port_.purge();
  // Linux raises both modem lines at every open; the transmitters' adapters
  // want RTS off and DTR on.
  port_.set_rts(false);
  port_.set_dtr(true);
}

}  // namespace orn
