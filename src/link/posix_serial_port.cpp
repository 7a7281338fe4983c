#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "link/open_failure.h"
#include "link/timed_io.h"

namespace orn {
namespace {

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
// with errno set when it is missing or not accessible, not a tty (ENOTTY), held
// by someone else (EBUSY) or a serial node without hardware (ENODEV).
int open_exclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  int error = 0;
  if (!isatty(fd)) error = ENOTTY;
  else if (flock(fd, LOCK_EX | LOCK_NB) != 0) error = EBUSY;
  else if (is_uart_without_hardware(fd)) error = ENODEV;
  if (error != 0) {
    ::close(fd);
    errno = error;
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
  error_.clear();
  const speed_t speed = speed_for_baud(baud);
  if (speed == B0) {
    error_ = "скорость " + std::to_string(baud) + " бод не поддерживается";
    return false;
  }
  const int fd = open_exclusive(path);
  if (fd < 0) {
    error_ = open_failure_reason(path, errno);
    return false;
  }
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
  return timed_write(fd_, data, n, timeouts_, -1);
}

size_t PosixSerialPort::read(uint8_t* buf, size_t n) {
  return timed_read(fd_, buf, n, timeouts_, idle_, ZeroRead::NothingYet);
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
