// The polling counters and the polling cycle: reading, counting and logging
// against a scripted transmitter.
#include "measure/polling.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "measure/measure_fixture.h"

namespace orn {
namespace {

TEST(PollCounters, EachCounterCountsItsOwnCondition) {
  struct Case {
    const char* what;
    uint16_t faults, izmerr;
    PollCounters expected;  // cycles, measurement errors, exchange errors, retries
  };
  const Case cases[] = {
      {"clean", 0x0000, 0x0000, {1, 0, 0, 0}},
      {"retry only", 0x8000, 0x0000, {1, 0, 0, 1}},
      {"time-out", 0x006E, 0x0000, {1, 0, 1, 0}},
      {"time-out after a retry", 0x806E, 0x0000, {1, 0, 1, 1}},
      {"below the range", 0x0000, 0x0002, {1, 0, 0, 0}},
      {"above the range", 0x0000, 0x0004, {1, 0, 0, 0}},
      {"ADC error", 0x0000, 0x0010, {1, 1, 0, 0}},
      {"bits without text", 0x0000, 0x0080, {1, 1, 0, 0}},
      {"high bits", 0x0000, 0x8000, {1, 1, 0, 0}},
      {"time-out with the last good error", 0x006E, 0x0001, {1, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PollCounters n;
    count_poll_cycle(n, c.faults, c.izmerr);
    EXPECT_EQ(n.cycles, c.expected.cycles);
    EXPECT_EQ(n.measurement_errors, c.expected.measurement_errors);
    EXPECT_EQ(n.exchange_errors, c.expected.exchange_errors);
    EXPECT_EQ(n.retries, c.expected.retries);
  }
}

TEST(PollCounters, WrapAfter65536) {
  PollCounters n;
  for (int i = 0; i < 65536; ++i) count_poll_cycle(n, 0x806E, 0x0001);
  EXPECT_EQ(n.cycles, 0);
  EXPECT_EQ(n.measurement_errors, 0);
  EXPECT_EQ(n.exchange_errors, 0);
  EXPECT_EQ(n.retries, 0);
  count_poll_cycle(n, 0, 0);
  EXPECT_EQ(n.cycles, 1);
}

class PollCycleTest : public ::testing::Test, protected test::MasterFixture {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orn-poll-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    folder = tmpl;
    log = {1, (folder / "izm.txt").string()};
    clock.time = {2026, 3, 5, 7, 4, 9, 0};
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::vector<std::string> log_lines() const {
    std::ifstream in(log.izm_name, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  std::filesystem::path folder;
  MeasureLogSettings log;
  MeasuredValue record;
  PollCounters counters;
};

TEST_F(PollCycleTest, FailedCyclesAreCountedAndLoggedWithTheLastGoodValues) {
  test::BlockWords w = test::good_block();
  w[3] = 0x0010;  // ADC error, counted as a measurement error
  w[4] = 0xC200;
  w[0] = 0x66A6;  // 101.325 in order "3 2 1 0"
  w[1] = 0xCA42;
  port.answers.push_back(test::block_answer(w));
  // The next two cycles get silence on both attempts each.
  EXPECT_TRUE(poll_cycle(master, MeasureBlock::Measurement, record, counters, log, clock).ok());
  EXPECT_FALSE(poll_cycle(master, MeasureBlock::Measurement, record, counters, log, clock).ok());
  const ExchangeResult r = poll_cycle(master, MeasureBlock::Measurement, record, counters, log, clock);
  EXPECT_EQ(r.faults, 0x806E);
  EXPECT_EQ(record.faults, 0x806E);

  EXPECT_EQ(counters.cycles, 3);
  EXPECT_EQ(counters.exchange_errors, 2);
  EXPECT_EQ(counters.retries, 2);
  EXPECT_EQ(counters.measurement_errors, 3);

  const std::string line =
      "5.3.2026 07:04:09  PIZMF=   101.3250 IZMERR=  10 TIZMF=      23.50 STATP=c200 BTN=  40    \r";
  EXPECT_EQ(log_lines(), std::vector<std::string>(3, line));
}

TEST_F(PollCycleTest, ReadsTheConstantBlockWhenAskedAndLogsOnlyWhenSwitchedOn) {
  log.write_file = 0;
  port.answers.push_back(test::block_answer(test::good_block()));
  EXPECT_TRUE(poll_cycle(master, live_block(true), record, counters, log, clock).ok());
  EXPECT_EQ(port.written.back()[2], 0x08);
  EXPECT_EQ(port.written.back()[3], 0x00);
  EXPECT_EQ(counters.cycles, 1);
  EXPECT_EQ(record.init, 1);
  EXPECT_FALSE(std::filesystem::exists(log.izm_name));
}

}  // namespace
}  // namespace orn
