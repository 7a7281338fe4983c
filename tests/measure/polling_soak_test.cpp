// Fault soak: 10,000 transactions of the master against the simulated
// transmitter on the in-memory line, about 10 % of the answers spoiled with
// every fault the simulator can inject. No spoiled answer may pass for a good
// one, every good one must carry the device's values, and the polling
// counters must equal what was injected. Virtual time: it runs in seconds.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "link/modbus_master.h"
#include "measure/polling.h"
#include "sim/fault_injection.h"
#include "sim/register_map.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"

namespace orn {
namespace {

// Waits cost no real time: they move the port's virtual clock on.
class VirtualTimePump final : public Pump {
 public:
  explicit VirtualTimePump(sim::SimSerialPort& port) : port_(port) {}
  void dispatch() override {}
  void wait(uint32_t ms) override { port_.now_ms += ms; }
  void sleep(uint32_t ms) override { port_.now_ms += ms; }

 private:
  sim::SimSerialPort& port_;
};

class NoClock final : public Clock {
 public:
  LocalTime now() override { return {}; }
};

TEST(PollingSoak, TenThousandTransactionsWithTenPercentFaultyAnswers) {
  constexpr int kTransactions = 10000;
  sim::SimLine line;
  sim::TransmitterConfig config;
  config.link.parity = kParityEven;  // so that injected line errors are reported
  sim::Transmitter& device = line.add(config);
  // A delay beyond the read's total time-out (24 * 29 + 2000 ms at 19200 baud) is an answer lost.
  line.faults().set_random(0.10,
                           {{sim::FaultKind::Silence}, {sim::FaultKind::BadCrc},
                            {sim::FaultKind::ForeignAddress}, {sim::FaultKind::WrongFunction},
                            {sim::FaultKind::Exception}, {sim::FaultKind::Surplus},
                            {sim::FaultKind::Truncated}, {sim::FaultKind::Delay, 5000},
                            {sim::FaultKind::LineError}},
                           20261210);
  sim::SimSerialPort port(line);
  ASSERT_TRUE(port.open(port.device_path, 19200, kParityEven));
  VirtualTimePump pump(port);
  NoClock clock;
  LinkParams link;
  link.parity = kParityEven;
  ExchangeSettings exchange;  // two attempts, every fault retried
  RateTimeouts timeouts;
  ModbusMaster master(port, pump, clock, link, exchange, timeouts);

  // Two blocks of registers that do not change by themselves, and the latch command.
  struct Block {
    uint16_t start;
    uint8_t count;
  };
  constexpr std::array<Block, 2> kBlocks = {{{sim::reg::MODEL, 11}, {sim::reg::UNIT, 27}}};

  PollCounters counters;
  PollCounters expected;
  unsigned misreported = 0, wrong_values = 0, spoiled_answers = 0;
  for (int i = 0; i < kTransactions; ++i) {
    const unsigned injected_before = line.faults().applied();
    const unsigned surplus_before = line.faults().applied(sim::FaultKind::Surplus);
    ExchangeResult r;
    uint16_t values[27] = {};
    const Block& block = kBlocks[static_cast<size_t>(i) % kBlocks.size()];
    const bool write = i % 5 == 4;
    if (write) {
      const uint16_t one = 1;
      r = master.write(sim::reg::LATCH, 1, &one, "LATCH");
    } else {
      r = master.read(block.start, block.count, values);
    }
    // Each attempt's answer is spoiled at most once: one spoiled answer means a
    // good second attempt, two mean the transaction failed. A write reads the
    // 8 bytes of its answer and no more, so surplus bytes after a correct one
    // spoil nothing (the next attempt purges them).
    unsigned spoiled = line.faults().applied() - injected_before;
    if (write) spoiled -= line.faults().applied(sim::FaultKind::Surplus) - surplus_before;
    spoiled_answers += spoiled;
    if (r.ok() != (spoiled < 2)) ++misreported;
    if (r.ok() && !write) {
      for (uint8_t k = 0; k < block.count; ++k)
        wrong_values += values[k] != device.read_register(static_cast<uint16_t>(block.start + k), port.now_ms);
    }
    count_poll_cycle(counters, r.faults, 0);
    const uint16_t expected_faults =
        static_cast<uint16_t>((spoiled == 2 ? kFaultNoAnswer : 0) | (spoiled >= 1 ? kFaultRetried : 0));
    count_poll_cycle(expected, expected_faults, 0);
  }
  std::printf("soak: %d transactions, %u answers spoiled (by kind:", kTransactions, spoiled_answers);
  for (size_t k = 0; k < sim::kFaultKindCount; ++k) {
    const auto kind = static_cast<sim::FaultKind>(k);
    std::printf(" %s %u", std::string(sim::fault_kind_name(kind)).c_str(), line.faults().applied(kind));
    EXPECT_GT(line.faults().applied(kind), 0u) << sim::fault_kind_name(kind);
  }
  std::printf("), %u exchange errors, %u retries, %llu s of line time\n", counters.exchange_errors,
              counters.retries, static_cast<unsigned long long>(port.now_ms / 1000));
  EXPECT_EQ(misreported, 0u);
  EXPECT_EQ(wrong_values, 0u);
  EXPECT_EQ(counters.cycles, kTransactions);
  EXPECT_EQ(counters.exchange_errors, expected.exchange_errors);
  EXPECT_EQ(counters.retries, expected.retries);
  // About a tenth of the answers were spoiled.
  EXPECT_GT(spoiled_answers, 900u);
  EXPECT_LT(spoiled_answers, 1300u);
}

}  // namespace
}  // namespace orn
