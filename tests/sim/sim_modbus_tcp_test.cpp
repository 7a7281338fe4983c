// orn20mb-sim as a Modbus TCP server: the MBAP translation of the line's
// answers, the option, and the program served to the tool's own master.
#include <gtest/gtest.h>

#include "link/modbus_master.h"
#include "link/tcp_serial_port.h"
#include "sim/modbus_tcp_server.h"
#include "sim/register_map.h"
#include "sim/sim_options.h"
#include "support/child_process.h"
#include "support/fakes.h"

namespace orn::sim {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(SimModbusTcp, RequestsAreServedUnderTheirOwnHeaderWithoutACrc) {
  SimLine line;
  TransmitterConfig slow;
  slow.link.baud = 9600;  // TCP carries no rate: it is heard all the same
  line.add(slow);
  ModbusTcpServer server(line);
  const uint8_t hi = reg::ID_DESIG >> 8, lo = reg::ID_DESIG & 0xFF;
  struct Case {
    const char* name;
    Bytes request;
    std::optional<Bytes> answer;
    bool close;
  };
  const Case cases[] = {
      {"read", {0x12, 0x34, 0, 0, 0, 6, 1, 3, hi, lo, 0, 3},
       Bytes{0x12, 0x34, 0, 0, 0, 9, 1, 3, 6, 0, 1, 0, 6, 0, 0}, false},
      {"exception", {0, 7, 0, 0, 0, 6, 1, 3, 0xFF, 0xF0, 0, 1}, Bytes{0, 7, 0, 0, 0, 3, 1, 0x83, 2}, false},
      {"no such unit", {0, 1, 0, 0, 0, 6, 9, 3, hi, lo, 0, 3}, std::nullopt, false},
      {"protocol 1", {0, 1, 0, 1, 0, 6, 1, 3, hi, lo, 0, 3}, std::nullopt, true},
      {"length field not the frame's", {0, 1, 0, 0, 0, 7, 1, 3, hi, lo, 0, 3}, std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool close = !c.close;
    EXPECT_EQ(server.answer(c.request, close), c.answer);
    EXPECT_EQ(close, c.close);
  }
}

TEST(SimModbusTcp, TheOptionTakesAPortAndExcludesThePtyOnes) {
  EXPECT_EQ(parse_sim_options({"--modbus-tcp", "1502"}).options.modbus_tcp, uint16_t{1502});
  EXPECT_EQ(parse_sim_options({"--modbus-tcp=0"}).options.modbus_tcp, uint16_t{0});
  EXPECT_FALSE(parse_sim_options({}).options.modbus_tcp);
  for (const auto& args : {std::vector<std::string>{"--modbus-tcp", "65536"},
                           std::vector<std::string>{"--modbus-tcp", "x"},
                           std::vector<std::string>{"--modbus-tcp", "0", "--link", "/tmp/l"},
                           std::vector<std::string>{"--paced", "--modbus-tcp", "0"}}) {
    EXPECT_FALSE(parse_sim_options(args).error.empty()) << args[0] << " " << args[1];
  }
}

TEST(SimModbusTcp, TheProgramServesTheToolsMasterOverTcp) {
  orn::test::ChildProcess sim({ORN_SIM_PATH, "--modbus-tcp", "0", "--address", "1,2"});
  const std::string path = sim.read_line(10000);
  ASSERT_EQ(path.rfind("modbus-tcp:127.0.0.1:", 0), 0u) << path;

  TcpSerialPort port;
  ASSERT_TRUE(port.open(path, 19200, 0)) << port.open_error();
  test::VirtualPump pump;
  test::FixedClock clock;
  LinkParams link;
  ExchangeSettings exchange;
  exchange.retry_mask = 0;
  exchange.timeout = 200;
  RateTimeouts timeouts;
  ModbusMaster master{port, pump, clock, link, exchange, timeouts};

  uint16_t values[3] = {};
  link.address = 2;
  EXPECT_TRUE(master.read(reg::ID_DESIG, 3, values).ok());
  EXPECT_EQ(std::vector<uint16_t>(values, values + 3), (std::vector<uint16_t>{1, 6, 0}));
  link.address = 3;
  EXPECT_EQ(master.read(reg::ID_DESIG, 3, values).faults, 0x004E);
  port.close();
  EXPECT_EQ(sim.terminate(), 0);
}

}  // namespace
}  // namespace orn::sim
