// orn20mb-sim as a program: it ends cleanly on the usual stop signals, and a
// byte stream that never falls silent cannot grow its memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"
#include "sim_test_master.h"
#include "support/child_process.h"

namespace orn::sim {
namespace {

// Peak resident size of a process in kB, from /proc.
long peak_rss_kb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST(SimProgram, StopSignalsRemoveTheLinkAndEndCleanly) {
  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
    orn::test::TempFolder folder;
    const std::string link = folder.file("sim-link");
    orn::test::ChildProcess sim({ORN_SIM_PATH, "--link", link});
    ASSERT_FALSE(sim.read_line(10000).empty()) << strsignal(sig);
    ASSERT_TRUE(std::filesystem::is_symlink(link)) << strsignal(sig);
    EXPECT_EQ(sim.terminate(sig), 0) << strsignal(sig);
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << strsignal(sig);
  }
}

TEST(SimProgram, AContinuousStreamKeepsMemoryBoundedAndTheNextRequestIsServed) {
  orn::test::ChildProcess sim({ORN_SIM_PATH});
  const std::string path = sim.read_line(10000);
  ASSERT_FALSE(path.empty());
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  const long before = peak_rss_kb(sim.pid());
  ASSERT_GT(before, 0);

  // 64 MB of a byte that starts no known request, written without a pause.
  const std::vector<uint8_t> chunk(1 << 16, 0xAA);
  for (int i = 0; i < 1024; ++i) {
    ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the line falls silent
  const long after = peak_rss_kb(sim.pid());
  EXPECT_LT(after - before, 16 * 1024) << "peak resident size grew from " << before << " kB to " << after;

  tcflush(fd, TCIFLUSH);
  const std::vector<uint8_t> request = test::read_request(1, 0x0100, 11);
  ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  std::vector<uint8_t> answer;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (answer.size() < 27 && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    uint8_t buf[64];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) answer.insert(answer.end(), buf, buf + n);
  }
  ASSERT_EQ(answer.size(), 27u);
  EXPECT_EQ(answer[0], 1);
  EXPECT_EQ(answer[1], 3);
  EXPECT_TRUE(crc_matches(answer.data(), 25));
  ::close(fd);
}

}  // namespace
}  // namespace orn::sim
