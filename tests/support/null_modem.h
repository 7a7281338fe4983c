#pragma once
// Two pseudo-terminals wired back to back, like two serial ports joined by a
// null-modem cable: bytes written on one device path arrive on the other.
// Lets a master and a slave that each open a device path talk to each other.
#include <string>
#include <thread>

namespace orn::test {

class NullModem {
 public:
  NullModem();
  ~NullModem();
  NullModem(const NullModem&) = delete;
  NullModem& operator=(const NullModem&) = delete;

  const std::string& path_a() const { return end_[0].path; }
  const std::string& path_b() const { return end_[1].path; }

 private:
  struct End {
    int master = -1;
    int held_slave = -1;  // keeps the line up while no peer has the device open
    std::string path;
  };
  void relay();

  End end_[2];
  int stop_pipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace orn::test
