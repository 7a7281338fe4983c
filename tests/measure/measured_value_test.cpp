// Reads of the measurement, constant and latched blocks into the record, and
// the latch command, against a scripted transmitter.
#include "measure/measured_value.h"

#include <gtest/gtest.h>

#include "measure/measure_fixture.h"
#include "measure/measurement_display.h"
#include "measure/polling.h"
#include "link/failure_report.h"

namespace orn {
namespace {

using test::BlockWords;
using test::Bytes;

class MeasuredValueTest : public ::testing::Test, protected test::MasterFixture {
 protected:
  // The start address of the last request written.
  uint16_t requested_address() const {
    const Bytes& f = port.written.back();
    return static_cast<uint16_t>(f[2] << 8 | f[3]);
  }
  MeasuredValue record;
};

// PIZMF 101.325f in each byte order, as the words come over the line; TIZMF
// stays in order 0 whatever STATP announces.
TEST_F(MeasuredValueTest, PizmfFollowsTheOrderOfStatpAndTizmfIsAlwaysOrderZero) {
  struct Case {
    uint16_t statp;
    uint16_t a, b;
  };
  const Case cases[] = {
      {0x0200, 0x42CA, 0xA666},  // "0 1 2 3"
      {0x4200, 0xA666, 0x42CA},  // "2 3 0 1"
      {0x8200, 0xCA42, 0x66A6},  // "1 0 3 2"
      {0xC000, 0x66A6, 0xCA42},  // "3 2 1 0"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "STATP " << c.statp);
    BlockWords w = test::good_block();
    w[0] = c.a;
    w[1] = c.b;
    w[4] = c.statp;
    port.answers.push_back(test::block_answer(w));
    const ExchangeResult r = read_measurement(master, MeasureBlock::Measurement, record);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(record.faults, 0);
    EXPECT_EQ(record.pizmf, 101.325f);
    EXPECT_EQ(record.tizmf, 23.5f);
    EXPECT_EQ(record.statp, c.statp);
  }
}

TEST_F(MeasuredValueTest, DecodesEveryFieldFromItsWord) {
  const BlockWords w = {test::kPizmfHi, test::kPizmfLo, 0xFFFF, 0x0013, 0x0200, 0x1111, 0x2222,
                        0x0290, test::kTizmfHi, test::kTizmfLo, 0x3333};
  port.answers.push_back(test::block_answer(w));
  ASSERT_TRUE(read_measurement(master, MeasureBlock::Measurement, record).ok());
  EXPECT_EQ(record.relative, 0xFFFF);
  EXPECT_EQ(record.izmerr, 0x0013);
  EXPECT_EQ(record.btn, 0x0290);
  EXPECT_EQ(record.init, 0);  // BTN bit 6 is clear
  EXPECT_EQ(port.written.back()[5], 11);  // eleven registers asked for
}

TEST_F(MeasuredValueTest, EachBlockHasItsAddressAndOnlyTheLatchedOneLeavesInit) {
  struct Case {
    MeasureBlock block;
    uint16_t address;
    uint16_t btn;
    uint16_t init_before;
    uint16_t init_after;
  };
  const Case cases[] = {
      {MeasureBlock::Measurement, 0x0100, 0x0040, 0, 1},
      {MeasureBlock::Measurement, 0x0100, 0x0000, 1, 0},
      {MeasureBlock::Constant, 0x0800, 0x0040, 0, 1},
      {MeasureBlock::Latched, 0x0300, 0x0000, 1, 1},
      {MeasureBlock::Latched, 0x0300, 0x0040, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "address " << std::hex << c.address << " BTN " << c.btn);
    BlockWords w = test::good_block();
    w[7] = c.btn;
    port.answers.push_back(test::block_answer(w));
    record.init = c.init_before;
    ASSERT_TRUE(read_measurement(master, c.block, record).ok());
    EXPECT_EQ(requested_address(), c.address);
    EXPECT_EQ(record.btn, c.btn);
    EXPECT_EQ(record.init, c.init_after);
  }
  EXPECT_EQ(live_block(true), MeasureBlock::Constant);
  EXPECT_EQ(live_block(false), MeasureBlock::Measurement);
}

TEST_F(MeasuredValueTest, AFailedReadStoresOnlyItsFaultSet) {
  struct Case {
    const char* what;
    std::vector<Bytes> answers;
    uint16_t faults;
    uint16_t exception;
  };
  BlockWords bad_crc_words = test::good_block();
  bad_crc_words[3] = 0x0FFF;
  Bytes bad_crc = test::block_answer(bad_crc_words);
  bad_crc.back() ^= 0xFF;
  const Case cases[] = {
      {"silence", {}, 0x006E, 0},
      {"exception 2", {test::read_exception_answer(), test::read_exception_answer()}, 0x001A, 2},
      {"wrong CRC twice", {bad_crc, bad_crc}, 0x0020, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MeasuredValue before;
    before.pizmf = 1.5f;
    before.relative = 7;
    before.izmerr = 0x0010;
    before.statp = 0x4300;
    before.btn = 0x0200;
    before.tizmf = -3.25f;
    before.init = 1;
    record = before;
    port.answers.assign(c.answers.begin(), c.answers.end());
    const ExchangeResult r = read_measurement(master, MeasureBlock::Measurement, record);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.exception, c.exception);
    // The second attempt fails like the first: the retried bit comes with it.
    EXPECT_EQ(record.faults, c.faults | kFaultRetried);
    EXPECT_EQ(record.pizmf, before.pizmf);
    EXPECT_EQ(record.relative, before.relative);
    EXPECT_EQ(record.izmerr, before.izmerr);
    EXPECT_EQ(record.statp, before.statp);
    EXPECT_EQ(record.btn, before.btn);
    EXPECT_EQ(record.tizmf, before.tizmf);
    EXPECT_EQ(record.init, before.init);
  }
}

// Address 255 sends without checking the answer: whatever arrives (here even a
// well-formed block), nothing is read. The record keeps the last values, the
// page says the answer was not checked, a single read is not a success and
// its message says why, and a polling cycle counts as a failed exchange.
TEST_F(MeasuredValueTest, AtAddress255NothingIsReadAndNothingPassesForRead) {
  port.answers.push_back(test::block_answer(test::good_block()));
  ASSERT_TRUE(read_measurement(master, MeasureBlock::Measurement, record).ok());
  const MeasuredValue before = record;

  link.address = kAddressNoAnswerCheck;
  BlockWords other = test::good_block();
  other[0] = 0;
  port.answers.push_back(test::block_answer(other));
  const ExchangeResult r = read_measurement(master, MeasureBlock::Measurement, record);
  EXPECT_EQ(port.written.back(), test::with_crc({0xFF, 0x03, 0x01, 0x00, 0x00, 0x0B}));
  EXPECT_EQ(r.faults, 0);
  EXPECT_TRUE(r.unchecked);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(record.pizmf, before.pizmf);
  EXPECT_EQ(record.statp, before.statp);
  EXPECT_EQ(record.btn, before.btn);
  const MeasurementView v = measurement_display(record.izmerr, record.statp, record.faults, record);
  EXPECT_EQ(v.value, "101.3250   ");
  EXPECT_EQ(v.exchange, "Ответ не проверен");
  EXPECT_EQ(v.exchange_colour, StatusColour::Yellow);
  const auto m = failure_message(r);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->text, "Адрес 255: ответ прибора не проверяется, значения не прочитаны.");

  PollCounters counters;
  const MeasureLogSettings no_log;
  EXPECT_FALSE(poll_cycle(master, MeasureBlock::Measurement, record, counters, no_log, clock).ok());
  EXPECT_EQ(counters.cycles, 1);
  EXPECT_EQ(counters.exchange_errors, 1);
  EXPECT_EQ(counters.retries, 0);
  EXPECT_EQ(record.pizmf, before.pizmf);

  // Back at a checked address the next good read is shown as normal again.
  link.address = 1;
  port.answers.push_back(test::block_answer(test::good_block()));
  ASSERT_TRUE(read_measurement(master, MeasureBlock::Measurement, record).ok());
  EXPECT_EQ(measurement_display(record.izmerr, record.statp, record.faults, record).exchange,
            "Нормальный обмен");
}

TEST_F(MeasuredValueTest, AReadGoodOnlyAfterARetryIsDecodedButShownAsAnExchangeError) {
  port.answers.push_back({});  // silence, then a good answer
  port.answers.push_back(test::block_answer(test::good_block()));
  const ExchangeResult r = read_measurement(master, MeasureBlock::Measurement, record);
  EXPECT_EQ(r.faults, kFaultRetried);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(record.faults, kFaultRetried);
  EXPECT_EQ(record.pizmf, 101.325f);
  const MeasurementView v = measurement_display(record.izmerr, record.statp, record.faults, record);
  EXPECT_EQ(v.exchange, "Ошибка в обмене");
  EXPECT_EQ(v.exchange_colour, StatusColour::Yellow);
}

TEST_F(MeasuredValueTest, RejectedFloatsArriveAsZero) {
  record.pizmf = 5.0f;
  record.tizmf = 5.0f;
  BlockWords w = test::good_block();
  w[0] = 0x7FC0;  // NaN
  w[1] = 0x0000;
  w[8] = 0x4B80;  // 16777216 > 10000000
  w[9] = 0x0000;
  port.answers.push_back(test::block_answer(w));
  ASSERT_TRUE(read_measurement(master, MeasureBlock::Measurement, record).ok());
  EXPECT_EQ(record.pizmf, 0.0f);
  EXPECT_EQ(record.tizmf, 0.0f);
}

TEST_F(MeasuredValueTest, LatchWritesOneToTheLatchRegister) {
  port.answers.push_back(test::with_crc({0x01, 0x10, 0x04, 0x17, 0x00, 0x01}));
  EXPECT_TRUE(latch_measurement(master).ok());
  ASSERT_EQ(port.written.size(), 1u);
  EXPECT_EQ(port.written[0], test::with_crc({0x01, 0x10, 0x04, 0x17, 0x00, 0x01, 0x02, 0x00, 0x01}));

  port.answers.push_back(test::with_crc({0x01, 0x90, 0x02}));
  exchange.retry_mask = 0;
  const ExchangeResult r = latch_measurement(master);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.exception, 2);
}

}  // namespace
}  // namespace orn
