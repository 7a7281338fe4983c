#include "link/timed_io.h"

#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace orn {
namespace {

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
constexpr int64_t kNoDeadline = INT64_MAX;
constexpr int kIdleSliceMs = 10;

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

// Waits for input until deadline to the nanosecond (a read's wait for a first
// byte can be a few milliseconds, where whole milliseconds would add a tenth),
// at most idle_slice_ns when that is not 0. Returns what ppoll() returns.
int wait_readable(pollfd& p, int64_t deadline, int64_t now, int64_t idle_slice_ns) {
  int64_t wait = deadline == kNoDeadline ? -1 : deadline - now;
  if (idle_slice_ns != 0 && (wait < 0 || wait > idle_slice_ns)) wait = idle_slice_ns;
  if (wait < 0) return ::ppoll(&p, 1, nullptr, nullptr);
  const timespec ts{static_cast<time_t>(wait / 1'000'000'000), static_cast<long>(wait % 1'000'000'000)};
  return ::ppoll(&p, 1, &ts, nullptr);
}

}  // namespace

size_t timed_read(int fd, uint8_t* buf, size_t n, const SerialTimeouts& t, Pump* idle, ZeroRead zero) {
  if (fd < 0 || n == 0) return 0;
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
  // The first-byte rule: the first byte is due within first_byte_us, and the
  // total time-out then counts from it.
  const bool first_byte_due = t.first_byte_us != 0 && !return_buffered && !return_first;
  int64_t total_deadline = kNoDeadline;
  if (first_byte_due) total_deadline = now_ns() + int64_t{t.first_byte_us} * 1000;
  else if (return_first || total_ms != 0) total_deadline = now_ns() + ms_to_ns(total_ms);

  int64_t interval_deadline = kNoDeadline;  // set by the first received byte
  bool hung_up = false;
  size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd, buf + got, n - got);
    if (r > 0) {
      if (first_byte_due && got == 0) total_deadline = total_ms != 0 ? now_ns() + ms_to_ns(total_ms) : kNoDeadline;
      got += static_cast<size_t>(r);
      if (return_first) break;
      if (use_interval) interval_deadline = now_ns() + ms_to_ns(t.read_interval);
      continue;
    }
    if (r == 0 && zero == ZeroRead::PeerClosed) break;
    // An empty tty reads 0 and an empty socket EAGAIN; a hang-up shows in poll()
    // or as EIO, after any buffered bytes were delivered.
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    if (hung_up || return_buffered) break;
    const int64_t now = now_ns();
    const int64_t deadline = std::min(total_deadline, interval_deadline);
    if (now >= deadline) break;
    pollfd p{fd, POLLIN, 0};
    const int pr = wait_readable(p, deadline, now, idle ? ms_to_ns(kIdleSliceMs) : 0);
    if (pr < 0 && errno != EINTR) break;
    if (pr == 0 && idle) idle->dispatch();
    // Read once more to collect what came with the hang-up, then stop.
    if (pr > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) hung_up = true;
  }
  return got;
}

size_t timed_write(int fd, const uint8_t* data, size_t n, const SerialTimeouts& t, int send_flags) {
  if (fd < 0) return 0;
  const bool timed = t.write_multiplier != 0 || t.write_constant != 0;
  const int64_t deadline =
      timed ? now_ns() + ms_to_ns(uint64_t{t.write_multiplier} * n + t.write_constant) : kNoDeadline;
  size_t done = 0;
  while (done < n) {
    const ssize_t r = send_flags < 0 ? ::write(fd, data + done, n - done)
                                     : ::send(fd, data + done, n - done, send_flags);
    if (r > 0) {
      done += static_cast<size_t>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) break;  // EIO, EPIPE: the far end is gone
    const int64_t now = now_ns();
    if (now >= deadline) break;
    pollfd p{fd, POLLOUT, 0};
    const int pr = ::poll(&p, 1, poll_timeout(deadline, now));
    if (pr < 0 && errno != EINTR) break;
    if (pr > 0 && !(p.revents & POLLOUT)) break;  // hang-up or error without room to write
  }
  return done;
}

}  // namespace orn
