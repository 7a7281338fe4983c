#pragma once
// A Modbus TCP server on 127.0.0.1 played by a thread of the test: it takes
// one connection at a time, splits what it reads into requests by their MBAP
// length field and sends back what the script returns for each one: bytes,
// nothing (silence), or no answer at all, closing the connection instead.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orn::test {

class ScriptedTcpServer {
 public:
  using Bytes = std::vector<uint8_t>;
  // Runs on the server's thread.
  using Script = std::function<std::optional<Bytes>(const Bytes& request)>;

  explicit ScriptedTcpServer(Script script);
  ~ScriptedTcpServer();
  ScriptedTcpServer(const ScriptedTcpServer&) = delete;
  ScriptedTcpServer& operator=(const ScriptedTcpServer&) = delete;

  // "modbus-tcp:127.0.0.1:PORT"; empty when the socket could not listen.
  const std::string& path() const { return path_; }
  // The requests received so far, in order.
  std::vector<Bytes> requests() const;

  // The normal answer to a request: its MBAP header with the length of pdu, then pdu.
  static Bytes answer(const Bytes& request, const Bytes& pdu);

 private:
  void serve();

  Script script_;
  int listen_fd_ = -1;
  int stop_[2] = {-1, -1};
  std::string path_;
  mutable std::mutex mutex_;
  std::vector<Bytes> requests_;
  std::thread thread_;
};

}  // namespace orn::test
