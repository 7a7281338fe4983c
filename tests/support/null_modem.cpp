#include "support/null_modem.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace orn::test {
namespace {

void make_raw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  tcsetattr(fd, TCSANOW, &t);
}

// Writes all of n bytes to a non-blocking fd, waiting for room as needed.
void write_all(int fd, const char* data, ssize_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, static_cast<size_t>(n));
    if (w > 0) {
      data += w;
      n -= w;
    } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 100);
    } else {
      return;
    }
  }
}

}  // namespace

NullModem::NullModem() {
  for (End& e : end_) {
    e.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (e.master < 0 || grantpt(e.master) != 0 || unlockpt(e.master) != 0)
      throw std::runtime_error("cannot create a pseudo-terminal");
    e.path = ptsname(e.master);
    e.held_slave = ::open(e.path.c_str(), O_RDWR | O_NOCTTY);
    if (e.held_slave < 0) throw std::runtime_error("cannot open " + e.path);
    make_raw(e.held_slave);
  }
  if (pipe(stop_pipe_) != 0) throw std::runtime_error("pipe");
  thread_ = std::thread([this] { relay(); });
}

NullModem::~NullModem() {
  const char c = 0;
  (void)!::write(stop_pipe_[1], &c, 1);
  thread_.join();
  for (End& e : end_) {
    ::close(e.held_slave);
    ::close(e.master);
  }
  ::close(stop_pipe_[0]);
  ::close(stop_pipe_[1]);
}

void NullModem::relay() {
  char buf[4096];
  for (;;) {
    pollfd p[3] = {{end_[0].master, POLLIN, 0}, {end_[1].master, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
    if (poll(p, 3, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (p[2].revents) return;
    for (int i = 0; i < 2; ++i) {
      if (!(p[i].revents & POLLIN)) continue;
      const ssize_t n = ::read(end_[i].master, buf, sizeof buf);
      if (n > 0) write_all(end_[1 - i].master, buf, n);
    }
  }
}

}  // namespace orn::test
