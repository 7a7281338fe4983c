// The TCP gateway port on loopback sockets: path parsing, a refused
// connection, a gateway that accepts and never answers, one that hangs up,
// and the choice between tty and gateway by path.
#include "link/tcp_serial_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "link/clock.h"
#include "link/modbus_master.h"
#include "link/port_connection.h"
#include "link/system_serial_port.h"
#include "support/fakes.h"
#include "support/tcp_gateway.h"
#include "support/master_rig.h"

namespace orn {
namespace {

using namespace std::chrono_literals;

// Gateway paths name host and port; Modbus TCP paths may leave the port at 502.
TEST(TcpPath, ParsesHostAndPort) {
  enum Parser { kGateway, kModbus };
  struct Case {
    Parser parser;
    const char* path;
    bool ok;
    const char* host;
    const char* port;
  };
  const Case cases[] = {
      {kModbus, "modbus-tcp:192.168.0.7", true, "192.168.0.7", "502"},
      {kModbus, "modbus-tcp:plc.local:1502", true, "plc.local", "1502"},
      {kModbus, "modbus-tcp:[::1]", true, "::1", "502"},
      {kModbus, "modbus-tcp:[::1]:5020", true, "::1", "5020"},
      {kModbus, "modbus-tcp:", false, "", ""},
      {kModbus, "modbus-tcp::502", false, "", ""},
      {kModbus, "modbus-tcp:host:", false, "", ""},
      {kModbus, "modbus-tcp:host:0", false, "", ""},
      {kModbus, "modbus-tcp:host:65536", false, "", ""},
      {kModbus, "modbus-tcp:::1", false, "", ""},  // IPv6 without brackets
      {kModbus, "modbus-tcp:[::1", false, "", ""},
      {kModbus, "tcp:host:502", false, "", ""},
      {kGateway, "tcp:127.0.0.1:502", true, "127.0.0.1", "502"},
      {kGateway, "tcp:gateway.local:4001", true, "gateway.local", "4001"},
      {kGateway, "tcp:[::1]:65535", true, "::1", "65535"},
      {kGateway, "tcp:host:1", true, "host", "1"},
      {kGateway, "tcp:host:0", false, "", ""},
      {kGateway, "tcp:host:65536", false, "", ""},
      {kGateway, "tcp:host:", false, "", ""},
      {kGateway, "tcp::502", false, "", ""},
      {kGateway, "tcp:host", false, "", ""},
      {kGateway, "tcp:::1:502", false, "", ""},  // IPv6 without brackets
      {kGateway, "tcp:[]:502", false, "", ""},
      {kGateway, "tcp:host:50x", false, "", ""},
      {kGateway, "/dev/ttyUSB0", false, "", ""},
      {kGateway, "TCP:host:502", false, "", ""},
      {kGateway, "modbus-tcp:host:502", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto a = c.parser == kModbus ? parse_modbus_tcp_path(c.path) : parse_tcp_path(c.path);
    ASSERT_EQ(a.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(a->host, c.host);
      EXPECT_EQ(a->port, c.port);
    }
  }
  EXPECT_TRUE(is_network_path("modbus-tcp:host"));
  EXPECT_TRUE(is_network_path("tcp:host:1"));
  EXPECT_FALSE(is_network_path("/dev/ttyUSB0"));
}

// A socket that listens on loopback: the kernel accepts connections into its
// backlog, so a client connects, but nobody ever reads or answers.
class SilentGateway {
 public:
  SilentGateway() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd_, 4) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      path_ = "tcp:127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  }
  ~SilentGateway() { ::close(fd_); }
  const std::string& path() const { return path_; }
  // Takes the pending connection and closes it at once.
  void hang_up() {
    const int c = ::accept(fd_, nullptr, nullptr);
    if (c >= 0) ::close(c);
  }

 private:
  int fd_ = -1;
  std::string path_;
};

class TcpMasterTest : public ::testing::Test, protected test::MasterRig<TcpSerialPort, BlockingPump, SystemClock> {
 protected:
  std::chrono::milliseconds timed_read(uint16_t& faults) {
    uint16_t values[11] = {};
    const auto start = std::chrono::steady_clock::now();
    faults = master.read(0x0100, 11, values).faults;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  }

};

TEST_F(TcpMasterTest, AGatewayThatNeverAnswersGivesNoAnswerAfterTheTotalTimeout) {
  SilentGateway gateway;
  ASSERT_FALSE(gateway.path().empty());
  ASSERT_TRUE(port.open(gateway.path(), 19200, kParityEven));  // rate and parity are the gateway's
  exchange.timeout = 300;
  exchange.reask_val = 1;
  uint16_t faults = 0;
  const auto elapsed = timed_read(faults);
  EXPECT_EQ(faults, kFaultNoAnswer | kFaultLength | kFaultAddress | kFaultFunction | kFaultCrc | kFaultRetried);
  // 24 ms per byte for 29 bytes at 19200 baud, plus the constant.
  EXPECT_GE(elapsed, 24ms * 29 + 300ms);
  EXPECT_LT(elapsed, 24ms * 29 + 300ms + 3s);
  EXPECT_EQ(port.take_line_errors(), 0u);
}

TEST_F(TcpMasterTest, AGatewayThatHangsUpEndsTheReadAtOnce) {
  SilentGateway gateway;
  ASSERT_TRUE(port.open(gateway.path(), 19200, kParityNone));
  gateway.hang_up();
  exchange.timeout = 20000;
  exchange.reask_val = 1;
  uint16_t faults = 0;
  const auto elapsed = timed_read(faults);
  EXPECT_NE(faults & kFaultNoAnswer, 0);
  EXPECT_LT(elapsed, 10s);  // long before the 20 s time-out
  EXPECT_TRUE(port.is_open());
}

TEST(TcpSerialPort, ARefusedConnectionFailsToOpenAndSaysWhy) {
  TcpSerialPort port;
  const std::string path = "tcp:127.0.0.1:" + std::to_string(test::unused_tcp_port());
  EXPECT_FALSE(port.probe(path));
  EXPECT_FALSE(port.open(path, 19200, kParityNone));
  EXPECT_FALSE(port.is_open());
  EXPECT_EQ(port.open_error(), std::strerror(ECONNREFUSED));
  EXPECT_FALSE(port.open("tcp:nohost", 19200, kParityNone));
  EXPECT_EQ(port.open_error(), "ожидается tcp:УЗЕЛ:ПОРТ");

  uint8_t buf[4] = {};
  EXPECT_EQ(port.write(buf, 4), 0u);
  EXPECT_EQ(port.read(buf, 4), 0u);
}

TEST(TcpSerialPort, APortNumberMappedToARefusingGatewayReportsTheOpenFailure) {
  SystemSerialPort port;
  PortMap map;
  const std::string path = "tcp:127.0.0.1:" + std::to_string(test::unused_tcp_port());
  map.set(120, path);
  test::ScriptedPrompt prompt;
  PortConnection connection(port, map, prompt);
  connection.open(120, 7, 0, 2000, true);
  EXPECT_FALSE(connection.is_open());
  ASSERT_EQ(prompt.records.size(), 1u);
  EXPECT_EQ(prompt.records[0].text,
            "Невозможно открыть последовательный порт\n" + path + ": " + std::strerror(ECONNREFUSED));
  EXPECT_EQ(prompt.records[0].caption, "Ошибка");
}

TEST(SystemSerialPort, ChoosesTheGatewayOrTheTtyByPath) {
  SilentGateway gateway;
  SystemSerialPort port;
  ASSERT_TRUE(port.probe(gateway.path()));
  ASSERT_TRUE(port.open(gateway.path(), 19200, kParityNone));
  EXPECT_TRUE(port.is_open());
  // A tty path after a gateway: the connection is closed, the tty's error is told.
  EXPECT_FALSE(port.open("/dev/orn_no_such_port", 19200, kParityNone));
  EXPECT_FALSE(port.is_open());
  EXPECT_EQ(port.open_error(), std::strerror(ENOENT));
  EXPECT_TRUE(port.open(gateway.path(), 19200, kParityNone));
  port.close();
  EXPECT_FALSE(port.is_open());
}

}  // namespace
}  // namespace orn
