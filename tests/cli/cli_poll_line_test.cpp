// orn20mb-cli poll --addresses against several simulated transmitters on an
// in-memory line in virtual time: a line per read carrying the address, the
// counters of each transmitter, a failing and an absent one that stop no
// other, a stop after the running read, and the bytes that follow an answer
// taken at its last byte.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_sim_line.h"
#include "sim/fault_injection.h"

namespace orn {
namespace {

using test::contains;

class CliPollLineTest : public test::CliOnSimLine {
 protected:
  void SetUp() override {
    clock.time = {2026, 3, 5, 7, 4, 9, 0};
    for (uint16_t a = 1; a <= 3; ++a) {
      sim::TransmitterConfig c;
      c.link = {a, 19200, 0};
      c.pressure.kpa = 10.0 * a;
      line.add(c);
    }
  }
  // The lines of the output.
  std::vector<std::string> out_lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  // The address each request went to.
  std::vector<int> requests() const {
    std::vector<int> to;
    for (const auto& frame : port.sent()) to.push_back(frame[0]);
    return to;
  }
};

TEST_F(CliPollLineTest, EachReadHasItsLineAndEachTransmitterItsCountersWhateverTheOthersDo) {
  // Address 2 answers every read with a bad CRC; nobody is at address 4.
  line.faults().set_random(1.0, {{sim::FaultKind::BadCrc, 0}}, 1);
  line.faults().set_random_addresses({2});
  EXPECT_EQ(run({"--attempts", "1", "poll", "--addresses", "1-2,4,3", "--count", "2", "--interval", "0"}),
            kCliExitFailure);
  EXPECT_EQ(requests(), (std::vector<int>{1, 2, 4, 3, 1, 2, 4, 3}));
  EXPECT_TRUE(pump.waits.empty()) << "--interval 0: cycles back to back";
  const std::vector<std::string> lines = out_lines();
  ASSERT_EQ(lines.size(), 12u) << out.str();
  const std::string time = "5.3.2026 07:04:09  PIZMF=";
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(lines[i]);
    const struct {
      const char* address;
      const char* pizmf;
    } expected[] = {{"  1  ", "    10.0000"}, {"  2  ", "     0.0000"}, {"  4  ", "     0.0000"},
                    {"  3  ", "    30.0000"}};
    EXPECT_EQ(lines[i].substr(0, 5 + time.size() + 11), expected[i % 4].address + time + expected[i % 4].pizmf);
  }
  EXPECT_EQ(lines[8], "address=1 cycles=2 meas_errors=0 exch_errors=0 retries=0");
  EXPECT_EQ(lines[9], "address=2 cycles=2 meas_errors=0 exch_errors=2 retries=2");
  EXPECT_EQ(lines[10], "address=4 cycles=2 meas_errors=0 exch_errors=2 retries=2");
  EXPECT_EQ(lines[11], "address=3 cycles=2 meas_errors=0 exch_errors=0 retries=0");
  const std::string e = err.str();
  EXPECT_TRUE(contains(e, "адрес 2: ")) << e;
  EXPECT_TRUE(contains(e, "адрес 4: Ответа не было.\n")) << e;
  EXPECT_FALSE(contains(e, "адрес 1:") || contains(e, "адрес 3:")) << e;
}

TEST_F(CliPollLineTest, JsonLinesCarryTheAddressFirst) {
  EXPECT_EQ(run({"poll", "--addresses", "3,1", "--count", "1", "--json"}), kCliExitOk) << err.str();
  const std::vector<std::string> lines = out_lines();
  ASSERT_EQ(lines.size(), 4u) << out.str();
  EXPECT_EQ(lines[0].rfind("{\"address\":3,\"ok\":true,\"time\":\"2026-03-05T07:04:09\",\"pressure\":30,", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("{\"address\":1,\"ok\":true,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "{\"address\":3,\"cycles\":1,\"meas_errors\":0,\"exch_errors\":0,\"retries\":0}");
  EXPECT_EQ(lines[3], "{\"address\":1,\"cycles\":1,\"meas_errors\":0,\"exch_errors\":0,\"retries\":0}");
}

// A stop ends the poll after the running read: no further transmitter is
// read, the counters of all are printed and the status is 128 + the signal.
TEST_F(CliPollLineTest, AStopEndsAfterTheRunningReadWithEveryCounter) {
  StopFlag stop;
  pump.on_dispatch = [&] {
    if (port.sent().size() == 5) stop.raise(2);  // while address 2 is read in the second cycle
  };
  const CliParse p = parse_cli_options({"--device", "/dev/ttyS0", "poll", "--addresses", "1-3", "--interval", "0"});
  ASSERT_EQ(p.error, "");
  CliContext context{port, pump, clock, out, err, folder.path(), &stop};
  EXPECT_EQ(run_cli(p.options, context), 130);
  EXPECT_EQ(requests(), (std::vector<int>{1, 2, 3, 1, 2}));
  const std::vector<std::string> lines = out_lines();
  ASSERT_EQ(lines.size(), 8u) << out.str();
  EXPECT_EQ(lines[4].substr(0, 5), "  2  ");
  EXPECT_TRUE(contains(lines[4], "PIZMF=    20.0000")) << "the running read ended with its answer";
  EXPECT_EQ(lines[5], "address=1 cycles=2 meas_errors=0 exch_errors=0 retries=0");
  EXPECT_EQ(lines[6], "address=2 cycles=2 meas_errors=0 exch_errors=0 retries=0");
  EXPECT_EQ(lines[7], "address=3 cycles=1 meas_errors=0 exch_errors=0 retries=0");
  EXPECT_EQ(err.str(), "");
}

// Surplus bytes after address 1's answer: waited for, they spoil that answer
// (a wrong length); with --no-tail-wait that answer is taken at its last
// byte, and the bytes are reported as late when address 2 is asked next.
TEST_F(CliPollLineTest, BytesAfterAnAnswerTakenAtItsLastByteAreReportedAsLate) {
  struct Case {
    bool no_tail_wait;
    int status;
    const char* err;
    const char* counters_of_1;
  };
  const Case cases[] = {
      {false, kCliExitFailure, "адрес 1: ", "address=1 cycles=1 meas_errors=0 exch_errors=1 retries=1"},
      {true, kCliExitOk, "Лишние байты после ответа адреса 1: 3\n",
       "address=1 cycles=1 meas_errors=0 exch_errors=0 retries=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.no_tail_wait);
    line.faults().push({sim::FaultKind::Surplus, 3});
    std::vector<std::string> args = {"--attempts", "1", "poll", "--addresses", "1,2", "--count", "1"};
    if (c.no_tail_wait) args.push_back("--no-tail-wait");
    EXPECT_EQ(run(args), c.status);
    EXPECT_EQ(err.str().rfind(c.err, 0), 0u) << err.str();
    const std::vector<std::string> lines = out_lines();
    ASSERT_EQ(lines.size(), 4u) << out.str();
    EXPECT_EQ(lines[2], c.counters_of_1);
    EXPECT_EQ(lines[3], "address=2 cycles=1 meas_errors=0 exch_errors=0 retries=0");
  }
}

// Commands that read several blocks tell of late bytes once, at the end, and
// only when reads end at the frame.
TEST_F(CliPollLineTest, OtherCommandsTellOfLateBytesOnceAtTheEnd) {
  for (const bool no_tail_wait : {false, true}) {
    SCOPED_TRACE(no_tail_wait);
    line.faults().push({sim::FaultKind::Surplus, 0});  // 2 bytes after the first answer
    std::vector<std::string> args = {"--attempts", "2", "config", "read"};
    if (no_tail_wait) args.push_back("--no-tail-wait");
    EXPECT_EQ(run(args), kCliExitOk) << err.str();
    EXPECT_EQ(contains(err.str(), "Лишние байты после ответов прибора: 2\n"), no_tail_wait) << err.str();
  }
}

}  // namespace
}  // namespace orn
