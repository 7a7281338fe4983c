// Transactions allocate nothing on the heap, with the exchange trace off and
// on: this binary counts every heap allocation while transactions run.
#include <gtest/gtest.h>

#include <string>

#include "link/modbus_master.h"
#include "support/allocation_counter.h"
#include "support/canned_port.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "support/master_rig.h"

namespace orn {
namespace {

struct MasterAllocation : ::testing::Test, test::MasterRig<test::CannedPort> {};

TEST_F(MasterAllocation, ReadsWritesRetriesAndTheirTraceAllocateNothing) {
  if (!test::kAllocationsCounted) GTEST_SKIP() << "the sanitizer owns malloc";
  pump.waits.reserve(1000);
  const test::TempFolder folder;
  exchange.log_file_name = folder.file("COM.txt");

  uint16_t value = 0, exception = 0;
  const uint16_t one = 1;
  for (const uint16_t traced : {uint16_t{0}, uint16_t{1}}) {
    SCOPED_TRACE(traced);
    exchange.use_log_file = traced;
    // The first traced label builds the code-page table once.
    master.write_multiple_registers(0x040E, 1, &one, exception, "пользовательский текст");
    unsigned failures = 0;
    const long before = test::allocations();
    for (int i = 0; i < 100; ++i) {
      failures |= master.read_holding_registers(0x0100, 1, &value, exception) & kFaultMask;
      failures |= master.write_multiple_registers(0x040E, 1, &one, exception, "пользовательский текст") & kFaultMask;
    }
    EXPECT_EQ(test::allocations() - before, 0);
    // The silent answers were retried and every transaction ended well.
    EXPECT_EQ(failures, 0u);
  }
  EXPECT_FALSE(pump.waits.empty());
  EXPECT_NE(test::read_bytes(folder.file("COM.txt")).find("Send:"), std::string::npos);
}

}  // namespace
}  // namespace orn
