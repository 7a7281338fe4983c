#include "link/tcp_serial_port.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "link/timed_io.h"

namespace orn {
namespace {

// Connects fd to addr within timeout_ms; returns 0 or the errno of the failure.
int connect_within(int fd, const addrinfo& addr, int timeout_ms) {
  if (::connect(fd, addr.ai_addr, addr.ai_addrlen) == 0) return 0;
  if (errno != EINPROGRESS) return errno;
  pollfd p{fd, POLLOUT, 0};
  int pr;
  do {
    pr = ::poll(&p, 1, timeout_ms);
  } while (pr < 0 && errno == EINTR);
  if (pr == 0) return ETIMEDOUT;
  if (pr < 0) return errno;
  int error = 0;
  socklen_t len = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
  return error;
}

}  // namespace

bool is_tcp_path(std::string_view path) { return path.substr(0, kTcpPathPrefix.size()) == kTcpPathPrefix; }

namespace {

// "HOST:PORT", or "HOST" alone when default_port is not empty.
std::optional<TcpGatewayAddress> parse_host_port(std::string_view rest, std::string_view default_port) {
  std::string_view host = rest;
  std::string_view port = default_port;
  const size_t colon = rest.rfind(':');
  const size_t bracket = rest.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  } else if (default_port.empty()) {
    return std::nullopt;
  }
  if (host.empty()) return std::nullopt;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return std::nullopt;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos || host.find(']') != std::string_view::npos) {
    return std::nullopt;  // an IPv6 address needs its brackets
  }
  unsigned number = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
  if (port.empty() || ec != std::errc() || end != port.data() + port.size() || number < 1 || number > 65535)
    return std::nullopt;
  return TcpGatewayAddress{std::string(host), std::string(port)};
}

}  // namespace

std::optional<TcpGatewayAddress> parse_tcp_path(std::string_view path) {
  if (!is_tcp_path(path)) return std::nullopt;
  return parse_host_port(path.substr(kTcpPathPrefix.size()), {});
}

bool is_modbus_tcp_path(std::string_view path) {
  return path.substr(0, kModbusTcpPathPrefix.size()) == kModbusTcpPathPrefix;
}

std::optional<TcpGatewayAddress> parse_modbus_tcp_path(std::string_view path) {
  if (!is_modbus_tcp_path(path)) return std::nullopt;
  return parse_host_port(path.substr(kModbusTcpPathPrefix.size()), kModbusTcpDefaultPort);
}

TcpSerialPort::~TcpSerialPort() { close(); }

int TcpSerialPort::connect_to(const std::string& path) {
  const bool modbus_tcp = is_modbus_tcp_path(path);
  const auto address = modbus_tcp ? parse_modbus_tcp_path(path) : parse_tcp_path(path);
  if (!address) {
    error_ = modbus_tcp ? "ожидается modbus-tcp:УЗЕЛ[:ПОРТ]" : "ожидается tcp:УЗЕЛ:ПОРТ";
    return -1;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int gai = getaddrinfo(address->host.c_str(), address->port.c_str(), &hints, &found);
  if (gai != 0) {
    error_ = gai_strerror(gai);
    return -1;
  }
  int error = EADDRNOTAVAIL;  // when the name resolves to no address at all
  int fd = -1;
  for (const addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    error = connect_within(fd, *a, connect_timeout_ms_);
    if (error != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  if (fd < 0) {
    error_ = std::strerror(error);
    return -1;
  }
  // Frames are small and must leave at once, not wait to be coalesced.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  return fd;
}

bool TcpSerialPort::open(const std::string& path, uint32_t, uint16_t) {
  close();
  error_.clear();
  format_ = is_modbus_tcp_path(path) ? FrameFormat::Mbap : FrameFormat::Rtu;
  fd_ = connect_to(path);
  return fd_ >= 0;
}

void TcpSerialPort::close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

bool TcpSerialPort::probe(const std::string& path) {
  const int fd = connect_to(path);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void TcpSerialPort::purge() {
  if (fd_ < 0) return;
  uint8_t sink[256];
  while (::recv(fd_, sink, sizeof sink, MSG_DONTWAIT) > 0) {
  }
}

size_t TcpSerialPort::write(const uint8_t* data, size_t n) {
  // MSG_NOSIGNAL: a gateway that went away must not kill the program with SIGPIPE.
  return timed_write(fd_, data, n, timeouts_, MSG_NOSIGNAL);
}

size_t TcpSerialPort::read(uint8_t* buf, size_t n) {
  return timed_read(fd_, buf, n, timeouts_, idle_, ZeroRead::PeerClosed);
}

}  // namespace orn
