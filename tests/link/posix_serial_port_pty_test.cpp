#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "link/port_names.h"

namespace orn {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// A pseudo-terminal pair: the port under test opens the slave path, the test
// plays the device on the master side.
class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    char name[128];
    ASSERT_EQ(ptsname_r(master_, name, sizeof name), 0);
    slave_path_ = name;
  }
  void TearDown() override {
    if (sender_.joinable()) sender_.join();
    close_master();
  }

  void close_master() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void send(const Bytes& b) { ASSERT_EQ(::write(master_, b.data(), b.size()), static_cast<ssize_t>(b.size())); }
  // Sends and gives the pty a moment to hand the bytes to the slave side.
  void send_and_settle(const Bytes& b) {
    send(b);
    std::this_thread::sleep_for(100ms);
  }
  // Plays the device in the background: each chunk after its delay from the previous one.
  void send_later(std::vector<std::pair<std::chrono::milliseconds, Bytes>> chunks, bool hang_up = false) {
    sender_ = std::thread([this, chunks = std::move(chunks), hang_up] {
      for (const auto& [delay, bytes] : chunks) {
        std::this_thread::sleep_for(delay);
        if (::write(master_, bytes.data(), bytes.size()) < 0) return;
      }
      if (hang_up) {
        std::this_thread::sleep_for(100ms);
        close_master();
      }
    });
  }
  // Everything the port wrote that reaches the master within a second.
  Bytes receive(size_t n) {
    Bytes out;
    uint8_t buf[256];
    while (out.size() < n) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) break;
      const ssize_t r = ::read(master_, buf, sizeof buf);
      if (r <= 0) break;
      out.insert(out.end(), buf, buf + r);
    }
    return out;
  }
  termios line_settings() {
    termios tio{};
    EXPECT_EQ(tcgetattr(master_, &tio), 0);  // a pty master reports the slave's settings
    return tio;
  }

  struct Timed {
    size_t got;
    std::chrono::milliseconds elapsed;
  };
  Timed timed_read(uint8_t* buf, size_t n) {
    const auto start = std::chrono::steady_clock::now();
    const size_t got = port_.read(buf, n);
    return {got, std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)};
  }

  int master_ = -1;
  std::string slave_path_;
  std::thread sender_;
  PosixSerialPort port_;
};

TEST_F(PtyTest, TotalTimeoutReturnsWhatArrived) {
  struct Case {
    SerialTimeouts t;
    size_t n;
    Bytes sent;
    std::chrono::milliseconds at_least;
  };
  const Case cases[] = {
      {{0, 0, 300, 0, 0}, 8, {}, 300ms},            // constant alone
      {{0, 100, 0, 0, 0}, 3, {}, 300ms},            // multiplier counts requested bytes
      {{0, 50, 100, 0, 0}, 4, {0x01, 0x03}, 300ms},  // partial answer, no interval time-out
      {{0, 0, 300, 0, 0}, 5, {1, 2, 3, 4}, 300ms},
  };
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " sent " << c.sent.size());
    port_.set_timeouts(c.t);
    if (!c.sent.empty()) send(c.sent);
    uint8_t buf[16] = {};
    const Timed r = timed_read(buf, c.n);
    EXPECT_EQ(r.got, c.sent.size());
    EXPECT_GE(r.elapsed, c.at_least);
    EXPECT_EQ(Bytes(buf, buf + r.got), c.sent);
  }
}

TEST_F(PtyTest, CompleteReadReturnsAtOnceAndLeavesTheRest) {
  ASSERT_TRUE(port_.open(slave_path_, 115200, kParityNone));
  port_.set_timeouts({0, 0, 10000, 0, 0});
  const Bytes answer = {0x01, 0x03, 0x02, 0x12, 0x34, 0xB5, 0x33, 0x55};
  send(answer);
  uint8_t buf[8] = {};
  Timed r = timed_read(buf, 5);
  EXPECT_EQ(r.got, 5u);
  EXPECT_LT(r.elapsed, 5000ms);
  r = timed_read(buf + 5, 3);
  EXPECT_EQ(r.got, 3u);
  EXPECT_LT(r.elapsed, 5000ms);
  EXPECT_EQ(Bytes(buf, buf + 8), answer);
}

TEST_F(PtyTest, IntervalTimeoutEndsReadAfterPartialAnswer) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  port_.set_timeouts({50, 0, 10000, 0, 0});
  send({0x01, 0x03, 0x02});
  uint8_t buf[8];
  const Timed r = timed_read(buf, 8);
  EXPECT_EQ(r.got, 3u);
  EXPECT_LT(r.elapsed, 5000ms);  // well before the 10 s total
}

TEST_F(PtyTest, IntervalCountsFromTheLatestByteOnly) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  // Nothing runs before the first byte, although it comes long after one interval.
  port_.set_timeouts({50, 0, 5000, 0, 0});
  send_later({{300ms, {0xAA, 0xBB}}});
  uint8_t buf[8];
  Timed r = timed_read(buf, 8);
  sender_.join();
  EXPECT_EQ(r.got, 2u);
  EXPECT_GE(r.elapsed, 300ms);

  // Bytes 250 ms apart keep a 500 ms interval going for longer than 500 ms.
  port_.set_timeouts({500, 0, 10000, 0, 0});
  send_later({{0ms, {1}}, {250ms, {2}}, {250ms, {3}}, {250ms, {4}}});
  r = timed_read(buf, 8);
  sender_.join();
  EXPECT_EQ(r.got, 4u);
  EXPECT_EQ(Bytes(buf, buf + r.got), (Bytes{1, 2, 3, 4}));
}

// Under the first-byte rule a read gives up when no byte came within the wait,
// however long its total time-out, and an answer that began in time is read to
// its end even past the total counted from the read's start.
TEST_F(PtyTest, FirstByteRuleEndsASilentReadAndReadsAStartedAnswerToItsEnd) {
  ASSERT_TRUE(port_.open(slave_path_, 1200, kParityEven));
  SerialTimeouts t{400, 0, 400, 0, 0};
  t.first_byte_us = 1'000'000;
  port_.set_timeouts(t);
  send_later({{500ms, {1, 2}}, {250ms, {3, 4}}});
  uint8_t buf[8] = {};
  size_t got = port_.read(buf, 8);
  sender_.join();
  EXPECT_EQ(Bytes(buf, buf + got), (Bytes{1, 2, 3, 4}));

  t.read_constant = 10000;
  t.first_byte_us = 200'000;
  port_.set_timeouts(t);
  send_later({{600ms, {5}}});
  got = port_.read(buf, 8);
  EXPECT_EQ(got, 0u);  // the byte came after the wait for the first one
  sender_.join();
  got = port_.read(buf, 8);
  EXPECT_EQ(Bytes(buf, buf + got), Bytes{5});
}

// A window's pump keeps running while a read waits, and the answer still comes whole.
TEST_F(PtyTest, IdlePumpRunsWhileAReadWaits) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  struct CountingPump final : Pump {
    void dispatch() override { ++dispatches; }
    void wait(uint32_t) override {}
    void sleep(uint32_t) override {}
    int dispatches = 0;
  } pump;
  port_.set_idle(&pump);
  port_.set_timeouts({20, 0, 2000, 0, 0});
  send_later({{300ms, {0x01, 0x03, 0x02, 0x00, 0x07, 0xF9, 0x86}}});
  uint8_t buf[9] = {};
  EXPECT_EQ(port_.read(buf, 9), 7u);
  EXPECT_EQ(buf[6], 0x86);
  EXPECT_GT(pump.dispatches, 3);
}

TEST_F(PtyTest, MaxdwordIntervalCombinations) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  uint8_t buf[8];

  // Interval MAXDWORD alone: whatever is buffered, at once.
  port_.set_timeouts({kMaxDword, 0, 0, 0, 0});
  EXPECT_EQ(timed_read(buf, 8).got, 0u);
  send_and_settle({1, 2, 3});
  EXPECT_EQ(timed_read(buf, 8).got, 3u);

  // With multiplier MAXDWORD and a constant: the first bytes end the read.
  port_.set_timeouts({kMaxDword, kMaxDword, 5000, 0, 0});
  send_later({{100ms, {4, 5}}});
  const Timed r = timed_read(buf, 8);
  sender_.join();
  EXPECT_EQ(r.got, 2u);
  EXPECT_LT(r.elapsed, 4000ms);
  port_.set_timeouts({kMaxDword, kMaxDword, 200, 0, 0});
  EXPECT_GE(timed_read(buf, 8).elapsed, 200ms);
}

TEST_F(PtyTest, PurgeDiscardsPendingInput) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  port_.set_timeouts({0, 0, 300, 0, 0});
  send_and_settle({0x11, 0x22, 0x33, 0x44});
  port_.purge();
  uint8_t buf[8];
  EXPECT_EQ(port_.read(buf, 4), 0u);
  send({0x55});
  ASSERT_EQ(port_.read(buf, 4), 1u);
  EXPECT_EQ(buf[0], 0x55);
}

TEST_F(PtyTest, FarEndClosingEndsTheReadWithWhatArrived) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  port_.set_timeouts({0, 0, 20000, 0, 0});
  send_later({{50ms, {0x01, 0x03}}}, /*hang_up=*/true);
  uint8_t buf[8];
  Timed r = timed_read(buf, 8);
  sender_.join();
  EXPECT_EQ(r.got, 2u);
  EXPECT_LT(r.elapsed, 10000ms);

  // Later reads and writes on the dead line end at once too.
  r = timed_read(buf, 8);
  EXPECT_EQ(r.got, 0u);
  EXPECT_LT(r.elapsed, 10000ms);
  const uint8_t req[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A};
  EXPECT_LE(port_.write(req, sizeof req), sizeof req);
  EXPECT_EQ(port_.take_line_errors(), 0u);
}

TEST_F(PtyTest, WriteSendsEveryByte) {
  ASSERT_TRUE(port_.open(slave_path_, 9600, kParityEven));
  Bytes frame(200);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(port_.write(frame.data(), frame.size()), frame.size());
  EXPECT_EQ(receive(frame.size()), frame);
}

TEST_F(PtyTest, LineSettingsPerParityCode) {
  struct Case {
    uint16_t parity;
    uint32_t baud;
    speed_t speed;
    bool checked;
  };
  const Case cases[] = {{0, 1200, B1200, false},
                        {1, 19200, B19200, true},
                        {2, 115200, B115200, true},
                        {3, 57600, B57600, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parity);
    ASSERT_TRUE(port_.open(slave_path_, c.baud, c.parity));
    const termios tio = line_settings();
    EXPECT_EQ(cfgetospeed(&tio), c.speed);
    EXPECT_EQ(cfgetispeed(&tio), c.speed);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.checked);
    // The line carries any byte value unchanged, in both directions.
    port_.set_timeouts({0, 0, 1000, 0, 0});
    const Bytes all = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x1A, 0x7F, 0xFF};
    send(all);
    uint8_t buf[16];
    EXPECT_EQ(Bytes(buf, buf + port_.read(buf, all.size())), all);
    EXPECT_EQ(port_.write(all.data(), all.size()), all.size());
    EXPECT_EQ(receive(all.size()), all);
  }
}

TEST_F(PtyTest, ModemLinesAndLineErrorsAreHarmlessOnAPty) {
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityOdd));
  port_.set_rts(false);
  port_.set_dtr(true);
  EXPECT_EQ(port_.take_line_errors(), 0u);
  EXPECT_EQ(port_.write(reinterpret_cast<const uint8_t*>("ok"), 2), 2u);
  EXPECT_EQ(receive(2), (Bytes{'o', 'k'}));
}

TEST_F(PtyTest, OpenIsExclusive) {
  PosixSerialPort other;
  ASSERT_TRUE(port_.open(slave_path_, 19200, kParityNone));
  EXPECT_FALSE(other.open(slave_path_, 19200, kParityNone));
  EXPECT_FALSE(other.is_open());
  // The reason names the holder: this very process, by its command name (at most 15 characters).
  EXPECT_EQ(other.open_error(), std::string(std::strerror(EBUSY)) + " (порт занят процессом " +
                                    std::string(program_invocation_short_name).substr(0, 15) + ", PID " + std::to_string(getpid()) + ")");
  EXPECT_FALSE(other.probe(slave_path_));
  // Reopening the same object releases its own hold first.
  EXPECT_TRUE(port_.open(slave_path_, 9600, kParityNone));
  port_.close();
  EXPECT_FALSE(port_.is_open());
  EXPECT_TRUE(other.probe(slave_path_));
  EXPECT_TRUE(other.open(slave_path_, 19200, kParityNone));
}

TEST_F(PtyTest, OpenRefusesWhatIsNotAUsablePort) {
  char file[] = "/tmp/orn_not_a_tty_XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  ::close(fd);
  const std::string paths[] = {"/dev/orn_no_such_port", file, ""};
  for (const std::string& p : paths) {
    EXPECT_FALSE(port_.open(p, 19200, kParityNone)) << p;
    EXPECT_FALSE(port_.probe(p)) << p;
  }
  std::remove(file);
  EXPECT_FALSE(port_.open(slave_path_, 12345, kParityNone));  // no such rate
  EXPECT_FALSE(port_.is_open());
}

TEST_F(PtyTest, ProbeFindsAMappedPtyAndLeavesItUsable) {
  PortMap map;
  ASSERT_TRUE(map.set(200, slave_path_));
  EXPECT_TRUE(port_.probe(map.path(200)));
  EXPECT_FALSE(port_.is_open());
  EXPECT_FALSE(port_.probe("/dev/orn_no_such_port"));
  ASSERT_TRUE(port_.open(map.path(200), 19200, kParityNone));
  port_.set_timeouts({0, 0, 1000, 0, 0});
  send({0x42});
  uint8_t b = 0;
  EXPECT_EQ(port_.read(&b, 1), 1u);
  EXPECT_EQ(b, 0x42);
}

TEST(PosixSerialPort, ClosedPortDoesNothing) {
  PosixSerialPort port;
  uint8_t buf[4] = {1, 2, 3, 4};
  port.set_timeouts({0, 0, 0, 0, 0});  // would block forever on an open port
  EXPECT_EQ(port.read(buf, 4), 0u);
  EXPECT_EQ(port.write(buf, 4), 0u);
  EXPECT_EQ(port.take_line_errors(), 0u);
  port.purge();
  port.set_rts(true);
  port.close();
  EXPECT_FALSE(port.is_open());
}

}  // namespace
}  // namespace orn
