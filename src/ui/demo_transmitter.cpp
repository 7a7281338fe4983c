#include "ui/demo_transmitter.h"

#include <unistd.h>

namespace orn {

DemoTransmitter::DemoTransmitter() {
  // A pressure that moves a little around 100 kPa, so the window looks alive.
  sim::TransmitterConfig config;
  config.pressure.model = sim::PressureModel::Noise;
  line_.add(config);
}

DemoTransmitter::~DemoTransmitter() {
  if (thread_.joinable()) {
    const char stop = 1;
    (void)!::write(stop_[1], &stop, 1);
    thread_.join();
  }
  for (int fd : stop_)
    if (fd >= 0) ::close(fd);
}

bool DemoTransmitter::start(std::string& error) {
  if (!server_.open(19200, error)) return false;
  if (pipe(stop_) != 0) {
    error = "pipe failed";
    return false;
  }
  thread_ = std::thread([this] { server_.run(stop_[0]); });
  return true;
}

}  // namespace orn
