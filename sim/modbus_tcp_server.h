#pragma once
// Serves a simulated line as a Modbus TCP server on 127.0.0.1: each MBAP
// request goes to the line as the RTU frame of its unit id and PDU, and the
// answer goes back under the request's header with the CRC left off. Every
// device hears every request, whatever its rate: TCP carries none.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim_line.h"

namespace orn::sim {

class ModbusTcpServer {
 public:
  explicit ModbusTcpServer(SimLine& line) : line_(line) {}
  ~ModbusTcpServer();
  ModbusTcpServer(const ModbusTcpServer&) = delete;
  ModbusTcpServer& operator=(const ModbusTcpServer&) = delete;

  // Listens on 127.0.0.1:port (0: a free port the system picks). False with error set.
  bool open(uint16_t port, std::string& error);
  // "modbus-tcp:127.0.0.1:PORT", the name a master opens it by.
  std::string path() const { return "modbus-tcp:127.0.0.1:" + std::to_string(port_); }

  // Serves connections until stop_fd becomes readable (a signalfd or a pipe).
  void run(int stop_fd);

  // The answer to one complete MBAP request: nothing when no device answers;
  // close set when the request is not a Modbus TCP one and the connection must end.
  std::optional<std::vector<uint8_t>> answer(std::span<const uint8_t> request, bool& close);

 private:
  struct Client {
    int fd;
    std::vector<uint8_t> pending;
  };
  // Hands the complete requests buffered for c to the line; false when c is to be closed.
  bool serve(Client& c);
  uint64_t now_ms() const;

  SimLine& line_;
  int listen_ = -1;
  uint16_t port_ = 0;
  uint64_t started_ns_ = 0;
  std::vector<Client> clients_;
};

}  // namespace orn::sim
