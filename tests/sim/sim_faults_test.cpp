// Fault injection on the simulated line, the in-memory port's line errors,
// the command line of orn20mb-sim and the pty framing rule.
#include <gtest/gtest.h>

#include "sim/pty_server.h"
#include "sim/register_map.h"
#include "sim/sim_options.h"
#include "sim_test_master.h"

namespace orn::sim {
namespace {

using test::TestMaster;

TEST(SimFaults, EachKindSpoilsTheAnswerAsNamed) {
  SimLine line;
  line.add({});
  TestMaster m(line);
  const auto good = m.read(1, reg::ID_DESIG, 3).bytes;
  ASSERT_EQ(good, test::with_crc({1, 3, 6, 0, 1, 0, 6, 0, 0}));

  struct Case {
    Fault fault;
    std::vector<uint8_t> expected;  // empty: no answer
    uint32_t line_errors;
  };
  auto changed = [&](size_t i, uint8_t v) {
    auto f = good;
    f[i] = v;
    return test::with_crc({f.begin(), f.end() - 2});
  };
  ASSERT_EQ(good.size(), 11u);
  auto bad_crc = good;
  bad_crc[10] = static_cast<uint8_t>(~bad_crc[10]);
  auto surplus = good;
  surplus.insert(surplus.end(), {0xFF, 0xFF, 0xFF});
  const Case cases[] = {
      {{FaultKind::Silence, 0}, {}, 0},
      {{FaultKind::BadCrc, 0}, bad_crc, 0},
      {{FaultKind::ForeignAddress, 0}, changed(0, 2), 0},
      {{FaultKind::WrongFunction, 0}, changed(1, 2), 0},
      {{FaultKind::Exception, 0}, test::with_crc({1, 0x83, 4}), 0},
      {{FaultKind::Exception, 3}, test::with_crc({1, 0x83, 3}), 0},
      {{FaultKind::Surplus, 3}, surplus, 0},
      {{FaultKind::Truncated, 0}, {good.begin(), good.end() - 3}, 0},
      {{FaultKind::Delay, 150}, {}, 0},  // longer than the 100 ms read
      {{FaultKind::Delay, 50}, good, 0},
      {{FaultKind::LineError, 0}, good, kLineErrorParity},
  };
  m.port.set_timeouts({24, 0, 100, 0, 0});
  for (const Case& c : cases) {
    line.faults().push(c.fault);
    EXPECT_EQ(m.read(1, reg::ID_DESIG, 3).bytes, c.expected) << fault_kind_name(c.fault.kind);
    EXPECT_EQ(m.port.take_line_errors(), c.line_errors) << fault_kind_name(c.fault.kind);
    EXPECT_EQ(m.read(1, reg::ID_DESIG, 3).bytes, good) << "one-shot: " << fault_kind_name(c.fault.kind);
  }
}

TEST(SimFaults, QueueIsNotSpentOnRequestsNobodyAnswers) {
  SimLine line;
  line.add({});
  TestMaster m(line);
  line.faults().push({FaultKind::Silence, 0});
  EXPECT_TRUE(m.read(9, reg::MODEL, 1).silent());
  EXPECT_EQ(line.faults().applied(), 0u);
  EXPECT_TRUE(m.read(1, reg::MODEL, 1).silent());
  EXPECT_EQ(line.faults().applied(), 1u);
}

TEST(SimFaults, RandomFaultsFollowRateAndSeed) {
  auto run = [](uint64_t seed, double rate) {
    SimLine line;
    line.add({});
    line.faults().set_random(rate, {{FaultKind::Silence, 0}}, seed);
    TestMaster m(line);
    std::string pattern;
    for (int i = 0; i < 400; ++i) pattern += m.read(1, reg::MODEL, 1).silent() ? 'x' : '.';
    return pattern;
  };
  const std::string a = run(7, 0.25);
  EXPECT_EQ(a, run(7, 0.25)) << "same seed, same faults";
  EXPECT_NE(a, run(8, 0.25));
  const auto silent = std::count(a.begin(), a.end(), 'x');
  EXPECT_GT(silent, 60);
  EXPECT_LT(silent, 140);
  EXPECT_EQ(run(7, 0.0).find('x'), std::string::npos);
  EXPECT_EQ(run(7, 1.0).find('.'), std::string::npos);
}

// Random faults limited to some addresses leave the answers of the others intact.
TEST(SimFaults, RandomFaultsCanBeLimitedToSomeAddresses) {
  SimLine line;
  for (const uint16_t a : {uint16_t{1}, uint16_t{2}, uint16_t{3}}) {
    TransmitterConfig c;
    c.link.address = a;
    line.add(c);
  }
  line.faults().set_random(1.0, {{FaultKind::Silence, 0}}, 3);
  line.faults().set_random_addresses({2});
  TestMaster m(line);
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(m.read(1, reg::MODEL, 1).silent());
    EXPECT_TRUE(m.read(2, reg::MODEL, 1).silent());
    EXPECT_FALSE(m.read(3, reg::MODEL, 1).silent());
  }
  const auto p = parse_sim_options({"--address", "1,2,3", "--fault", "crc", "--fault-rate", "0.2", "--fault-address", "2,3"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.fault_addresses, (std::vector<uint16_t>{2, 3}));
  for (const char* bad : {"0", "248", "2,x", ""})
    EXPECT_NE(parse_sim_options({"--fault-address", bad}).error, "") << bad;
}

TEST(SimOptions, ValidCommandLinesBuildTheLine) {
  const auto p = parse_sim_options({"--address", "1,5", "--rate", "9600", "--parity", "even", "--device",
                                    "9:115200:odd", "--pressure-model=noise", "--pressure", "12.5", "--seed",
                                    "42", "--fault", "crc", "--fault", "delay:300", "--fault-rate", "0.5",
                                    "--delay", "20", "--init", "--link", "/tmp/x"});
  ASSERT_EQ(p.error, "");
  const SimOptions& o = p.options;
  ASSERT_EQ(o.devices.size(), 3u);
  EXPECT_EQ(o.devices[0].link, (LinkSettings{1, 9600, 2}));
  EXPECT_EQ(o.devices[1].link, (LinkSettings{5, 9600, 2}));
  EXPECT_EQ(o.devices[2].link, (LinkSettings{9, 115200, 1}));
  EXPECT_EQ(o.devices[2].pressure.model, PressureModel::Noise);
  EXPECT_DOUBLE_EQ(o.devices[0].pressure.kpa, 12.5);
  EXPECT_EQ(o.devices[0].pressure.seed, 42u);
  EXPECT_TRUE(o.devices[1].init);
  EXPECT_NE(o.devices[0].serial_number, o.devices[1].serial_number);
  ASSERT_EQ(o.random_faults.size(), 2u);
  EXPECT_EQ(o.random_faults[1].kind, FaultKind::Delay);
  EXPECT_EQ(o.random_faults[1].value, 300u);
  EXPECT_DOUBLE_EQ(o.fault_rate, 0.5);
  EXPECT_EQ(o.delay_ms, 20);
  EXPECT_EQ(o.link, "/tmp/x");
  const auto d = parse_sim_options({});
  ASSERT_EQ(d.options.devices.size(), 1u);
  EXPECT_EQ(d.options.devices[0].link, (LinkSettings{1, 19200, 0}));
}

// The steps of a calibration run: by time, or one step() (SIGUSR1) at a
// time; past the last step the last pressure stays.
TEST(SimOptions, PressureStepsMoveByTimeOrByStep) {
  const auto timed = parse_sim_options({"--pressure-steps", "0,125.5,250", "--step-period", "1000"});
  ASSERT_EQ(timed.error, "");
  const PressureSource& t = timed.options.devices[0].pressure;
  EXPECT_EQ(t.model, PressureModel::Steps);
  EXPECT_DOUBLE_EQ(t.at(999), 0.0);
  EXPECT_DOUBLE_EQ(t.at(1000), 125.5);
  EXPECT_DOUBLE_EQ(t.at(60000), 250.0);
  auto stepped = parse_sim_options({"--pressure-steps", "10,20"});
  ASSERT_EQ(stepped.error, "");
  PressureSource& s = stepped.options.devices[0].pressure;
  EXPECT_DOUBLE_EQ(s.at(60000), 10.0);
  s.step();
  EXPECT_DOUBLE_EQ(s.at(0), 20.0);
  s.step();
  EXPECT_DOUBLE_EQ(s.at(0), 20.0);
}

TEST(SimOptions, UsageErrorsAreReported) {
  const std::vector<std::vector<std::string>> bad{
      {"--address", "0"},          {"--address", "1,248"},    {"--address", "1,x"},
      {"--address", "1,1"},        {"--rate", "14400"},       {"--parity", "mark"},
      {"--pressure", "1,5"},       {"--pressure-model", "sine"}, {"--fault", "boom"},
      {"--fault-rate", "1.5"},     {"--fault-rate", "0.1"},   {"--delay", "256"},
      {"--device", "2:9600"},      {"--device", "1:9600:none"}, {"--bogus"},
      {"--seed"},                  {"--pressure-steps", "0,x"}, {"--pressure-steps", ""},
      {"--step-period", "-1"},
  };
  for (const auto& args : bad) EXPECT_NE(parse_sim_options(args).error, "") << args[0];
  EXPECT_TRUE(parse_sim_options({"--help"}).options.help);
  EXPECT_NE(sim_usage().find("--pressure-model"), std::string::npos);
}

TEST(SimPtyFraming, RequestLengthIsKnownFromTheHeader) {
  using V = std::vector<uint8_t>;
  EXPECT_EQ(FrameReader::expected_frame_length(V{1}), 0u);
  EXPECT_EQ(FrameReader::expected_frame_length(V{1, 3}), 8u);
  EXPECT_EQ(FrameReader::expected_frame_length(V{1, 0x10, 4, 0, 0}), 0u);
  EXPECT_EQ(FrameReader::expected_frame_length(V{1, 0x10, 4, 0, 0, 2, 4}), 13u);
  EXPECT_EQ(FrameReader::expected_frame_length(V{1, 0x2B, 0}), 0u) << "unknown: wait for silence";
}

}  // namespace
}  // namespace orn::sim
