// The master's transaction rules against a scripted port and a virtual clock.
#include "link/modbus_master.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"
#include "support/scripted_port.h"
#include "support/master_rig.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

using test::Bytes;
using test::with_crc;

class MasterTest : public ::testing::Test, protected test::MasterRig<test::ScriptedPort> {
 protected:
};

TEST_F(MasterTest, ReadOneRegisterSendsTheKnownFrameAndAsksTwoSurplusBytes) {
  port.answers.push_back(with_crc({0x01, 0x03, 0x02, 0x12, 0x34}));
  uint16_t value = 0, exception = 99;
  EXPECT_EQ(master.read_holding_registers(0x0000, 1, &value, exception), 0);
  EXPECT_EQ(exception, 0);
  EXPECT_EQ(value, 0x1234);
  ASSERT_EQ(port.written.size(), 1u);
  EXPECT_EQ(port.written[0], (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
  EXPECT_EQ(port.read_sizes, (std::vector<size_t>{9}));
  EXPECT_EQ(port.purges, 1);
}

struct SingleAttemptCase {
  const char* name;
  uint16_t address;
  uint16_t parity;
  uint8_t count;
  Bytes answer;
  uint32_t line_error;
  uint16_t faults;
  uint16_t exception;
};

// One attempt each (retry mask 0), so the fault set is exactly what the checks found.
TEST_F(MasterTest, AnswerChecksSetTheirBitsIndependently) {
  const SingleAttemptCase cases[] = {
      {"correct", 1, 0, 1, with_crc({0x01, 0x03, 0x02, 0x00, 0x07}), 0, 0x0000, 0},
      {"silence", 1, 0, 1, {}, 0, 0x006E, 0},
      {"silence, any address", 0, 0, 1, {}, 0, 0x006A, 0},
      {"exception answer", 1, 0, 2, {0x01, 0x83, 0x02, 0xC0, 0xF1}, 0, 0x001A, 2},
      {"wrong crc", 1, 0, 1, {0x01, 0x03, 0x02, 0x00, 0x07, 0x00, 0x00}, 0, 0x0020, 0},
      {"foreign address", 1, 0, 1, with_crc({0x05, 0x03, 0x02, 0x00, 0x07}), 0, 0x0004, 0},
      {"any address accepts slave 5", 0, 0, 1, with_crc({0x05, 0x03, 0x02, 0x00, 0x07}), 0, 0x0000, 0},
      {"wrong function", 1, 0, 1, with_crc({0x01, 0x04, 0x02, 0x00, 0x07}), 0, 0x0008, 0},
      {"surplus byte", 1, 0, 1, [] { auto b = with_crc({0x01, 0x03, 0x02, 0x00, 0x07}); b.push_back(0); return b; }(), 0, 0x0002, 0},
      {"truncated", 1, 0, 1, {0x01, 0x03, 0x02, 0x00, 0x07}, 0, 0x0022, 0},
      {"line error without parity", 1, 0, 1, with_crc({0x01, 0x03, 0x02, 0x00, 0x07}), 1, 0x0000, 0},
      {"line error with parity", 1, 2, 1, with_crc({0x01, 0x03, 0x02, 0x00, 0x07}), 1, 0x0001, 0},
      {"exception code 6", 1, 0, 1, with_crc({0x01, 0x83, 0x06}), 0, 0x001A, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    link.address = c.address;
    link.parity = c.parity;
    exchange.retry_mask = 0;
    port.answers = {c.answer};
    // take_line_errors: before the write, after it, after the read.
    port.line_errors = {0, 0, c.line_error};
    uint16_t values[2] = {}, exception = 0;
    EXPECT_EQ(master.read_holding_registers(0x0100, c.count, values, exception), c.faults);
    EXPECT_EQ(exception, c.exception);
  }
}

struct RetryCase {
  const char* name;
  uint16_t reask;
  uint16_t mask;
  std::vector<bool> good;  // answer of each attempt: correct or with a bad CRC
  uint16_t faults;
  size_t attempts;
};

TEST_F(MasterTest, FailedAttemptsAreRepeatedAfterAPumpedPause) {
  const RetryCase cases[] = {
      {"bad twice", 2, 0x7F, {false, false}, 0x8020, 2},
      {"bad then good", 2, 0x7F, {false, true}, 0x8000, 2},
      {"limit 1 still marks the retry", 1, 0x7F, {false}, 0x8020, 1},
      {"limit 0 counts as 1", 0, 0x7F, {false}, 0x8020, 1},
      {"mask 0: one attempt, no retry mark", 3, 0x00, {false}, 0x0020, 1},
      {"fault outside the mask is not retried", 3, 0x40, {false}, 0x0020, 1},
      {"good at once", 2, 0x7F, {true}, 0x0000, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    exchange.reask_val = c.reask;
    exchange.retry_mask = c.mask;
    port.answers.clear();
    port.written.clear();
    pump.waits.clear();
    for (bool g : c.good) {
      Bytes a = with_crc({0x01, 0x03, 0x02, 0x00, 0x2A});
      if (!g) a.back() ^= 0xFF;
      port.answers.push_back(a);
    }
    uint16_t value = 0, exception = 0;
    EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception), c.faults);
    EXPECT_EQ(port.written.size(), c.attempts);
    EXPECT_EQ(pump.waits, std::vector<uint32_t>(c.attempts - 1, 1000));
  }
}

TEST_F(MasterTest, SettingsAreReadAfreshAtEveryAttempt) {
  port.answers = {{}, with_crc({0x07, 0x03, 0x02, 0x00, 0x01})};
  // A handler running during the pause switches to address 7.
  pump.on_dispatch = [&] {
    if (!pump.waits.empty()) link.address = 7;
  };
  uint16_t value = 0, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception), kFaultRetried);
  ASSERT_EQ(port.written.size(), 2u);
  EXPECT_EQ(port.written[0][0], 1);
  EXPECT_EQ(port.written[1][0], 7);
}

TEST_F(MasterTest, NoAnswerCheckAddressAcceptsAnythingAndFillsNothing) {
  link.address = 255;
  port.answers = {{0xDE, 0xAD}};
  uint16_t value = 0x5555, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception), 0);
  EXPECT_EQ(value, 0x5555);
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_TRUE(pump.sleeps.empty());

  const uint16_t one = 1;
  EXPECT_EQ(master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK"), 0);
  EXPECT_EQ(pump.sleeps, (std::vector<uint32_t>{400}));
  EXPECT_TRUE(pump.waits.empty());
}

TEST_F(MasterTest, WriteFrameChecksAndRetries) {
  const uint16_t values[2] = {0x1234, 0xABCD};
  const Bytes echo = with_crc({0x01, 0x10, 0x04, 0x16, 0x00, 0x02});
  port.answers = {echo};
  uint16_t exception = 0;
  EXPECT_EQ(master.write_multiple_registers(0x0416, 2, values, exception, "X"), 0);
  EXPECT_EQ(port.written[0], with_crc({0x01, 0x10, 0x04, 0x16, 0x00, 0x02, 0x04, 0x12, 0x34, 0xAB, 0xCD}));
  EXPECT_EQ(port.read_sizes, (std::vector<size_t>{8}));

  // An exception answer is retried under the default mask and reported with its code.
  port.answers = {with_crc({0x01, 0x90, 0x03}), with_crc({0x01, 0x90, 0x03})};
  EXPECT_EQ(master.write_multiple_registers(0x0416, 2, values, exception, "X"),
            kFaultRetried | kFaultException | kFaultLength | kFaultFunction);
  EXPECT_EQ(exception, 3);
  EXPECT_EQ(pump.waits, (std::vector<uint32_t>{1000}));
}

TEST_F(MasterTest, WriteDispatchesNoEventsInsideAnAttempt) {
  port.answers = {with_crc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})};
  const uint16_t one = 1;
  uint16_t exception = 0;
  EXPECT_EQ(master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK"), 0);
  EXPECT_EQ(pump.dispatches, 0u);
}

// Reads that end at the frame: what the port is asked for, the faults, and
// what the next transaction sees of the line before its request.
TEST_F(MasterTest, ReadsEndingAtTheFrameAskForTheFrameAndCheckTheSilenceBeforeTheNextRequest) {
  struct Case {
    const char* name;
    std::vector<Bytes> reads;        // what each read of the first transaction returns
    uint16_t faults;
    std::vector<size_t> read_sizes;  // of the first transaction
    Bytes after;                     // what the next transaction finds before its request
    bool silence_read;               // whether it looks for such bytes
  };
  const Bytes good = with_crc({0x01, 0x03, 0x02, 0x00, 0x07});
  Bytes bad_crc = good;
  bad_crc.back() ^= 0xFF;
  const Case cases[] = {
      {"whole and valid: ends at its last byte", {good}, 0x0000, {7}, {}, true},
      {"bytes after it are late for the next transaction", {good}, 0x0000, {7}, {0xFF, 0xFF}, true},
      {"bad CRC: read on to the silence", {bad_crc, {}}, 0x0020, {7, 2}, {}, false},
      {"bad CRC with more bytes: a wrong length", {bad_crc, {0x00}}, 0x0022, {7, 2}, {}, false},
      {"short: ended by its time-out", {{0x01, 0x03, 0x02}}, 0x0022, {7}, {}, false},
      {"silence", {{}}, 0x006E, {7}, {}, false},
  };
  master.end_reads_at_frame(true);
  exchange.retry_mask = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port.answers.assign(c.reads.begin(), c.reads.end());
    port.read_sizes.clear();
    port.timeouts.clear();
    uint16_t value = 0;
    const ExchangeResult first = master.read(0x0100, 1, &value);
    EXPECT_EQ(first.faults, c.faults);
    EXPECT_EQ(port.read_sizes, c.read_sizes);
    if (c.read_sizes.size() > 1) {
      // The rest of a full-length answer with a bad CRC is due within the interval time-out.
      const SerialTimeouts& tail = port.timeouts.back();
      EXPECT_EQ(tail.read_interval, 24u);
      EXPECT_EQ(tail.read_constant, 24u);
      EXPECT_EQ(tail.read_multiplier, 0u);
    }

    port.answers.clear();
    if (c.silence_read) port.answers.push_back(c.after);
    port.answers.push_back(good);
    port.read_sizes.clear();
    port.timeouts.clear();
    const ExchangeResult next = master.read(0x0100, 1, &value);
    EXPECT_EQ(next.faults, 0);
    EXPECT_EQ(next.late_bytes, c.after.size());
    EXPECT_EQ(value, 7);
    if (c.silence_read) {
      ASSERT_EQ(port.read_sizes.size(), 2u);
      // 3.5 characters of 10 bits at 19200 baud, then the answer's own time-outs.
      const SerialTimeouts& silence = port.timeouts.front();
      EXPECT_EQ(silence.first_byte_us, 1823u);
      EXPECT_EQ(silence.read_interval, 2u);
      EXPECT_EQ(port.timeouts.back().read_interval, 24u);
    } else {
      EXPECT_EQ(port.read_sizes, (std::vector<size_t>{7}));
    }
    // Leave the line as the next case expects it: no answer taken at its last byte.
    port.answers = {{}};
    master.read(0x0100, 1, &value);
  }
}

// The late bytes are in the trace, after the answer they followed.
TEST_F(MasterTest, LateBytesAreTraced) {
  const test::TempFolder folder;
  exchange.use_log_file = 1;
  exchange.log_file_name = folder.file("COM.txt");
  master.end_reads_at_frame(true);
  const Bytes good = with_crc({0x01, 0x03, 0x02, 0x00, 0x07});
  port.answers = {good, {0xAB, 0xCD}, good, {}, good};
  uint16_t value = 0;
  master.read(0x0100, 1, &value);
  EXPECT_EQ(master.read(0x0100, 1, &value).late_bytes, 2);
  EXPECT_EQ(master.read(0x0100, 1, &value).late_bytes, 0);
  const std::string trace = test::read_bytes(exchange.log_file_name);
  const size_t late = trace.find("Late:\r\n ab cd");
  ASSERT_NE(late, std::string::npos) << trace;
  EXPECT_LT(trace.find("Answ:\r\n 01 03 02 00 07"), late);
  EXPECT_EQ(trace.find("Late:"), trace.rfind("Late:")) << "only bytes that came are traced";
}

TEST_F(MasterTest, TimeoutsFollowTheRateAndTheProgramGap) {
  struct Case {
    uint16_t rate_index, gap;
    SerialTimeouts expected;
  };
  timeouts.rttm[1] = 90;
  timeouts.rit[1] = 80;
  const Case cases[] = {
      {7, 0, {24, 24, 2000, 0, 0}},
      {4, 5, {85, 95, 2005, 0, 0}},
      {10, 0, {12, 12, 2000, 0, 0}},
      {2, 0, {192, 192, 2000, 0, 0}},
  };
  for (const auto& c : cases) {
    link.rate_index = c.rate_index;
    exchange.time_gap_prg = c.gap;
    port.timeouts.clear();
    port.answers = {with_crc({0x01, 0x03, 0x02, 0x00, 0x01})};
    uint16_t value = 0, exception = 0;
    master.read_holding_registers(0x0100, 1, &value, exception);
    ASSERT_EQ(port.timeouts.size(), 1u);
    const SerialTimeouts& t = port.timeouts[0];
    EXPECT_EQ(t.read_interval, c.expected.read_interval) << c.rate_index;
    EXPECT_EQ(t.read_multiplier, c.expected.read_multiplier) << c.rate_index;
    EXPECT_EQ(t.read_constant, c.expected.read_constant) << c.rate_index;
    EXPECT_EQ(t.write_multiplier, 0u);
    EXPECT_EQ(t.write_constant, 0u);
  }
}

// A stop (a signal, the window closing) raised while a transaction
// dispatches events ends it after the current attempt: no pause, no further
// attempt, the faults as they are. Then nothing new goes out, except inside a
// Finishing scope (the lock after an unlock), which runs with its retries.
TEST_F(MasterTest, AStopEndsTheRunningAttemptAndStartsNothingNewUnlessFinishing) {
  StopFlag stop;
  master.set_stop(stop);
  exchange.reask_val = 3;
  pump.on_dispatch = [&] { stop.raise(2); };
  uint16_t value = 0, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception), kFaultRetried | 0x006E);
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_TRUE(pump.waits.empty());

  pump.on_dispatch = nullptr;
  const uint16_t one = 1;
  EXPECT_EQ(master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK"), kFaultStopped);
  EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception), kFaultStopped);
  EXPECT_EQ(port.written.size(), 1u);

  const StopFlag::Finishing finishing(stop);
  port.answers = {{}, with_crc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})};
  EXPECT_EQ(master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK"), kFaultRetried);
  EXPECT_EQ(port.written.size(), 3u);
  EXPECT_EQ(pump.waits, std::vector<uint32_t>{1000});
}

// A write dispatches no events inside its attempt: a stop raised in its
// retry pause ends it there.
TEST_F(MasterTest, AStopInAWritesRetryPauseEndsIt) {
  StopFlag stop;
  master.set_stop(stop);
  exchange.reask_val = 3;
  pump.on_dispatch = [&] { stop.raise(15); };
  const uint16_t one = 1;
  uint16_t exception = 0;
  EXPECT_EQ(master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK"), kFaultRetried | 0x006E);
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_EQ(pump.waits, std::vector<uint32_t>{1000});
}

TEST_F(MasterTest, ATransactionStartedDuringAnotherIsRefusedWithoutTouchingTheLine) {
  uint16_t nested_faults = 0;
  pump.on_dispatch = [&] {
    if (nested_faults != 0) return;
    uint16_t v = 0, e = 0;
    nested_faults = master.read_holding_registers(0x0300, 1, &v, e);
    const uint16_t one = 1;
    EXPECT_EQ(master.write_multiple_registers(0x0416, 1, &one, e, "BLINK"), kFaultLineBusy);
  };
  port.answers = {with_crc({0x01, 0x03, 0x02, 0x00, 0x01})};
  uint16_t value = 0, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception), 0);
  EXPECT_EQ(nested_faults, kFaultLineBusy);
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_FALSE(master.busy());
}

// Events seen during a read come inside an attempt or in the retry pause;
// the line is idle again once the read has returned.
TEST_F(MasterTest, TheLineStateFollowsTheAttemptsAndThePause) {
  std::vector<LineState> at_dispatch;
  pump.on_dispatch = [&] { at_dispatch.push_back(master.line_state()); };
  port.answers = {{}, with_crc({0x01, 0x03, 0x02, 0x00, 0x01})};
  uint16_t value = 0;
  EXPECT_EQ(master.read(0x0100, 1, &value).faults, kFaultRetried);
  EXPECT_EQ(master.line_state(), LineState::Idle);
  ASSERT_FALSE(at_dispatch.empty());
  EXPECT_EQ(std::count(at_dispatch.begin(), at_dispatch.end(), LineState::RetryPause), 1);
  EXPECT_EQ(std::count(at_dispatch.begin(), at_dispatch.end(), LineState::Idle), 0);
  EXPECT_EQ(at_dispatch.front(), LineState::Attempt);
  EXPECT_EQ(at_dispatch.back(), LineState::Attempt);
}

TEST_F(MasterTest, WithNoPortOpenEveryAttemptEndsWithoutAnAnswer) {
  port.close();
  uint16_t value = 0, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0x0100, 1, &value, exception),
            kFaultRetried | 0x006E);
  EXPECT_EQ(pump.waits, (std::vector<uint32_t>{1000}));
}

TEST_F(MasterTest, CountsOutsideTheBuffersAreRefused) {
  uint16_t values[125] = {}, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0, 0, values, exception), kFaultLength);
  EXPECT_EQ(master.read_holding_registers(0, 125, values, exception), kFaultLength);
  EXPECT_EQ(master.write_multiple_registers(0, 124, values, exception, ""), kFaultLength);
  EXPECT_TRUE(port.written.empty());
  port.answers = {{}};
  exchange.retry_mask = 0;
  master.read_holding_registers(0, 124, values, exception);
  EXPECT_EQ(port.read_sizes, (std::vector<size_t>{255}));
}

}  // namespace
}  // namespace orn
