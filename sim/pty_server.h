#pragma once
// Serves a simulated line on a pseudo-terminal: the master side is ours, the
// slave path is what a Modbus master opens.
#include <cstdint>
#include <string>
#include <vector>

#include "frame_reader.h"
#include "sim_line.h"

namespace orn::sim {

class PtyServer {
 public:
  explicit PtyServer(SimLine& line) : line_(line) {}
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pty; the slave starts raw at initial_baud. False with error set.
  bool open(uint32_t initial_baud, std::string& error);
  const std::string& slave_path() const { return slave_path_; }

  // Serves requests until stop_fd becomes readable (a signalfd or a pipe).
  void run(int stop_fd);

 private:
  uint32_t current_baud() const;
  int silence_ms(uint32_t baud) const;
  void serve_frame(std::span<const uint8_t> frame);
  void send(const std::vector<uint8_t>& bytes);
  uint64_t now_ms() const;

  SimLine& line_;
  int master_ = -1;
  int slave_ = -1;  // held open so the pty does not hang up between sessions
  std::string slave_path_;
  FrameReader reader_;
  uint64_t started_ns_ = 0;
};

}  // namespace orn::sim
