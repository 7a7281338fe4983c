#pragma once
// What every independent peer must agree on with the master, over any
// framing: both peers hold 0x1000 + k at 0x0100 + k and refuse address 0.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/modbus_master.h"

namespace orn::test {

inline void expectMeasurementBlockRead(ModbusMaster& master) {
  uint16_t values[11] = {};
  const ExchangeResult r = master.read(0x0100, 11, values);
  EXPECT_EQ(r.faults, 0);
  EXPECT_EQ(r.exception, 0);
  for (int k = 0; k < 11; ++k) EXPECT_EQ(values[k], 0x1000 + k) << k;
}

inline void expectWrittenRegistersReadBack(ModbusMaster& master) {
  const uint16_t written[3] = {0x4B1D, 0x0000, 0xFFFF};
  EXPECT_TRUE(master.write(0x0110, 3, written, "TEST").ok());
  uint16_t read_back[3] = {};
  EXPECT_TRUE(master.read(0x0110, 3, read_back).ok());
  EXPECT_EQ(std::vector<uint16_t>(read_back, read_back + 3), std::vector<uint16_t>(written, written + 3));
}

// Call with retries off: a refusal shows its exception at once.
inline void expectExceptionTwoAtAnUnmappedAddress(ModbusMaster& master) {
  uint16_t values[2] = {};
  ExchangeResult r = master.read(0x0000, 2, values);
  EXPECT_EQ(r.faults, 0x001A);
  EXPECT_EQ(r.exception, 2);
  r = master.write(0x0000, 2, values, "TEST");
  EXPECT_EQ(r.faults, 0x001A);
  EXPECT_EQ(r.exception, 2);
}

}  // namespace orn::test
