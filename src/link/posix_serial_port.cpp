#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace orn {
namespace {

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
constexpr int64_t kNoDeadline = INT64_MAX;

int64_t now_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// Capped far beyond any real time-out so that the nanosecond sums cannot overflow.
int64_t ms_to_ns(uint64_t ms) {
  return static_cast<int64_t>(std::min<uint64_t>(ms, 1'000'000'000'000)) * 1'000'000;
}

// poll() time-out for the time left until deadline, rounded up so that a read
// never ends before its time-out has fully elapsed.
int poll_timeout(int64_t deadline, int64_t now) {
  if (deadline == kNoDeadline) return -1;
  const int64_t ms = (deadline - now + 999'999) / 1'000'000;
  return static_cast<int>(std::min<int64_t>(ms, INT_MAX));
}

speed_t speed_for_baud(uint32_t baud) {
  struct Entry {
    uint32_t baud;
    speed_t speed;
  };
  static constexpr Entry kSpeeds[] = {
      {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
      {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
      {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},
      {921600, B921600},
  };
  for (const Entry& e : kSpeeds) {
    if (e.baud == baud) return e.speed;
  }
  return B0;
}

// The 8250 driver creates /dev/ttyS* nodes for ports that have no UART behind
// them; they open but report type PORT_UNKNOWN. Such a port counts as absent.
bool is_uart_without_hardware(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || major(st.st_rdev) != 4 || minor(st.st_rdev) < 64) return false;
  serial_struct ss{};
  return ioctl(fd, TIOCGSERIAL, &ss) == 0 && ss.type == PORT_UNKNOWN;
}

// Opens path for exclusive use without blocking on carrier detect. Returns -1
// when it is missing, not a tty, held by someone else (TIOCEXCL gives EBUSY,
// the lock EWOULDBLOCK) or a serial node without hardware.
int open_exclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || is_uart_without_hardware(fd)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void set_line_settings(int fd, speed_t speed, uint16_t parity) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return;
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS | HUPCL | PARENB | PARODD);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
  if (parity == kParityOdd || parity == kParityEven) {
    tio.c_cflag |= PARENB;
    if (parity == kParityOdd) tio.c_cflag |= PARODD;
    tio.c_iflag |= INPCK;
  }
  // Reads are paced by poll(), so the driver returns whatever is there at once.
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  // A pseudo-terminal silently drops PARENB; the port works there all the same.
  tcsetattr(fd, TCSANOW, &tio);
}

// Asks the driver to hand over received bytes at once instead of batching them;
// drivers without the option (pseudo-terminals, some USB adapters) are left as is.
void set_low_latency(int fd) {
  serial_struct ss{};
  if (ioctl(fd, TIOCGSERIAL, &ss) != 0) return;
  ss.flags |= ASYNC_LOW_LATENCY;
  ioctl(fd, TIOCSSERIAL, &ss);
}

}  // namespace

PosixSerialPort::~PosixSerialPort() { close(); }

bool PosixSerialPort::open(const std::string& path, uint32_t baud, uint16_t parity) {
  close();
  const speed_t speed = speed_for_baud(baud);
  if (speed == B0) return false;
  const int fd = open_exclusive(path);
  if (fd < 0) return false;
  ioctl(fd, TIOCEXCL);  // also keeps out programs that do not use locks
  set_line_settings(fd, speed, parity);
  set_low_latency(fd);
  fd_ = fd;
  counters_known_ = read_line_counters(counters_);
  return true;
}

void PosixSerialPort::close() {
  if (fd_ < 0) return;
  // A pty slave keeps its flags while the master lives: give the next opener a chance.
  ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
  counters_known_ = false;
}

bool PosixSerialPort::probe(const std::string& path) {
  const int fd = open_exclusive(path);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void PosixSerialPort::purge() {
  if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
}

size_t PosixSerialPort::write(const uint8_t* data, size_t n) {
  if (fd_ < 0) return 0;
  const SerialTimeouts& t = timeouts_;
  const bool timed = t.write_multiplier != 0 || t.write_constant != 0;
  const int64_t deadline =
      timed ? now_ns() + ms_to_ns(uint64_t{t.write_multiplier} * n + t.write_constant) : kNoDeadline;
  size_t done = 0;
  while (done < n) {
    const ssize_t r = ::write(fd_, data + done, n - done);
    if (r > 0) {
      done += static_cast<size_t>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) break;  // EIO: the far end is gone
    const int64_t now = now_ns();
    if (now >= deadline) break;
    pollfd p{fd_, POLLOUT, 0};
    const int pr = ::poll(&p, 1, poll_timeout(deadline, now));
    if (pr < 0 && errno != EINTR) break;
    if (pr > 0 && !(p.revents & POLLOUT)) break;  // hang-up or error without room to write
  }
  return done;
}

size_t PosixSerialPort::read(uint8_t* buf, size_t n) {
  if (fd_ < 0 || n == 0) return 0;
  const SerialTimeouts& t = timeouts_;
  // The two special combinations of a Windows port: interval MAXDWORD alone
  // returns what is buffered at once; with multiplier MAXDWORD and a constant it
  // waits up to the constant for the first byte and returns as soon as any arrived.
  const bool return_buffered =
      t.read_interval == kMaxDword && t.read_multiplier == 0 && t.read_constant == 0;
  const bool return_first = t.read_interval == kMaxDword && t.read_multiplier == kMaxDword &&
                            t.read_constant != 0 && t.read_constant != kMaxDword;
  const bool use_interval = t.read_interval != 0 && !return_first;
  const uint64_t total_ms =
      return_first ? t.read_constant : uint64_t{t.read_multiplier} * n + t.read_constant;
  const int64_t total_deadline =
      (return_first || total_ms != 0) ? now_ns() + ms_to_ns(total_ms) : kNoDeadline;

  int64_t interval_deadline = kNoDeadline;  // set by the first received byte
  bool hung_up = false;
  size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd_, buf + got, n - got);
    if (r > 0) {
      got += static_cast<size_t>(r);
      if (return_first) break;
      if (use_interval) interval_deadline = now_ns() + ms_to_ns(t.read_interval);
      continue;
    }
    // With VMIN and VTIME 0 an empty tty reads 0; a hang-up shows in poll() or as EIO,
    // after any buffered bytes were delivered.
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    if (hung_up || return_buffered) break;
    const int64_t now = now_ns();
    const int64_t deadline = std::min(total_deadline, interval_deadline);
    if (now >= deadline) break;
    pollfd p{fd_, POLLIN, 0};
    int timeout = poll_timeout(deadline, now);
    if (idle_ && (timeout < 0 || timeout > kIdleSliceMs)) timeout = kIdleSliceMs;
    const int pr = ::poll(&p, 1, timeout);
    if (pr < 0 && errno != EINTR) break;
    if (pr == 0 && idle_) idle_->dispatch();
    // Read once more to collect what came with the hang-up, then stop.
    if (pr > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) hung_up = true;
  }
  return got;
}

bool PosixSerialPort::read_line_counters(LineCounters& c) const {
  serial_icounter_struct ic{};
  if (fd_ < 0 || ioctl(fd_, TIOCGICOUNT, &ic) != 0) return false;
  c.parity = static_cast<uint32_t>(ic.parity);
  c.frame = static_cast<uint32_t>(ic.frame);
  c.overrun = static_cast<uint32_t>(ic.overrun);
  c.buf_overrun = static_cast<uint32_t>(ic.buf_overrun);
  c.brk = static_cast<uint32_t>(ic.brk);
  return true;
}

uint32_t PosixSerialPort::take_line_errors() {
  LineCounters now;
  if (!counters_known_ || !read_line_counters(now)) return 0;
  // The driver's counters only grow (and wrap); the difference is what is new.
  const uint32_t errors = (now.parity - counters_.parity) + (now.frame - counters_.frame) +
                          (now.overrun - counters_.overrun) +
                          (now.buf_overrun - counters_.buf_overrun) + (now.brk - counters_.brk);
  counters_ = now;
  return errors;
}

void PosixSerialPort::set_modem_line(int line, bool on) {
  // A pseudo-terminal has no modem lines and refuses; nothing depends on them.
  if (fd_ >= 0) ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

void PosixSerialPort::set_rts(bool on) { set_modem_line(TIOCM_RTS, on); }
void PosixSerialPort::set_dtr(bool on) { set_modem_line(TIOCM_DTR, on); }

}  // namespace orn
