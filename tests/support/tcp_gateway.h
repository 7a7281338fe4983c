#pragma once
// socat in front of a device path: a TCP listener on 127.0.0.1 that passes raw
// bytes to and from the device, as an Ethernet-to-RS-485 gateway does. It
// serves one connection and holds the line settings of the serial side, as a
// gateway does: 19200 baud, 8 data bits, no parity.
#include <cstdint>
#include <memory>
#include <string>

#include "support/child_process.h"

namespace orn::test {

// A TCP port on 127.0.0.1 that nothing listens on right now.
uint16_t unused_tcp_port();
// True once something listens on 127.0.0.1:port, false after timeout_ms.
bool wait_until_listening(uint16_t port, int timeout_ms);

class TcpGateway {
 public:
  explicit TcpGateway(const std::string& device);
  // "tcp:127.0.0.1:PORT", the name the tool opens it by.
  const std::string& path() const { return path_; }
  // False when socat did not start listening within a few seconds.
  bool listening() const { return listening_; }

 private:
  uint16_t port_;
  std::string path_;
  std::unique_ptr<ChildProcess> socat_;
  bool listening_ = false;
};

}  // namespace orn::test
