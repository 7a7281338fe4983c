#pragma once
// The built-in simulated transmitter of --demo: served on a pseudo-terminal by
// a thread of its own, so the window talks to it through the real serial port.
#include <string>
#include <thread>

#include "sim/pty_server.h"
#include "sim/sim_line.h"

namespace orn {

class DemoTransmitter {
 public:
  DemoTransmitter();
  ~DemoTransmitter();
  DemoTransmitter(const DemoTransmitter&) = delete;
  DemoTransmitter& operator=(const DemoTransmitter&) = delete;

  // Creates the pseudo-terminal and starts serving; false with error set.
  bool start(std::string& error);
  // The device path a master opens.
  const std::string& path() const { return server_.slave_path(); }

 private:
  sim::SimLine line_;
  sim::PtyServer server_{line_};
  int stop_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace orn
