// A polling cycle allocates nothing on the heap, with the exchange trace and
// the measured-value log on, whether its read succeeds or fails: this binary
// counts every heap allocation while cycles run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "measure/polling.h"
#include "support/temp_folder.h"
#include "support/allocation_counter.h"
#include "support/canned_port.h"
#include "support/fakes.h"
#include "support/master_rig.h"

namespace orn {
namespace {

struct PollingAllocation : ::testing::Test, test::MasterRig<test::CannedPort> {};

TEST_F(PollingAllocation, CyclesWithTraceAndLogAllocateNothing) {
  if (!test::kAllocationsCounted) GTEST_SKIP() << "the sanitizer owns malloc";
  exchange.reask_val = 1;  // every third cycle fails
  pump.waits.reserve(1000);
  const test::TempFolder folder;
  exchange.use_log_file = 1;
  exchange.log_file_name = folder.file("COM.txt");
  MeasureLogSettings log;
  log.write_file = 1;
  log.izm_name = folder.file("izm.txt");
  MeasuredValue record;
  PollCounters counters;

  poll_cycle(master, MeasureBlock::Measurement, record, counters, log, clock);
  const long before = test::allocations();
  for (int i = 0; i < 60; ++i) poll_cycle(master, MeasureBlock::Measurement, record, counters, log, clock);
  EXPECT_EQ(test::allocations() - before, 0);
  EXPECT_EQ(counters.cycles, 61);
  EXPECT_EQ(counters.exchange_errors, 20);
  // Every cycle left its line and its two trace records.
  const std::string lines = test::read_bytes(log.izm_name);
  EXPECT_EQ(static_cast<int>(std::count(lines.begin(), lines.end(), '\n')), 61);
  const std::string trace = test::read_bytes(exchange.log_file_name);
  size_t answers = 0;
  for (size_t at = trace.find("Answ:"); at != std::string::npos; at = trace.find("Answ:", at + 1)) ++answers;
  EXPECT_EQ(answers, 61u);
}

}  // namespace
}  // namespace orn
