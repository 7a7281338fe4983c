// orn20mb-sim on its pty, checked by Modbus masters written elsewhere: mbpoll
// and a libmodbus RTU master.
#include <gtest/gtest.h>
#include <modbus.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The simulator as a child process; SIGTERM at the end must give exit status 0.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), ORN_SIM_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
    close(out[0]);
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& path() const { return path_; }
  // Sends SIGTERM and returns the exit status (-1 when it did not exit normally).
  int stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

std::string run(const std::string& command) {
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  return out;
}

TEST(SimPeer, MbpollReadsBlocksWritesAndSeesTheMapEnd) {
  SimProcess sim({"--address", "1,3", "--pressure", "12.5"});
  ASSERT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
  const std::string mb = "mbpoll -m rtu -b 19200 -P none -o 1 -1 ";
  // 12.5 kPa is 0x41480000; STATP says byte order 0 and unit 2 (0x0200).
  const std::string meas = run(mb + "-a 1 -t 4:hex -r 257 -c 11 " + sim.path());
  EXPECT_NE(meas.find("[257]: \t0x4148"), std::string::npos) << meas;
  EXPECT_NE(meas.find("[261]: \t0x0200"), std::string::npos) << meas;
  const std::string ident = run(mb + "-a 3 -t 4 -r 1153 -c 3 " + sim.path());
  EXPECT_NE(ident.find("[1153]: \t1\n[1154]: \t6\n[1155]: \t0"), std::string::npos) << ident;
  const std::string range = run(mb + "-a 1 -t 4:float -B -r 1291 -c 1 " + sim.path());
  EXPECT_NE(range.find("[1291]: \t250"), std::string::npos) << "DIAPMAXKPA\n" << range;
  // Locked: the write is refused with exception 4; the unlock sequence opens it.
  // Two values, so that mbpoll uses function 0x10 (one value would be 0x06).
  EXPECT_NE(run(mb + "-a 1 -t 4 -r 1281 " + sim.path() + " 6 2").find("Slave device or server failure"),
            std::string::npos);
  run(mb + "-a 1 -t 4 -r 1265 " + sim.path() + " 1 6");
  run(mb + "-a 1 -t 4:hex -r 1279 " + sim.path() + " 0x4B1D 0x4B1D");
  const std::string wrote = run(mb + "-a 1 -t 4 -r 1281 " + sim.path() + " 6 2");
  EXPECT_NE(wrote.find("Written 2 references"), std::string::npos) << wrote;
  const std::string unit = run(mb + "-a 1 -t 4 -r 1281 -c 1 " + sim.path());
  EXPECT_NE(unit.find("[1281]: \t6"), std::string::npos) << unit;
  EXPECT_NE(run(mb + "-a 1 -t 4 -r 1576 -c 1 " + sim.path()).find("Illegal data address"), std::string::npos)
      << "0x0627 is past the map";
  EXPECT_NE(run(mb + "-a 1 -t 4 -r 1281 " + sim.path() + " 6").find("Illegal function"), std::string::npos)
      << "function 0x06 is not served";
  EXPECT_NE(run(mb + "-a 2 -t 4 -r 1 -c 1 " + sim.path()).find("timed out"), std::string::npos)
      << "no device at address 2";
  EXPECT_EQ(sim.stop(), 0);
}

class LibmodbusMaster {
 public:
  LibmodbusMaster(const std::string& path, int baud) : ctx_(modbus_new_rtu(path.c_str(), baud, 'N', 8, 1)) {
    modbus_set_slave(ctx_, 1);
    modbus_set_response_timeout(ctx_, 1, 0);
    connected_ = modbus_connect(ctx_) == 0;
  }
  ~LibmodbusMaster() {
    modbus_close(ctx_);
    modbus_free(ctx_);
  }
  bool connected() const { return connected_; }
  // Registers, or the errno of the failure in err.
  std::vector<uint16_t> read(int start, int n, int& err) {
    std::vector<uint16_t> v(static_cast<size_t>(n));
    err = modbus_read_registers(ctx_, start, n, v.data()) == n ? 0 : errno;
    return err ? std::vector<uint16_t>{} : v;
  }
  int write(int start, std::vector<uint16_t> values) {
    const int n = static_cast<int>(values.size());
    return modbus_write_registers(ctx_, start, n, values.data()) == n ? 0 : errno;
  }

 private:
  modbus_t* ctx_;
  bool connected_ = false;
};

TEST(SimPeer, LibmodbusMasterReadsWritesAndReconnects) {
  SimProcess sim({"--rate", "38400", "--pressure", "80"});
  int err = 0;
  {
    LibmodbusMaster m(sim.path(), 38400);
    ASSERT_TRUE(m.connected());
    const auto meas = m.read(0x0100, 11, err);
    ASSERT_EQ(err, 0) << modbus_strerror(err);
    EXPECT_FLOAT_EQ(modbus_get_float_abcd(meas.data()), 80.0f);
    EXPECT_FLOAT_EQ(modbus_get_float_abcd(meas.data() + 8), 23.5f);
    const auto settings = m.read(0x0500, 27, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(settings.at(0), 2);
    EXPECT_FLOAT_EQ(modbus_get_float_abcd(settings.data() + 10), 250.0f);
    EXPECT_EQ(m.write(0x0516, {3}), EMBXSFAIL) << "locked";
    ASSERT_EQ(m.write(0x04F0, {1, 6}), 0);
    ASSERT_EQ(m.write(0x04FE, {0x4B1D, 0x4B1D}), 0);
    ASSERT_EQ(m.write(0x0516, {3}), 0);
    const auto swapped = m.read(0x0100, 11, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(swapped.at(4) >> 14, 3);
    EXPECT_FLOAT_EQ(modbus_get_float_dcba(swapped.data()), 80.0f) << "order \"3 2 1 0\"";
    ASSERT_EQ(m.write(0x04FE, {0, 0}), 0);
    EXPECT_EQ(m.write(0x0516, {0}), EMBXSFAIL) << "locked again";
    m.read(0x0627, 1, err);
    EXPECT_EQ(err, EMBXILADD);
    m.read(0x0626, 2, err);
    EXPECT_EQ(err, EMBXILADD) << "a read running past the end";
  }
  {
    LibmodbusMaster slow(sim.path(), 9600);
    ASSERT_TRUE(slow.connected());
    slow.read(0x0480, 3, err);
    EXPECT_EQ(err, ETIMEDOUT) << "a master at another rate is not understood";
  }
  LibmodbusMaster again(sim.path(), 38400);
  ASSERT_TRUE(again.connected());
  EXPECT_EQ(again.read(0x0480, 3, err), (std::vector<uint16_t>{1, 6, 0})) << "served after the slave was reopened";
  EXPECT_EQ(sim.stop(), 0);
}

TEST(SimPeer, LinkOptionMakesAndRemovesTheSymlink) {
  const std::string link = testing::TempDir() + "orn20mb-sim-link-" + std::to_string(getpid());
  SimProcess sim({"--link", link});
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(sim.path(), target);
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0);
  EXPECT_NE(run(std::string(ORN_SIM_PATH) + " --rate 1234; echo rc=$?").find("rc=2"), std::string::npos)
      << "a usage error exits 2";
}

}  // namespace
