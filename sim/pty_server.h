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

  // Paced: the line runs at the rate the master set, as a UART would. A request
  // is complete only its own characters' time after its first byte arrived,
  // the answer starts 3.5 characters and the reply delay after that, and its
  // bytes follow one character time apart. Unpaced (the default): at once.
  void set_paced(bool on) { paced_ = on; }

  // Serves requests until stop_fd becomes readable (a signalfd or a pipe).
  void run(int stop_fd);

 private:
  uint32_t current_baud() const;
  int silence_ms(uint32_t baud) const;
  void serve_frame(std::span<const uint8_t> frame);
  void send(const std::vector<uint8_t>& bytes);
  void send_paced(const Reply& reply, size_t request_bytes, uint32_t baud);
  uint16_t parity_at(uint32_t baud);
  uint64_t now_ms() const;

  SimLine& line_;
  int master_ = -1;
  int slave_ = -1;  // held open so the pty does not hang up between sessions
  std::string slave_path_;
  FrameReader reader_;
  uint64_t started_ns_ = 0;
  uint64_t frame_started_ns_ = 0;  // when the first byte of the frame being read came in
  bool paced_ = false;
};

}  // namespace orn::sim
