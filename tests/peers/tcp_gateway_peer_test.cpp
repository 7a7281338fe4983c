// The gateway port against the libmodbus RTU slave: socat passes the frames
// between a TCP connection and the slave's end of a pseudo-terminal null modem.
#include <gtest/gtest.h>

#include <memory>

#include "link/modbus_master.h"
#include "link/tcp_serial_port.h"
#include "support/child_process.h"
#include "support/null_modem.h"
#include "support/tcp_gateway.h"
#include "support/master_rig.h"

namespace orn {
namespace {

class GatewayToLibmodbus : public ::testing::Test,
                           protected test::MasterRig<TcpSerialPort, BlockingPump, SystemClock> {
 protected:
  void SetUp() override {
    slave = std::make_unique<test::ChildProcess>(std::vector<std::string>{LIBMODBUS_SLAVE, modem.path_a()});
    ASSERT_EQ(slave->read_line(10000), "ready");
    gateway = std::make_unique<test::TcpGateway>(modem.path_b());
    ASSERT_TRUE(gateway->listening());
    ASSERT_TRUE(port.open(gateway->path(), 19200, kParityNone)) << port.open_error();
  }
  void TearDown() override {
    port.close();
    gateway.reset();
    EXPECT_EQ(slave->terminate(), 0);
  }

  test::NullModem modem;
  std::unique_ptr<test::ChildProcess> slave;
  std::unique_ptr<test::TcpGateway> gateway;
};

TEST_F(GatewayToLibmodbus, ReadsWritesAndGetsExceptions) {
  uint16_t values[11] = {};
  ExchangeResult r = master.read(0x0100, 11, values);
  EXPECT_EQ(r.faults, 0);
  for (int k = 0; k < 11; ++k) EXPECT_EQ(values[k], 0x1000 + k) << k;

  const uint16_t written[3] = {0x4B1D, 0x0000, 0xFFFF};
  EXPECT_TRUE(master.write(0x0110, 3, written, "TEST").ok());
  uint16_t read_back[3] = {};
  EXPECT_TRUE(master.read(0x0110, 3, read_back).ok());
  EXPECT_EQ(std::vector<uint16_t>(read_back, read_back + 3), std::vector<uint16_t>(written, written + 3));

  exchange.retry_mask = 0;
  r = master.read(0x0000, 2, values);
  EXPECT_EQ(r.faults, 0x001A);
  EXPECT_EQ(r.exception, 2);
}

}  // namespace
}  // namespace orn
