#include "link/system_serial_port.h"

namespace orn {

SerialPort& SystemSerialPort::for_path(const std::string& path) {
  if (is_network_path(path)) return tcp_;
  return tty_;
}

bool SystemSerialPort::open(const std::string& path, uint32_t baud, uint16_t parity) {
  active_->close();
  active_ = &for_path(path);
  return active_->open(path, baud, parity);
}

// Both keep the record, so the one chosen by the next open starts from it.
void SystemSerialPort::set_timeouts(const SerialTimeouts& t) {
  tty_.set_timeouts(t);
  tcp_.set_timeouts(t);
}

void SystemSerialPort::set_idle(Pump* pump) {
  tty_.set_idle(pump);
  tcp_.set_idle(pump);
}

}  // namespace orn
