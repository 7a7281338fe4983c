#include "modbus_tcp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "link/crc16.h"

namespace orn::sim {
namespace {

constexpr size_t kHeader = 7;
// Unit id and the longest PDU.
constexpr size_t kMaxLength = 254;
constexpr size_t kMaxClients = 8;

uint64_t steady_ns() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

size_t length_field(std::span<const uint8_t> b) { return static_cast<size_t>(b[4] << 8 | b[5]); }

void send_all(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t w = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (w > 0) {
      done += static_cast<size_t>(w);
    } else if (w < 0 && errno == EINTR) {
      continue;
    } else {
      return;
    }
  }
}

}  // namespace

ModbusTcpServer::~ModbusTcpServer() {
  for (const Client& c : clients_) ::close(c.fd);
  if (listen_ >= 0) ::close(listen_);
}

bool ModbusTcpServer::open(uint16_t port, std::string& error) {
  started_ns_ = steady_ns();
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  if (listen_ >= 0) setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  socklen_t len = sizeof a;
  if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 8) != 0 ||
      getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    error = "127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  port_ = ntohs(a.sin_port);
  return true;
}

uint64_t ModbusTcpServer::now_ms() const { return (steady_ns() - started_ns_) / 1000000; }

std::optional<std::vector<uint8_t>> ModbusTcpServer::answer(std::span<const uint8_t> request, bool& close) {
  close = request.size() < kHeader + 1 || request[2] != 0 || request[3] != 0 ||
          length_field(request) != request.size() - 6;
  if (close) return std::nullopt;
  // The RTU frame of the same request: unit id as the address, the PDU, a CRC.
  std::vector<uint8_t> frame(request.begin() + 6, request.end());
  frame.resize(frame.size() + 2);
  put_crc(frame.data(), frame.size() - 2);
  const std::optional<Reply> r = line_.transact(frame, kAnyRate, std::nullopt, now_ms());
  if (!r || r->bytes.size() < 3) return std::nullopt;
  if (r->delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(r->delay_ms));
  // Address and PDU; what an injected fault did to them stays.
  const size_t unit_and_pdu = r->bytes.size() - 2;
  std::vector<uint8_t> out(request.begin(), request.begin() + 4);
  out.push_back(static_cast<uint8_t>(unit_and_pdu >> 8));
  out.push_back(static_cast<uint8_t>(unit_and_pdu & 0xFF));
  out.insert(out.end(), r->bytes.begin(), r->bytes.begin() + static_cast<long>(unit_and_pdu));
  return out;
}

bool ModbusTcpServer::serve(Client& c) {
  while (c.pending.size() >= kHeader) {
    const size_t length = length_field(c.pending);
    if (length < 2 || length > kMaxLength) return false;
    const size_t size = 6 + length;
    if (c.pending.size() < size) break;
    bool close = false;
    const auto a = answer({c.pending.data(), size}, close);
    if (close) return false;
    if (a) send_all(c.fd, *a);
    c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<long>(size));
  }
  return true;
}

void ModbusTcpServer::run(int stop_fd) {
  for (;;) {
    std::vector<pollfd> fds{{stop_fd, POLLIN, 0}, {listen_, POLLIN, 0}};
    for (const Client& c : clients_) fds.push_back({c.fd, POLLIN, 0});
    const int n = ::poll(fds.data(), fds.size(), -1);
    if (n < 0 && errno != EINTR) return;
    if (n <= 0) continue;
    if ((fds[0].revents & POLLIN) && take_stop_signal(stop_fd, line_)) return;
    // Clients first: accepting may move the vector.
    for (size_t i = clients_.size(); i-- > 0;) {
      if (!fds[2 + i].revents) continue;
      Client& c = clients_[i];
      uint8_t chunk[512];
      const ssize_t got = ::recv(c.fd, chunk, sizeof chunk, MSG_DONTWAIT);
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      bool keep = got > 0;
      if (keep) {
        c.pending.insert(c.pending.end(), chunk, chunk + got);
        keep = serve(c);
      }
      if (!keep) {
        ::close(c.fd);
        clients_.erase(clients_.begin() + static_cast<long>(i));
      }
    }
    if (fds[1].revents & POLLIN) {
      const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      if (clients_.size() >= kMaxClients) {
        ::close(fd);
        continue;
      }
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      clients_.push_back({fd, {}});
    }
  }
}

}  // namespace orn::sim
