#include "support/scripted_tcp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orn::test {

ScriptedTcpServer::ScriptedTcpServer(Script script) : script_(std::move(script)) {
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(listen_fd_, 4) != 0 || getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0 ||
      ::pipe2(stop_, O_CLOEXEC) != 0)
    return;
  path_ = "modbus-tcp:127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  thread_ = std::thread([this] { serve(); });
}

ScriptedTcpServer::~ScriptedTcpServer() {
  if (thread_.joinable()) {
    const char c = 0;
    (void)!::write(stop_[1], &c, 1);
    thread_.join();
  }
  for (const int fd : {listen_fd_, stop_[0], stop_[1]})
    if (fd >= 0) ::close(fd);
}

std::vector<ScriptedTcpServer::Bytes> ScriptedTcpServer::requests() const {
  const std::lock_guard lock(mutex_);
  return requests_;
}

ScriptedTcpServer::Bytes ScriptedTcpServer::answer(const Bytes& request, const Bytes& pdu) {
  Bytes out(7 + pdu.size());
  for (size_t k = 0; k < 7 && k < request.size(); ++k) out[k] = request[k];
  out[4] = static_cast<uint8_t>((pdu.size() + 1) >> 8);
  out[5] = static_cast<uint8_t>((pdu.size() + 1) & 0xFF);
  for (size_t k = 0; k < pdu.size(); ++k) out[7 + k] = pdu[k];
  return out;
}

void ScriptedTcpServer::serve() {
  int client = -1;
  Bytes pending;
  for (;;) {
    pollfd fds[2] = {{stop_[0], POLLIN, 0}, {client >= 0 ? client : listen_fd_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[0].revents) break;
    if (!fds[1].revents) continue;
    if (client < 0) {
      client = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      pending.clear();
      continue;
    }
    uint8_t chunk[512];
    const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
    if (got <= 0) {
      ::close(client);
      client = -1;
      continue;
    }
    pending.insert(pending.end(), chunk, chunk + got);
    while (pending.size() >= 7 && pending.size() >= 6u + (pending[4] << 8 | pending[5])) {
      const size_t size = 6u + (pending[4] << 8 | pending[5]);
      const Bytes request(pending.begin(), pending.begin() + static_cast<long>(size));
      pending.erase(pending.begin(), pending.begin() + static_cast<long>(size));
      {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      const std::optional<Bytes> reply = script_(request);
      if (!reply) {
        ::close(client);
        client = -1;
        break;
      }
      if (!reply->empty()) (void)!::send(client, reply->data(), reply->size(), MSG_NOSIGNAL);
    }
  }
  if (client >= 0) ::close(client);
}

}  // namespace orn::test
