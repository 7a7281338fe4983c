// The master in MBAP frames against independent Modbus TCP servers: a
// libmodbus server and a pymodbus server, on loopback; and libmodbus servers
// that close the connection or never answer.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "link/modbus_master.h"
#include "link/tcp_serial_port.h"
#include "support/child_process.h"
#include "support/tcp_gateway.h"
#include "support/master_rig.h"
#include "peer_checks.h"

namespace orn {
namespace {

// Starts a server program and gives the path to open it by.
struct Server {
  const char* name;
  std::string (*start)(std::unique_ptr<test::ChildProcess>& child, const char* mode);
};

void PrintTo(const Server& s, std::ostream* os) { *os << s.name; }

std::string start_libmodbus(std::unique_ptr<test::ChildProcess>& child, const char* mode) {
  child = std::make_unique<test::ChildProcess>(std::vector<std::string>{LIBMODBUS_TCP_SERVER, mode});
  const std::string line = child->read_line(10000);
  if (line.rfind("ready ", 0) != 0) return {};
  return "modbus-tcp:127.0.0.1:" + line.substr(6);
}

std::string start_pymodbus(std::unique_ptr<test::ChildProcess>& child, const char*) {
  const uint16_t port = test::unused_tcp_port();
  child = std::make_unique<test::ChildProcess>(
      std::vector<std::string>{"/usr/bin/python3", PYMODBUS_TCP_SERVER, std::to_string(port)});
  if (child->read_line(10000) != "ready" || !test::wait_until_listening(port, 10000)) return {};
  return "modbus-tcp:127.0.0.1:" + std::to_string(port);
}

class TcpPeer : protected test::MasterRig<TcpSerialPort, BlockingPump, SystemClock> {
 protected:
  void start(const Server& s, const char* mode) {
    const std::string path = s.start(server, mode);
    ASSERT_FALSE(path.empty()) << s.name << " did not start";
    ASSERT_TRUE(port.open(path, 19200, kParityNone)) << port.open_error();
  }
  void stop() {
    port.close();
    if (server) {
      EXPECT_EQ(server->terminate(), 0);
    }
  }

  std::unique_ptr<test::ChildProcess> server;
};

class TcpPeerTest : public TcpPeer, public ::testing::TestWithParam<Server> {
 protected:
  void SetUp() override { start(GetParam(), "serve"); }
  void TearDown() override { stop(); }
};

TEST_P(TcpPeerTest, ReadsElevenRegistersOfTheMeasurementBlock) { test::expectMeasurementBlockRead(master); }

TEST_P(TcpPeerTest, WrittenRegistersReadBack) { test::expectWrittenRegistersReadBack(master); }

TEST_P(TcpPeerTest, AnUnmappedAddressGivesExceptionTwo) {
  exchange.retry_mask = 0;
  test::expectExceptionTwoAtAnUnmappedAddress(master);
}

// Both servers answer any unit id and send it back: the network address
// goes out as the unit id and the answer passes its check.
TEST_P(TcpPeerTest, TheNetworkAddressIsTheUnitId) {
  link.address = 9;
  uint16_t value = 0;
  EXPECT_TRUE(master.read(0x0100, 1, &value).ok());
  EXPECT_EQ(value, 0x1000);
}

std::string server_name(const ::testing::TestParamInfo<Server>& p) { return p.param.name; }

INSTANTIATE_TEST_SUITE_P(Servers, TcpPeerTest,
                         ::testing::Values(Server{"libmodbus", start_libmodbus}, Server{"pymodbus", start_pymodbus}),
                         server_name);

class TcpPeerFailure : public TcpPeer, public ::testing::Test {
 protected:
  void TearDown() override { stop(); }
};

TEST_F(TcpPeerFailure, AServerThatClosesTheConnectionGivesNoAnswerAtOnce) {
  start(Server{"libmodbus", start_libmodbus}, "close");
  exchange.retry_mask = 0;
  uint16_t value = 0;
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(master.read(0x0100, 1, &value).faults, 0x004E);
  // The connection is gone: the next transaction fails the same way, without waiting out its time-out.
  EXPECT_EQ(master.read(0x0100, 1, &value).faults, 0x004E);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(exchange.timeout));
}

TEST_F(TcpPeerFailure, AServerThatNeverAnswersTimesOut) {
  start(Server{"libmodbus", start_libmodbus}, "silent");
  exchange.retry_mask = 0;
  exchange.timeout = 200;
  uint16_t value = 0;
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(master.read(0x0100, 1, &value).faults, 0x004E);
  EXPECT_GE(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(200));
}

}  // namespace
}  // namespace orn
