// The real serial port and transactions against independent slaves: a
// libmodbus RTU slave and a pymodbus RTU slave, over a pseudo-terminal null modem.
#include <gtest/gtest.h>

#include <memory>

#include "link/modbus_master.h"
#include "link/posix_serial_port.h"
#include "support/child_process.h"
#include "support/null_modem.h"
#include "support/master_rig.h"
#include "peer_checks.h"

namespace orn {
namespace {

struct Peer {
  const char* name;
  std::vector<std::string> command;  // the device path is appended
};

void PrintTo(const Peer& p, std::ostream* os) { *os << p.name; }

class PeerTest : public ::testing::TestWithParam<Peer>,
                 protected test::MasterRig<PosixSerialPort, BlockingPump, SystemClock> {
 protected:
  void SetUp() override {
    std::vector<std::string> argv = GetParam().command;
    argv.push_back(modem.path_a());
    slave = std::make_unique<test::ChildProcess>(argv);
    ASSERT_EQ(slave->read_line(10000), "ready");
    ASSERT_TRUE(port.open(modem.path_b(), 19200, kParityNone));
    // The slave opens its port after saying ready: wait until it answers.
    uint16_t value = 0;
    for (int i = 0; i < 20 && !master.read(0x0100, 1, &value).ok(); ++i) {
    }
    ASSERT_EQ(value, 0x1000);
  }
  void TearDown() override { EXPECT_EQ(slave->terminate(), 0); }

  test::NullModem modem;
  std::unique_ptr<test::ChildProcess> slave;
};

TEST_P(PeerTest, ReadsElevenRegistersOfTheMeasurementBlock) { test::expectMeasurementBlockRead(master); }

TEST_P(PeerTest, WrittenRegistersReadBack) { test::expectWrittenRegistersReadBack(master); }

TEST_P(PeerTest, AnUnmappedAddressGivesExceptionTwo) {
  exchange.retry_mask = 0;
  test::expectExceptionTwoAtAnUnmappedAddress(master);
}

TEST_P(PeerTest, AnotherSlaveAddressGetsNoAnswer) {
  exchange.retry_mask = 0;
  link.address = 9;
  uint16_t value = 0;
  const ExchangeResult r = master.read(0x0100, 1, &value);
  EXPECT_EQ(r.faults, kFaultNoAnswer | kFaultLength | kFaultAddress | kFaultFunction | kFaultCrc);
}

std::string peer_name(const ::testing::TestParamInfo<Peer>& p) { return p.param.name; }

INSTANTIATE_TEST_SUITE_P(Slaves, PeerTest,
                         ::testing::Values(Peer{"libmodbus", {LIBMODBUS_SLAVE}},
                                           Peer{"pymodbus", {"/usr/bin/python3", PYMODBUS_SLAVE}}),
                         peer_name);

}  // namespace
}  // namespace orn
