#include "pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "link/wire_time.h"

namespace orn::sim {
namespace {

uint64_t steady_ns() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

speed_t speed_of(uint32_t baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B19200;
  }
}

uint32_t baud_of(speed_t s) {
  switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
  }
}

}  // namespace

PtyServer::~PtyServer() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyServer::open(uint32_t initial_baud, std::string& error) {
  started_ns_ = steady_ns();
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    error = std::string("posix_openpt: ") + std::strerror(errno);
    return false;
  }
  char name[256];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    error = std::string("ptsname: ") + std::strerror(errno);
    return false;
  }
  slave_path_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave_ < 0) {
    error = slave_path_ + ": " + std::strerror(errno);
    return false;
  }
  termios t{};
  tcgetattr(slave_, &t);
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&t, speed_of(initial_baud));
  cfsetospeed(&t, speed_of(initial_baud));
  tcsetattr(slave_, TCSANOW, &t);
  return true;
}

uint64_t PtyServer::now_ms() const { return (steady_ns() - started_ns_) / 1000000; }

uint32_t PtyServer::current_baud() const {
  // The slave's termios is what the master program set with tcsetattr.
  termios t{};
  if (tcgetattr(slave_, &t) != 0) return 0;
  return baud_of(cfgetospeed(&t));
}

int PtyServer::silence_ms(uint32_t baud) const {
  // t3.5: 3.5 characters of 11 bits, 1.75 ms above 19200 baud; at least 2 ms on a
  // pty, plus the largest inter-byte gap a device was told to tolerate.
  double t35 = baud > 19200 || baud == 0 ? 1.75 : 3.5 * 11 * 1000.0 / baud;
  uint16_t gap = 0;
  for (auto& d : line_.devices()) gap = std::max(gap, d->read_register(0x041B, now_ms()));
  return static_cast<int>(std::max(2.0, t35 + 0.999)) + gap;
}

void PtyServer::send(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  int stalls = 0;
  while (done < bytes.size()) {
    const ssize_t w = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (w > 0) {
      done += static_cast<size_t>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) return;
    // Nobody drains the slave: give up after a short while rather than block.
    if (++stalls > 50) return;
    pollfd p{master_, POLLOUT, 0};
    poll(&p, 1, 2);
  }
}

uint16_t PtyServer::parity_at(uint32_t baud) {
  // A pty does not carry the master's parity: the characters take the time of
  // those of the first device listening at the rate.
  for (auto& d : line_.devices())
    if (d->link().baud == baud) return d->link().parity;
  return 0;
}

void PtyServer::send_paced(const Reply& reply, size_t request_bytes, uint32_t baud) {
  using std::chrono::nanoseconds;
  const int64_t ch = character_ns(baud, parity_at(baud));
  const auto arrived = std::chrono::steady_clock::time_point(nanoseconds(frame_started_ns_));
  // Request, 3.5 characters of silence and the reply delay: the first answer
  // character starts then and is complete one character later.
  const auto start = arrived + nanoseconds((2 * static_cast<int64_t>(request_bytes) + 7) * ch / 2) +
                     std::chrono::milliseconds(reply.delay_ms);
  for (size_t k = 0; k < reply.bytes.size(); ++k) {
    std::this_thread::sleep_until(start + nanoseconds(static_cast<int64_t>(k + 1) * ch));
    send({reply.bytes[k]});
  }
}

void PtyServer::serve_frame(std::span<const uint8_t> frame) {
  // Parity cannot be seen on a pty, so only the rate decides who hears the frame.
  const uint32_t baud = current_baud();
  const std::optional<Reply> r = line_.transact(frame, baud, std::nullopt, now_ms());
  if (!r) return;
  if (paced_) {
    send_paced(*r, frame.size(), baud);
    return;
  }
  if (r->delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(r->delay_ms));
  send(r->bytes);
}

void PtyServer::run(int stop_fd) {
  const FrameReader::Serve serve = [this](std::span<const uint8_t> frame) { serve_frame(frame); };
  uint64_t last_byte_ns = 0;
  for (;;) {
    int timeout = -1;
    if (reader_.waiting()) {
      const auto waited = static_cast<int>((steady_ns() - last_byte_ns) / 1000000);
      timeout = std::max(0, silence_ms(current_baud()) - waited);
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    const int n = poll(fds, 2, timeout);
    if (n < 0 && errno != EINTR) return;
    if ((fds[1].revents & POLLIN) && take_stop_signal(stop_fd, line_)) return;
    if (fds[0].revents & POLLIN) {
      uint8_t chunk[512];
      const ssize_t got = ::read(master_, chunk, sizeof chunk);
      if (got > 0) {
        last_byte_ns = steady_ns();
        if (!reader_.waiting()) frame_started_ns_ = last_byte_ns;
        // A complete frame is served at once; anything else when the line falls silent.
        reader_.push({chunk, static_cast<size_t>(got)}, serve);
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      // A master program closed the slave; wait for the next one.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (reader_.waiting() &&
        (steady_ns() - last_byte_ns) / 1000000 >= static_cast<uint64_t>(silence_ms(current_baud()))) {
      reader_.silence(serve);
    }
  }
}

}  // namespace orn::sim
