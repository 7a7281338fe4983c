#include "support/tcp_gateway.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace orn::test {

uint16_t unused_tcp_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  uint16_t port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  if (fd >= 0) ::close(fd);
  return port;
}

// Looks in /proc/net/tcp rather than connecting, which would use up the
// listener's one connection.
bool wait_until_listening(uint16_t port, int timeout_ms) {
  char local[32];
  std::snprintf(local, sizeof local, "0100007F:%04X", static_cast<unsigned>(port));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
      std::istringstream fields(line);
      std::string slot, address, remote, state;
      fields >> slot >> address >> remote >> state;
      if (address == local && state == "0A") return true;  // 0A: LISTEN
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TcpGateway::TcpGateway(const std::string& device)
    : port_(unused_tcp_port()), path_("tcp:127.0.0.1:" + std::to_string(port_)) {
  socat_ = std::make_unique<ChildProcess>(std::vector<std::string>{
      SOCAT, "TCP-LISTEN:" + std::to_string(port_) + ",bind=127.0.0.1,reuseaddr",
      "FILE:" + device + ",rawer,b19200,cs8,parenb=0"});
  listening_ = port_ != 0 && wait_until_listening(port_, 5000);
}

}  // namespace orn::test
