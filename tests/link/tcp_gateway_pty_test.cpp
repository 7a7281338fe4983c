// The master through a TCP gateway (socat) to the simulated transmitter on its
// pseudo-terminal: reads and writes as over the serial line itself.
#include <gtest/gtest.h>

#include <memory>

#include "link/clock.h"
#include "link/modbus_master.h"
#include "link/port_connection.h"
#include "link/system_serial_port.h"
#include "support/child_process.h"
#include "support/fakes.h"
#include "support/tcp_gateway.h"
#include "support/master_rig.h"

namespace orn {
namespace {

class GatewayToSimulator : public ::testing::Test,
                           protected test::MasterRig<SystemSerialPort, BlockingPump, SystemClock> {
 protected:
  void SetUp() override {
    sim = std::make_unique<test::ChildProcess>(std::vector<std::string>{ORN20MB_SIM, "--pressure", "101.325"});
    const std::string pty = sim->read_line(10000);
    ASSERT_FALSE(pty.empty());
    gateway = std::make_unique<test::TcpGateway>(pty);
    ASSERT_TRUE(gateway->listening());
    ports.set(200, gateway->path());
  }
  void TearDown() override {
    gateway.reset();
    if (sim) {
      EXPECT_EQ(sim->terminate(), 0);
    }
  }

  std::unique_ptr<test::ChildProcess> sim;
  std::unique_ptr<test::TcpGateway> gateway;
  PortMap ports;
  test::ScriptedPrompt prompt;
  PortConnection connection{port, ports, prompt};
};

TEST_F(GatewayToSimulator, ReadsAndWritesThroughAMappedPortNumber) {
  connection.open(200, 7, kParityNone, 2000, true);
  ASSERT_TRUE(connection.is_open()) << (prompt.records.empty() ? "" : prompt.records[0].text);

  uint16_t identity[3] = {};
  ExchangeResult r = master.read(0x0480, 3, identity);
  EXPECT_EQ(r.faults, 0);
  EXPECT_EQ(std::vector<uint16_t>(identity, identity + 3), (std::vector<uint16_t>{1, 6, 0}));

  uint16_t block[11] = {};
  r = master.read(0x0100, 11, block);
  EXPECT_EQ(r.faults, 0);
  EXPECT_EQ(block[4] & 0x3F00, 0x0200) << "STATP unit: kPa";

  const uint16_t one = 1;
  r = master.write(0x0417, 1, &one, "LATCH");
  EXPECT_EQ(r.faults, 0);
  EXPECT_EQ(r.exception, 0);
  uint16_t latched[11] = {};
  EXPECT_TRUE(master.read(0x0300, 11, latched).ok());
  EXPECT_EQ(latched[0], block[0]);
  EXPECT_EQ(latched[1], block[1]);
  EXPECT_TRUE(prompt.records.empty());
}

TEST_F(GatewayToSimulator, AnotherAddressGetsNoAnswerThroughTheGateway) {
  ASSERT_TRUE(port.open(gateway->path(), 19200, kParityNone));
  link.address = 9;
  exchange.reask_val = 1;
  exchange.timeout = 200;
  uint16_t value = 0;
  const ExchangeResult r = master.read(0x0100, 1, &value);
  EXPECT_EQ(r.faults, kFaultNoAnswer | kFaultLength | kFaultAddress | kFaultFunction | kFaultCrc | kFaultRetried);
}

}  // namespace
}  // namespace orn
