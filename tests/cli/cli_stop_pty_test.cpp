// A stop signal (SIGINT, SIGTERM, SIGHUP) to orn20mb-cli running against
// orn20mb-sim on a pseudo-terminal: the command ends within about a second
// with status 128 + the signal, starts nothing new, says what it did and did
// not write, and leaves no device without its write protection.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_sim_program.h"

namespace orn {
namespace {

// Generous: the running attempt may take its time-out of a second or so.
constexpr int kPromptlyMs = 3000;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class StopAgainstSimulator : public test::CliAgainstSimProgram {
 protected:
  // USERLOCK and CLBLOCK as the device answers them: 0 0 when it is locked.
  std::string protection() {
    const auto r = cli({"regs", "read", "0x04FE", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }
};

constexpr const char* kLocked = "0x04FE 0x0000 0\n0x04FF 0x0000 0\n";

TEST_F(StopAgainstSimulator, AReadWithAttemptsLeftEndsAtOnce) {
  ASSERT_NO_FATAL_FAILURE(start({"--fault", "silence", "--fault-rate", "1"}));
  for (const int sig : {SIGINT, SIGHUP}) {
    const auto r = cli({"--attempts", "5", "read"}, {sig, "", 300});
    EXPECT_EQ(r.status, 128 + sig) << strsignal(sig) << "\n" << r.err;
    EXPECT_LT(r.ms_after_signal, kPromptlyMs) << strsignal(sig);
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(StopAgainstSimulator, ASearchEndsAfterTheRunningProbeWithItsFinds) {
  ASSERT_NO_FATAL_FAILURE(start({"--address", "3"}));
  const std::string find = "Скорость 19200  без парит. Сет. номер 3\n";
  const auto r = cli({"search", "--rates", "19200", "--parities", "none", "--from", "1", "--to", "247", "--timeout",
                      "50", "--attempts", "1"},
                     {SIGTERM, find, 0});
  EXPECT_EQ(r.status, 128 + SIGTERM) << r.err;
  EXPECT_LT(r.ms_after_signal, kPromptlyMs);
  EXPECT_EQ(r.out, find);
  EXPECT_TRUE(contains(r.err, "orn20mb-cli: поиск остановлен сигналом после ")) << r.err;
  EXPECT_TRUE(contains(r.err, " проверок из 247; найдено приборов: 1\n")) << r.err;
}

// Ctrl+C while a line of transmitters is polled, one of them failing at
// random and one absent: the running read ends, every transmitter's counters
// are printed, each matching its lines, and the status is 130.
TEST_F(StopAgainstSimulator, PollingALineEndsAfterTheRunningReadWithEveryCounter) {
  // Address 2's faults fail at once (no time-out), so the read running at the signal ends promptly.
  ASSERT_NO_FATAL_FAILURE(start({"--address", "1,2,3", "--fault", "crc", "--fault", "exception", "--fault-rate",
                                 "0.5", "--fault-address", "2", "--seed", "7"}));
  const auto r = cli({"--attempts", "1", "poll", "--addresses", "1-4", "--interval", "0"}, {SIGINT, "\n  4  ", 0});
  EXPECT_EQ(r.status, 130) << r.err;
  EXPECT_LT(r.ms_after_signal, kPromptlyMs);
  std::vector<std::string> lines;
  for (size_t at = 0; at < r.out.size();) {
    const size_t end = r.out.find('\n', at);
    lines.push_back(r.out.substr(at, end - at));
    at = end == std::string::npos ? r.out.size() : end + 1;
  }
  ASSERT_GE(lines.size(), 8u) << r.out;
  const std::vector<std::string> counters(lines.end() - 4, lines.end());
  unsigned reads[5] = {};
  for (size_t i = 0; i + 4 < lines.size(); ++i) {
    const unsigned address = static_cast<unsigned>(i % 4 + 1);  // in the listed order, cycle after cycle
    EXPECT_EQ(lines[i].substr(0, 5), "  " + std::to_string(address) + "  ") << lines[i];
    ++reads[address];
  }
  for (unsigned a = 1; a <= 4; ++a) {
    SCOPED_TRACE(a);
    const std::string& c = counters[a - 1];
    const std::string head = "address=" + std::to_string(a) + " cycles=" + std::to_string(reads[a]) + " ";
    EXPECT_EQ(c.rfind(head, 0), 0u) << c;
    // The absent one fails every read, the good ones none.
    const std::string failed = a == 4 ? std::to_string(reads[a]) : a == 2 ? "" : "0";
    if (!failed.empty()) {
      EXPECT_TRUE(contains(c, "exch_errors=" + failed + " ")) << c;
    }
  }
  EXPECT_TRUE(contains(r.err, "адрес 4: Ответа не было.\n")) << r.err;
  // With seed 7 address 2's first answer is spoiled.
  EXPECT_TRUE(contains(r.err, "адрес 2: ")) << r.err;
  EXPECT_FALSE(contains(counters[1], "exch_errors=0 ")) << counters[1];
  EXPECT_FALSE(contains(r.err, "адрес 1:") || contains(r.err, "адрес 3:")) << r.err;
}

// Stopped while it samples: nothing computed is written and the opened
// protection is closed again.
TEST_F(StopAgainstSimulator, AZeroAdjustmentStoppedWhileSamplingWritesNothingAndLocks) {
  ASSERT_NO_FATAL_FAILURE(start({"--pressure", "100", "--sensor-offset", "2.5"}));
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    const auto r = cli({"calib", "zero", "--target", "100", "--samples", "20", "--write", "--yes"},
                       {sig, "2  IZMPsensun=", 0});
    EXPECT_EQ(r.status, 128 + sig) << strsignal(sig) << "\n" << r.err;
    EXPECT_LT(r.ms_after_signal, kPromptlyMs);
    EXPECT_FALSE(contains(r.out, "20  IZMPsensun=")) << r.out;
    EXPECT_FALSE(contains(r.out, "shift_usr=")) << r.out;
    EXPECT_FALSE(contains(r.err, "успешно")) << r.err;
    EXPECT_TRUE(contains(r.err, "orn20mb-cli: остановлено сигналом; значения смещения не записаны")) << r.err;
    EXPECT_EQ(protection(), kLocked) << strsignal(sig);
    EXPECT_EQ(cli({"regs", "read", "0x0620", "2"}).out, "0x0620 0x0000 0\n0x0621 0x0000 0\n");
  }
}

// Stopped during its first group: no later group starts, the device is locked.
TEST_F(StopAgainstSimulator, AProfileWriteStoppedStartsNoFurtherGroup) {
  ASSERT_NO_FATAL_FAILURE(start({}));
  test::write_bytes(folder.file("p.prf"), "[CH]\r\nunit=6\r\nshift_usr=1\r\n[NEW_COMM]\r\nNET_DELY=7\r\n");
  const auto r = cli({"profile", "write", "--yes", "p.prf"}, {SIGINT, "Новые значения:", 0});
  EXPECT_EQ(r.status, 128 + SIGINT) << r.err;
  EXPECT_LT(r.ms_after_signal, kPromptlyMs);
  EXPECT_EQ(r.err.find("Новые значения:"), r.err.rfind("Новые значения:")) << r.err;
  EXPECT_TRUE(contains(r.err, "orn20mb-cli: остановлено сигналом; параметры датчика не записаны")) << r.err;
  EXPECT_EQ(protection(), kLocked);
  EXPECT_EQ(cli({"regs", "read", "0x041A", "1"}).out, "0x041A 0x0000 0\n");  // DELY as it was
}

}  // namespace
}  // namespace orn
