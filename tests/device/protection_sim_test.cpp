// The identity check and the protected-write sequence against the simulated
// transmitter, through the real master and an in-memory line.
#include <gtest/gtest.h>

#include "device/protection.h"
#include "device/register_map.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"
#include "support/sim_master_rig.h"

namespace orn {
namespace {

class ProtectedWriteTest : public ::testing::Test, protected test::SimMasterRig {
 protected:
  void SetUp() override {
    line.add(sim::TransmitterConfig{});
    ASSERT_TRUE(port.open(port.device_path, 19200, kParityNone));
  }
  ExchangeResult write_dely(uint16_t value) { return master.write(reg_address("DELY"), 1, &value, "DELY"); }
  uint16_t read_dely() {
    uint16_t v = 0xFFFF;
    EXPECT_TRUE(master.read(reg_address("DELY"), 1, &v).ok());
    return v;
  }

};

TEST_F(ProtectedWriteTest, UnlockWriteLockAndRefusalWhileLocked) {
  exchange.retry_mask = 0;  // a refused write shows its exception at once
  const IdentityCheck id = check_identity(master);
  EXPECT_TRUE(id.accepted());
  EXPECT_EQ(id.values, (std::array<uint16_t, 3>{1, 6, 0}));

  const uint16_t before = read_dely();
  ExchangeResult r = write_dely(7);
  EXPECT_TRUE(r.faults & kFaultException);
  EXPECT_NE(r.exception, 0);
  EXPECT_EQ(read_dely(), before);

  EXPECT_TRUE(unlock_device(master).ok());
  EXPECT_TRUE(write_dely(7).ok());
  EXPECT_EQ(read_dely(), 7);
  EXPECT_TRUE(lock_device(master).ok());

  r = write_dely(9);
  EXPECT_TRUE(r.faults & kFaultException);
  EXPECT_EQ(read_dely(), 7);
}

TEST_F(ProtectedWriteTest, IdentityOfASilentLineIsRefused) {
  link.address = 9;  // nobody there
  const IdentityCheck id = check_identity(master);
  EXPECT_FALSE(id.accepted());
  EXPECT_TRUE(id.result.faults & kFaultNoAnswer);
}

}  // namespace
}  // namespace orn
