// Several transmitters polled in turn on one simulated line: each read goes
// to its own address and lands in that transmitter's record and counters,
// whatever the others answer or fail to.
#include "measure/polled_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/fault_injection.h"
#include "support/sim_master_rig.h"

namespace orn {
namespace {

class PolledLineTest : public ::testing::Test, protected test::SimMasterRig {
 protected:
  void SetUp() override {
    for (const auto& [address, kpa] : {std::pair{1, 10.0}, {2, 20.0}, {3, 30.0}}) {
      sim::TransmitterConfig c;
      c.link.address = static_cast<uint16_t>(address);
      c.pressure.kpa = kpa;
      line.add(c);
    }
    ASSERT_TRUE(port.open(port.device_path, 19200, kParityNone));
    exchange.reask_val = 1;
  }
  // One cycle over the line; the addresses each request went to.
  std::vector<uint8_t> cycle(PolledLine& polled) {
    const size_t before = port.sent.size();
    for (PolledTransmitter& t : polled.transmitters())
      poll_transmitter(master, link, MeasureBlock::Measurement, t, no_log, clock);
    std::vector<uint8_t> to;
    for (size_t i = before; i < port.sent.size(); ++i) to.push_back(port.sent[i][0]);
    return to;
  }

  MeasureLogSettings no_log;
};

TEST_F(PolledLineTest, EachTransmitterHasItsOwnRecordAndCountersAndAnAbsentOneStopsNoOther) {
  const uint16_t addresses[] = {3, 7, 1, 2};  // 7 is not on the line
  PolledLine polled(addresses);
  link.address = 42;
  for (int i = 0; i < 3; ++i) {
    if (i == 1) line.faults().push({sim::FaultKind::BadCrc, 0});  // address 3's answer in the second cycle
    EXPECT_EQ(cycle(polled), (std::vector<uint8_t>{3, 7, 1, 2}));
  }
  EXPECT_EQ(link.address, 42) << "the link's own address is put back";

  struct Expected {
    uint16_t address;
    float kpa;
    uint16_t exchange_errors;
  };
  for (const Expected& e : {Expected{3, 30.0f, 1}, {7, 0.0f, 3}, {1, 10.0f, 0}, {2, 20.0f, 0}}) {
    SCOPED_TRACE(e.address);
    const PolledTransmitter* t = polled.find(e.address);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->address, e.address);
    EXPECT_NEAR(t->record.pizmf, e.kpa, 0.01f);
    EXPECT_EQ(t->counters.cycles, 3);
    EXPECT_EQ(t->counters.exchange_errors, e.exchange_errors);
  }
  EXPECT_EQ(polled.find(7)->record.faults, 0x806E);  // silence, its one attempt marked as always
  EXPECT_EQ(polled.find(4), nullptr);
  EXPECT_EQ(polled.find(300), nullptr);
}

TEST_F(PolledLineTest, ARepeatedAddressIsPolledOnce) {
  const uint16_t addresses[] = {2, 1, 2};
  PolledLine polled(addresses);
  ASSERT_EQ(polled.transmitters().size(), 2u);
  EXPECT_EQ(cycle(polled), (std::vector<uint8_t>{2, 1}));
}

// Reads taken at the answer's last byte: surplus bytes after one
// transmitter's answer are seen before the next request, reported with the
// next read and discarded, so they spoil neither answer.
TEST_F(PolledLineTest, SurplusAfterAnAnswerTakenAtItsLastByteIsLateForTheNextRead) {
  master.end_reads_at_frame(true);
  const uint16_t addresses[] = {1, 2, 3};
  PolledLine polled(addresses);
  line.faults().push({sim::FaultKind::Surplus, 3});  // after address 1's answer
  std::vector<ExchangeResult> results;
  for (PolledTransmitter& t : polled.transmitters())
    results.push_back(poll_transmitter(master, link, MeasureBlock::Measurement, t, no_log, clock));
  ASSERT_EQ(results.size(), 3u);
  for (const ExchangeResult& r : results) EXPECT_TRUE(r.ok()) << r.faults;
  EXPECT_EQ(results[0].late_bytes, 0);
  EXPECT_EQ(results[1].late_bytes, 3);
  EXPECT_EQ(results[2].late_bytes, 0);
  EXPECT_NEAR(polled.find(2)->record.pizmf, 20.0f, 0.01f);
}

}  // namespace
}  // namespace orn
