// The simulated transmitter checked frame by frame through the in-memory port.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "sim/register_map.h"
#include "sim/sim_line.h"
#include "sim_test_master.h"

namespace orn::sim {
namespace {

using test::decode_float;
using test::TestMaster;

struct Bench {
  explicit Bench(TransmitterConfig c = {}) : dev(line.add(c)), m(line) {}
  SimLine line;
  Transmitter& dev;
  TestMaster m;
};

float meas_value(const test::Answer& a) {
  return decode_float(a.regs.at(0), a.regs.at(1), a.regs.at(4) >> 14);
}

TEST(SimMeasurement, BlockDecodesToAppliedPressureInEveryByteOrder) {
  for (uint16_t order = 0; order < 4; ++order) {
    Bench b;
    b.dev.poke(reg::fltype, order);
    const auto a = b.m.read(1, kMeasBlock, 11);
    ASSERT_EQ(a.regs.size(), 11u) << order;
    EXPECT_EQ(a.regs[4] >> 14, order);
    EXPECT_EQ((a.regs[4] >> 8) & 0x3F, 2) << "kPa";
    EXPECT_FLOAT_EQ(meas_value(a), 100.0f) << order;
    EXPECT_FLOAT_EQ(decode_float(a.regs[8], a.regs[9], 0), 23.5f) << "TIZMF always order 0";
    EXPECT_EQ(a.regs[2], 26214) << "100 of 0..250 kPa is 40 %";
    EXPECT_EQ(a.regs[3], 0);
  }
}

TEST(SimMeasurement, UnitWrittenByMasterShowsInStatusAndValue) {
  struct Case {
    uint16_t unit;
    double expected;
  };
  for (const Case c : {Case{1, 0.1}, Case{3, 100000.0}, Case{4, 1.0197162}, Case{0, 40.0}, Case{11, 1000.0}}) {
    Bench b;
    b.m.unlock(1);
    ASSERT_EQ(b.m.write(1, reg::UNIT, {c.unit, 0x0002, 0}).exception, 0);
    const auto a = b.m.read(1, kMeasBlock, 11);
    EXPECT_EQ((a.regs.at(4) >> 8) & 0x3F, c.unit);
    EXPECT_NEAR(meas_value(a), c.expected, c.expected * 1e-6) << c.unit;
    const auto inter = b.m.read(1, kIntermediate, 18);
    EXPECT_FLOAT_EQ(decode_float(inter.regs.at(0), inter.regs.at(1), 0), 100.0f) << "IZMPsenskpa";
    EXPECT_NEAR(decode_float(inter.regs.at(2), inter.regs.at(3), 0), c.expected, c.expected * 1e-6);
    EXPECT_EQ(inter.regs.at(17), a.regs.at(4)) << "STATP";
  }
}

TEST(SimMeasurement, RangeLimitsRaiseErrorBitsAndClampUnlessPermitted) {
  struct Case {
    double kpa;
    uint16_t xbnd;
    float shown;
    uint16_t izmerr;
  };
  // 0..250 kPa with about 10 % overload tolerated on both sides (25 kPa).
  const Case cases[] = {
      {260, 0x0000, 250, 0},       {260, 0x0001, 260, 0},       {300, 0x0001, 275, 0x0004},
      {300, 0x0000, 250, 0x0004},  {-10, 0x0000, 0, 0},         {-10, 0x0002, -10, 0},
      {-30, 0x0002, -25, 0x0002},  {125, 0x0000, 125, 0},
  };
  for (const Case& c : cases) {
    TransmitterConfig cfg;
    cfg.pressure.kpa = c.kpa;
    Bench b(cfg);
    b.dev.poke(reg::XBND, c.xbnd);
    const auto a = b.m.read(1, kMeasBlock, 11);
    EXPECT_NEAR(meas_value(a), c.shown, 0.01) << c.kpa << " xbnd " << c.xbnd;  // 6553 is 9.999 %
    EXPECT_EQ(a.regs.at(3), c.izmerr) << c.kpa << " xbnd " << c.xbnd;
  }
}

TEST(SimMeasurement, CutOffsAndSquareRootShapeTheOutput) {
  struct Case {
    double kpa;
    uint16_t xbnd, xsqr, statp_bits;
    float shown;
  };
  const Case cases[] = {
      {2.0, 0x0004, 0, 0, 0.0f},             // zero cut-off 1 % of 250 = 2.5 kPa
      {3.0, 0x0004, 0, 0, 3.0f},
      {248.0, 0x0008, 0, 0, 250.0f},         // cut-off at the limits 1 %
      {62.5, 0, 1, 0x40, 125.0f},            // sqrt(0.25) = 0.5 of the range
      {2.5, 0, 3, 0x40, 2.5f / std::sqrt(0.1f) * 1.0f},  // linear below 10 %: r / sqrt(0.1)
  };
  for (const Case& c : cases) {
    TransmitterConfig cfg;
    cfg.pressure.kpa = c.kpa;
    Bench b(cfg);
    b.dev.poke(reg::XBND, c.xbnd);
    b.dev.poke(reg::XSQR, c.xsqr);
    b.dev.poke(reg::NULCUTOFF, 655);
    b.dev.poke(reg::MAXCUTOFF, 655);
    b.dev.poke(reg::LINCUTOFF, 6554);
    const auto a = b.m.read(1, kMeasBlock, 11);
    EXPECT_NEAR(meas_value(a), c.shown, 1e-3) << c.kpa;
    EXPECT_EQ(a.regs.at(4) & 0x40, c.statp_bits) << c.kpa;
  }
}

TEST(SimMeasurement, DampingReachesNinetyPercentInT90) {
  TransmitterConfig cfg;
  Bench b(cfg);
  b.dev.poke(reg::T90, 20);  // 2 s
  b.dev.compute(0);
  b.dev.config().pressure.kpa = 200.0;
  const Stages s = b.dev.compute(2000);
  EXPECT_NEAR(s.avr, 100.0 + 0.9 * 100.0, 1e-6);
  EXPECT_EQ(s.statp & 0x80, 0x80);
  EXPECT_DOUBLE_EQ(s.senskpa, 200.0) << "the sensor stage is not damped";
}

TEST(SimMeasurement, ZeroAndSpanAdjustmentsOfAMasterConverge) {
  // A sensor reading 3 kPa high and 2 % steep; the master's formulas on IZMPsensun.
  TransmitterConfig cfg;
  cfg.sensor_offset_kpa = 3.0;
  cfg.pressure.kpa = 0.0;
  Bench b(cfg);
  b.m.unlock(1);
  auto sensun = [&] {
    const auto a = b.m.read(1, kIntermediate, 18);
    return decode_float(a.regs.at(2), a.regs.at(3), 0);
  };
  auto trims = [&] {
    const auto a = b.m.read(1, reg::shift_usr, 6);
    return std::array<float, 3>{decode_float(a.regs.at(0), a.regs.at(1), 0),
                                decode_float(a.regs.at(2), a.regs.at(3), 0),
                                decode_float(a.regs.at(4), a.regs.at(5), 0)};
  };
  auto put = [&](uint16_t address, float v) {
    const auto bits = std::bit_cast<uint32_t>(v);
    ASSERT_EQ(b.m.write(1, address, {static_cast<uint16_t>(bits >> 16), static_cast<uint16_t>(bits)}).exception, 0);
  };
  // Zero at 0 kPa: shift_usr := 0 - average + shift_scale + shift_usr.
  auto t = trims();
  put(reg::shift_usr, 0.0f - sensun() + t[1] + t[0]);
  EXPECT_NEAR(sensun(), 0.0f, 1e-5);
  // Span at 250 kPa with gain error: diap_usr := (250 - S) / (average - S) * diap_usr.
  b.dev.config().sensor_gain = 1.02;
  b.dev.config().pressure.kpa = 250.0;
  t = trims();
  const float s = b.dev.stored_float(reg::shift) + t[0] + t[1];
  put(reg::diap_usr, (250.0f - s) / (sensun() - s) * t[2]);
  EXPECT_NEAR(sensun(), 250.0f, 1e-3);
  const auto a = b.m.read(1, kMeasBlock, 11);
  EXPECT_NEAR(meas_value(a), 250.0f, 1e-3);
  EXPECT_EQ(a.regs.at(4) & 0x20, 0x20) << "user correction on";
}

TEST(SimMeasurement, LatchFreezesTheMeasurementAndConstantBlockIsFixed) {
  TransmitterConfig cfg;
  cfg.pressure.model = PressureModel::Ramp;
  Bench b(cfg);
  b.m.port.now_ms = 2000;  // 50 kPa on the rising ramp
  ASSERT_EQ(b.m.write(1, reg::LATCH, {1}).exception, 0) << "the latch needs no unlock";
  b.m.port.now_ms = 5000;
  EXPECT_FLOAT_EQ(meas_value(b.m.read(1, kLatchedBlock, 11)), 50.0f);
  EXPECT_FLOAT_EQ(meas_value(b.m.read(1, kMeasBlock, 11)), 125.0f);
  b.dev.poke(reg::fltype, 3);
  EXPECT_FLOAT_EQ(meas_value(b.m.read(1, kConstBlock, 11)), 123.456f);
}

TEST(SimProtection, WritesNeedDesignationAndAccessCodeAndLockAgain) {
  Bench b;
  EXPECT_EQ(b.m.write(1, reg::UNIT, {4, 0, 0}).exception, kExLocked);
  EXPECT_EQ(b.m.write(1, reg::USERLOCK, {0x4B1D, 0x4B1D}).exception, kExLocked) << "code before designation";
  EXPECT_EQ(b.m.write(1, reg::ULDESIG, {1, 5}).exception, 0);
  EXPECT_EQ(b.m.write(1, reg::USERLOCK, {0x4B1D, 0x4B1D}).exception, kExLocked) << "wrong device type";
  b.m.unlock(1);
  EXPECT_TRUE(b.dev.user_open() && b.dev.calib_open());
  const auto ok = b.m.write(1, reg::UNIT, {4, 0, 0});
  EXPECT_EQ(ok.exception, 0);
  EXPECT_EQ(ok.bytes, test::with_crc({1, 0x10, 0x05, 0x00, 0x00, 0x03}));
  EXPECT_EQ(b.m.read(1, reg::UNIT, 1).regs.at(0), 4);
  EXPECT_EQ(b.m.write(1, reg::USERLOCK, {0, 0}).exception, 0);
  EXPECT_EQ(b.m.write(1, reg::UNIT, {2, 0, 0}).exception, kExLocked);
  EXPECT_EQ(b.m.write(1, reg::USERLOCK, {0x4B1D, 0x4B1D}).exception, kExLocked)
      << "a lock asks for the designation again";
  EXPECT_EQ(b.m.read(1, reg::UNIT, 1).regs.at(0), 4);
}

TEST(SimProtection, UserAndCalibrationLocksAreSeparate) {
  Bench b;
  b.m.write(1, reg::ULDESIG, {1, 6});
  ASSERT_EQ(b.m.write(1, reg::USERLOCK, {0x4B1D}).exception, 0);
  EXPECT_EQ(b.m.write(1, reg::shift_usr, {0, 0}).exception, 0) << "user trim";
  EXPECT_EQ(b.m.write(1, reg::shift, {0, 0}).exception, kExLocked) << "factory calibration";
  ASSERT_EQ(b.m.write(1, reg::CLBLOCK, {0x4B1D}).exception, 0);
  EXPECT_EQ(b.m.write(1, reg::shift, {0, 0}).exception, 0);
}

TEST(SimProtection, RefusedWritesChangeNothing) {
  struct Case {
    uint16_t start;
    std::vector<uint16_t> values;
    uint8_t exception;
  };
  const Case cases[] = {
      {reg::ADR, {0, 7, 0}, kExIllegalValue},   {reg::ADR, {248, 7, 0}, kExIllegalValue},
      {reg::ADR, {2, 11, 0}, kExIllegalValue},  {reg::ADR, {2, 7, 3}, kExIllegalValue},
      {reg::UNIT, {12}, kExIllegalValue},       {reg::fltype, {4}, kExIllegalValue},
      {reg::DELY, {256}, kExIllegalValue},      {reg::DIGITS, {4}, kExIllegalValue},
      {reg::FSET, {2}, kExIllegalValue},        {reg::HEAD_READ_ASK, {1}, kExIllegalValue},
      {reg::MODEL, {1}, kExIllegalAddress},     {reg::UNIT, {3, 0, 0, 9}, kExIllegalAddress},
      {reg::INITFLAG, {0}, kExIllegalAddress},  {0x0627, {0}, kExIllegalAddress},
  };
  for (const Case& c : cases) {
    Bench b;
    b.m.unlock(1);
    std::vector<uint16_t> before;
    for (size_t i = 0; i < c.values.size(); ++i) before.push_back(b.dev.read_register(static_cast<uint16_t>(c.start + i), 0));
    EXPECT_EQ(b.m.write(1, c.start, c.values).exception, c.exception) << std::hex << c.start;
    for (size_t i = 0; i < c.values.size(); ++i)
      EXPECT_EQ(b.dev.read_register(static_cast<uint16_t>(c.start + i), 0), before[i]) << std::hex << c.start;
  }
}

TEST(SimProtection, FactoryAreaSavesAndRestoresWorkingParameters) {
  Bench b;
  b.m.unlock(1);
  b.m.write(1, reg::UNIT, {6, 0, 0});
  ASSERT_EQ(b.m.write(1, reg::FSET, {0x4B1D}).exception, 0);
  b.m.write(1, reg::UNIT, {9, 0, 0});
  b.m.write(1, reg::ADR, {9, 7, 0});
  ASSERT_EQ(b.m.write(9, reg::FSET, {1}).exception, 0);
  EXPECT_EQ(b.m.read(9, reg::UNIT, 1).regs.at(0), 6);
  EXPECT_EQ(b.m.read(9, reg::ADR, 1).regs.at(0), 9) << "exchange settings are not part of the factory area";
}

TEST(SimLink, NewAddressAndRateTakeEffectAfterTheAnswer) {
  Bench b;
  b.m.unlock(1);
  const auto a = b.m.write(1, reg::ADR, {5, 6, 0});
  EXPECT_EQ(a.bytes, test::with_crc({1, 0x10, 0x04, 0x08, 0x00, 0x03})) << "answered at the old settings";
  EXPECT_TRUE(b.m.read(1, reg::ADR, 1).silent());
  EXPECT_TRUE(b.m.read(5, reg::ADR, 1).silent()) << "still 19200";
  b.m.reopen(9600, 0);
  EXPECT_EQ(b.m.read(5, reg::ADR, 3).regs, (std::vector<uint16_t>{5, 6, 0}));
}

TEST(SimLink, InitStateAnswersAtFixedSettings) {
  TransmitterConfig cfg;
  cfg.link = {7, 9600, 2};
  cfg.init = true;
  Bench b(cfg);
  EXPECT_EQ(b.m.read(1, reg::INITFLAG, 1).regs, std::vector<uint16_t>{1});
  EXPECT_EQ(b.m.read(1, kMeasBlock, 11).regs.at(7) & 0x40, 0x40);
  EXPECT_EQ(b.m.read(1, reg::ADR, 3).regs, (std::vector<uint16_t>{7, 6, 2}));
  b.dev.set_init(false);
  EXPECT_TRUE(b.m.read(1, reg::INITFLAG, 1).silent());
  b.m.reopen(9600, 2);
  EXPECT_EQ(b.m.read(7, reg::INITFLAG, 1).regs, std::vector<uint16_t>{0});
  EXPECT_EQ(b.m.read(7, kMeasBlock, 11).regs.at(7) & 0x40, 0);
}

TEST(SimLink, MismatchedRateOrParityOrFrameGetsNoAnswer) {
  TransmitterConfig cfg;
  cfg.link = {3, 9600, 1};
  Bench b(cfg);
  struct Case {
    uint32_t baud;
    uint16_t parity;
    bool answers;
  };
  for (const Case c : {Case{9600, 1, true}, Case{9600, 0, false}, Case{9600, 2, false}, Case{19200, 1, false},
                       Case{4800, 1, false}}) {
    b.m.reopen(c.baud, c.parity);
    EXPECT_EQ(!b.m.read(3, reg::ID_DESIG, 3).silent(), c.answers) << c.baud << " " << c.parity;
  }
  b.m.reopen(9600, 1);
  auto bad_crc = test::read_request(3, reg::ID_DESIG, 3);
  bad_crc.back() ^= 1;
  EXPECT_TRUE(b.m.send(bad_crc).silent());
  EXPECT_TRUE(b.m.read(4, reg::ID_DESIG, 3).silent()) << "another address";
  EXPECT_TRUE(b.m.send(test::write_request(0, reg::BLINK, {1})).silent()) << "broadcast is not answered";
  EXPECT_EQ(b.dev.blink_count(), 1u) << "but carried out";
}

TEST(SimMap, OutsideTheMapAndUnknownFunctionsGiveExceptions) {
  Bench b;
  struct Case {
    uint16_t start, count;
  };
  for (const Case c : {Case{0x0000, 1}, Case{0x010B, 1}, Case{0x0100, 12}, Case{0x0132, 1}, Case{0x020C, 1},
                       Case{0x041C, 1}, Case{0x0483 - 6, 7 + 0x6D}, Case{0x052F, 1}, Case{0x0620, 8},
                       Case{0x080B, 1}, Case{0xFFFF, 1}}) {
    const auto a = b.m.read(1, c.start, c.count);
    EXPECT_EQ(a.bytes, test::with_crc({1, 0x83, 2})) << std::hex << c.start << " x" << c.count;
  }
  for (const Case c : {Case{0x0100, 11}, Case{0x0120, 18}, Case{0x0200, 12}, Case{0x0300, 11}, Case{0x03F0, 16},
                       Case{0x0400, 28}, Case{0x047E, 5}, Case{0x04F0, 2}, Case{0x04FC, 4}, Case{0x0500, 47},
                       Case{0x05E1, 5}, Case{0x0620, 7}, Case{0x0800, 11}}) {
    EXPECT_EQ(b.m.read(1, c.start, c.count).regs.size(), c.count) << std::hex << c.start;
  }
  EXPECT_EQ(b.m.read(1, 0x0100, 0).exception, kExIllegalValue);
  EXPECT_EQ(b.m.read(1, 0x0500, 126).exception, kExIllegalValue);
  EXPECT_EQ(b.m.send(test::with_crc({1, 0x06, 0x05, 0x00, 0x00, 0x02})).bytes, test::with_crc({1, 0x86, 1}));
  EXPECT_EQ(b.m.send(test::with_crc({1, 0x04, 0x01, 0x00, 0x00, 0x02})).exception, kExIllegalFunction);
}

TEST(SimMap, IdentityAndTextsArePlausible) {
  Bench b;
  EXPECT_EQ(b.m.read(1, reg::ID_DESIG, 3).regs, (std::vector<uint16_t>{1, 6, 0}));
  const auto text = b.m.read(1, reg::USER_TEXT, 8).regs;
  EXPECT_EQ(text.at(0), 0xD1E8) << "\"Си\" in Windows-1251, high byte first";
  EXPECT_EQ(text.at(7) & 0xFF, 0x20) << "padded with spaces";
  EXPECT_EQ(b.m.read(1, reg::SENSCLASS, 2).regs, (std::vector<uint16_t>{0x2E30, 0x0031})) << "\"0.1\" low byte first";
  const auto s = b.m.read(1, 0x0500, 27).regs;
  EXPECT_FLOAT_EQ(decode_float(s.at(10), s.at(11), 0), 250.0f) << "DIAPMAXKPA";
  EXPECT_FLOAT_EQ(decode_float(s.at(20), s.at(21), 0), 1.0f) << "diap";
}

TEST(SimTiming, ReplyDelayAndHeadReadSilence) {
  Bench b;
  b.dev.poke(reg::DELY, 150);
  b.m.port.set_timeouts({24, 0, 100, 0, 0});
  EXPECT_TRUE(b.m.read(1, reg::ID_DESIG, 3).silent()) << "answer later than the read's time-out";
  b.m.port.set_timeouts({24, 0, 200, 0, 0});
  const auto a = b.m.read(1, reg::MODEL, 1);
  EXPECT_EQ(a.regs, std::vector<uint16_t>{206}) << "the late answer was purged, not read now";
  b.dev.poke(reg::DELY, 0);
  b.m.unlock(1);
  EXPECT_EQ(b.m.write(1, reg::HEAD_READ_ASK, {0x4B1D}).exception, 0) << "answered before it goes quiet";
  b.m.port.now_ms += 50000;
  EXPECT_TRUE(b.m.read(1, reg::MODEL, 1).silent());
  b.m.port.now_ms += 6000;
  EXPECT_FALSE(b.m.read(1, reg::MODEL, 1).silent());
}

TEST(SimLine, TwoDevicesEachAtTheirOwnSettings) {
  SimLine line;
  TransmitterConfig a, c;
  a.link = {1, 19200, 0};
  c.link = {2, 9600, 2};
  c.pressure.kpa = 42.0;
  line.add(a);
  line.add(c);
  TestMaster m(line);
  EXPECT_FLOAT_EQ(meas_value(m.read(1, kMeasBlock, 11)), 100.0f);
  EXPECT_TRUE(m.read(2, kMeasBlock, 11).silent());
  m.reopen(9600, 2);
  EXPECT_FLOAT_EQ(meas_value(m.read(2, kMeasBlock, 11)), 42.0f);
  EXPECT_TRUE(m.read(1, kMeasBlock, 11).silent());
}

TEST(SimLine, SameAddressTwiceCollides) {
  SimLine line;
  TransmitterConfig a, c;
  c.pressure.kpa = 7.0;
  line.add(a);
  line.add(c);
  TestMaster m(line);
  const auto r = m.read(1, kMeasBlock, 11);
  ASSERT_EQ(r.bytes.size(), 27u);
  EXPECT_FALSE(crc_matches(r.bytes.data(), 25));
}

}  // namespace
}  // namespace orn::sim
