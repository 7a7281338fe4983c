#include "device/protection.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "device/register_map.h"
#include "link/crc16.h"
#include "support/fakes.h"

namespace orn {
namespace {

using Log = std::vector<std::string>;

std::string hex4(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%04X", v);
  return b;
}

// A pump that records its waits in the same log as the transmitter's requests.
class LoggingPump final : public Pump {
 public:
  explicit LoggingPump(Log& log) : log_(log) {}
  void dispatch() override {}
  void wait(uint32_t ms) override { log_.push_back("wait " + std::to_string(ms)); }
  void sleep(uint32_t ms) override { log_.push_back("sleep " + std::to_string(ms)); }

 private:
  Log& log_;
};

// A transmitter at address 1 behind an in-memory port: holding registers with the
// device's write protection. Writes other than the unlock steps are refused
// (exception 4) until ULDESIG/ULDEV got 1, 6 and USERLOCK/CLBLOCK the access code.
class FakeTransmitter final : public SerialPort {
 public:
  explicit FakeTransmitter(Log& log) : log_(log) {
    regs[reg_address("ID_DESIG")] = kIdDesig;
    regs[reg_address("ID_DEV")] = kIdDev;
    regs[reg_address("ID_ZERO")] = kIdZero;
  }

  bool open(const std::string&, uint32_t, uint16_t) override { return true; }
  void close() override {}
  bool is_open() const override { return true; }
  bool probe(const std::string&) override { return true; }
  void set_timeouts(const SerialTimeouts&) override {}
  void purge() override { pending_.clear(); }
  size_t write(const uint8_t* d, size_t n) override {
    const uint16_t start = static_cast<uint16_t>(d[2] << 8 | d[3]);
    const uint8_t count = d[5];
    if (d[1] == 0x03) {
      log_.push_back("read " + hex4(start) + " " + std::to_string(count));
      if (silent) return n;
      std::vector<uint8_t> a{d[0], 0x03, static_cast<uint8_t>(2 * count)};
      for (unsigned k = 0; k < count; ++k) {
        const uint16_t v = regs[static_cast<uint16_t>(start + k)];
        a.push_back(static_cast<uint8_t>(v >> 8));
        a.push_back(static_cast<uint8_t>(v & 0xFF));
      }
      answer(a);
      return n;
    }
    std::vector<uint16_t> values;
    for (unsigned k = 0; k < count; ++k)
      values.push_back(static_cast<uint16_t>(d[7 + 2 * k] << 8 | d[8 + 2 * k]));
    std::string entry = "write " + hex4(start);
    for (uint16_t v : values) entry += " " + hex4(v);
    log_.push_back(entry);
    if (silent) return n;
    if (!accept_write(start, values)) {
      answer({d[0], 0x90, 0x04});
      return n;
    }
    for (unsigned k = 0; k < count; ++k) regs[static_cast<uint16_t>(start + k)] = values[k];
    answer({d[0], 0x10, d[2], d[3], d[4], d[5]});
    return n;
  }
  size_t read(uint8_t* buf, size_t n) override {
    const size_t k = pending_.size() < n ? pending_.size() : n;
    if (k) std::memcpy(buf, pending_.data(), k);
    pending_.clear();
    return k;
  }
  uint32_t take_line_errors() override { return 0; }
  void set_rts(bool) override {}
  void set_dtr(bool) override {}

  std::map<uint16_t, uint16_t> regs;
  bool designated = false;
  bool unlocked = false;
  bool silent = false;
  uint16_t refuse_start = 0xFFFF;  // a write at this start is refused in any state

 private:
  bool accept_write(uint16_t start, const std::vector<uint16_t>& v) {
    if (start == refuse_start) return false;
    if (start == reg_address("ULDESIG")) {
      designated = v == std::vector<uint16_t>{kIdDesig, kIdDev};
      return designated;
    }
    if (start == reg_address("USERLOCK")) {
      if (v == std::vector<uint16_t>{0, 0}) {
        unlocked = designated = false;
        return true;
      }
      unlocked = designated && v == std::vector<uint16_t>{kAccessCode, kAccessCode};
      return unlocked;
    }
    return unlocked;
  }
  void answer(std::vector<uint8_t> a) {
    a.resize(a.size() + 2);
    put_crc(a.data(), a.size() - 2);
    pending_ = std::move(a);
  }

  Log& log_;
  std::vector<uint8_t> pending_;
};

class Protection : public ::testing::Test {
 protected:
  Protection() {
    exchange.reask_val = 1;  // one attempt: a refusal shows at once
  }

  ExchangeResult write_unit(uint16_t unit) {
    const TransferEntry& t = transfer(Transfer::UnitXnulXbndWrite);
    const uint16_t v[3] = {unit, 0, 0};
    return master.write(t.start, t.count, v, t.label);
  }

  Log log;
  FakeTransmitter device{log};
  LoggingPump pump{log};
  test::FixedClock clock;
  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  ModbusMaster master{device, pump, clock, link, exchange, timeouts};
};

TEST_F(Protection, IdentityCheck) {
  struct Case {
    uint16_t desig, dev, zero;
    bool silent;
    bool read_ok;
    bool accepted;
  } cases[] = {
      {1, 6, 0, false, true, true},
      {1, 6, 1, false, true, false},
      {2, 6, 0, false, true, false},
      {1, 5, 0, false, true, false},
      {1, 6, 0, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.desig << c.dev << c.zero << " silent " << c.silent);
    log.clear();
    device.regs[0x0480] = c.desig;
    device.regs[0x0481] = c.dev;
    device.regs[0x0482] = c.zero;
    device.silent = c.silent;
    IdentityCheck id = check_identity(master);
    EXPECT_EQ(log, (Log{"wait 100", "read 0480 3"}));
    EXPECT_EQ(id.result.ok(), c.read_ok);
    EXPECT_EQ(id.accepted(), c.accepted);
    if (c.read_ok) {
      EXPECT_EQ(id.values, (std::array<uint16_t, 3>{c.desig, c.dev, c.zero}));
    } else {
      EXPECT_NE(id.result.faults & kFaultNoAnswer, 0);
      EXPECT_EQ(id.values, (std::array<uint16_t, 3>{}));
    }
  }
}

TEST_F(Protection, UnlockWriteLockCycle) {
  EXPECT_FALSE(write_unit(4).ok()) << "a locked device refuses the write";

  log.clear();
  EXPECT_TRUE(unlock_device(master).ok());
  EXPECT_EQ(log, (Log{"wait 100", "write 04F0 0001 0006", "wait 100", "wait 100",
                      "write 04FE 4B1D 4B1D", "wait 100"}));
  EXPECT_TRUE(device.unlocked);

  ExchangeResult w = write_unit(4);
  EXPECT_TRUE(w.ok());
  EXPECT_EQ(device.regs[reg_address("UNIT")], 4);

  log.clear();
  EXPECT_TRUE(lock_device(master).ok());
  EXPECT_EQ(log, (Log{"wait 400", "write 04FE 0000 0000", "wait 100"}));
  EXPECT_FALSE(device.unlocked);

  ExchangeResult refused = write_unit(7);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.exception, 4);
  EXPECT_NE(refused.faults & kFaultException, 0);
  EXPECT_EQ(device.regs[reg_address("UNIT")], 4);
}

TEST_F(Protection, UnlockStopsAtTheFirstFailedWrite) {
  struct Case {
    Transfer refused;
    Log expected;
  } cases[] = {
      {Transfer::UnlockDesignation, {"wait 100", "write 04F0 0001 0006"}},
      {Transfer::ProtectionUnlock,
       {"wait 100", "write 04F0 0001 0006", "wait 100", "wait 100", "write 04FE 4B1D 4B1D"}},
  };
  for (const auto& c : cases) {
    log.clear();
    device.refuse_start = transfer(c.refused).start;
    ExchangeResult r = unlock_device(master);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.exception, 4);
    EXPECT_EQ(log, c.expected);
    EXPECT_FALSE(device.unlocked);
  }
}

TEST_F(Protection, FailedLockSkipsTheSettlePause) {
  device.silent = true;
  ExchangeResult r = lock_device(master);
  EXPECT_NE(r.faults & kFaultNoAnswer, 0);
  EXPECT_EQ(log, (Log{"wait 400", "write 04FE 0000 0000"}));
}

TEST_F(Protection, WritesCarryTheirLabelsIntoTheTrace) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("orn_protection_trace_" + std::to_string(getpid()) + ".txt");
  std::filesystem::remove(path);
  exchange.use_log_file = 1;
  exchange.log_file_name = path.string();
  ASSERT_TRUE(unlock_device(master).ok());
  ASSERT_TRUE(lock_device(master).ok());
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  std::filesystem::remove(path);
  const std::string trace = text.str();
  EXPECT_NE(trace.find("ULDESIG, ULDEV"), std::string::npos);
  const size_t unlock = trace.find("USERLOCK, CLBLOCK");
  ASSERT_NE(unlock, std::string::npos);
  // The lock carries "USERLOCK" alone, after the unlock's record.
  const size_t lock = trace.find("USERLOCK", unlock + 1);
  ASSERT_NE(lock, std::string::npos);
  EXPECT_NE(trace.compare(lock, 17, "USERLOCK, CLBLOCK"), 0);
}

}  // namespace
}  // namespace orn
