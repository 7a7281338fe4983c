// orn20mb-cli search: its options, and a run on an in-memory line with two
// simulated transmitters in virtual time.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/cli_run.h"
#include "cli/cli_search.h"
#include "support/temp_folder.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"

namespace orn {
namespace {

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> w;
  std::istringstream in(line);
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

TEST(CliSearchOptions, SelectionTimeoutAndFormat) {
  CliParse p = parse_cli_options(words("search"));
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.command, CliCommand::Search);
  SearchSelection everything_left_open;
  everything_left_open.first = 1;
  everything_left_open.last = 247;
  EXPECT_EQ(p.options.search, everything_left_open);
  EXPECT_FALSE(p.options.probe_timeout);
  EXPECT_FALSE(p.options.json);

  p = parse_cli_options(words("search --rates 1200,115200 --parities=odd,even --from 9 --to 3 --attempts 1 "
                              "--timeout 40 --json"));
  ASSERT_EQ(p.error, "");
  SearchSelection chosen;
  chosen.rates = {1, 0, 0, 0, 0, 0, 0, 1};
  chosen.parities = {0, 1, 1};
  chosen.first = 9;
  chosen.last = 3;
  EXPECT_EQ(p.options.search, chosen);
  EXPECT_EQ(p.options.probe_timeout, uint16_t{40});
  EXPECT_EQ(p.options.attempts, uint16_t{1});
  EXPECT_TRUE(p.options.json);
}

TEST(CliSearchOptions, RefusedValues) {
  const struct {
    const char* line;
    const char* error_part;
  } cases[] = {
      {"search --rates 9600,300", "--rates \"9600,300\""},
      {"search --rates 9600,", "--rates"},
      {"search --parities mark", "--parities \"mark\""},
      {"search --from 248", "--from \"248\""},
      {"search --timeout 0", "--timeout \"0\""},
      {"search --to", "параметр --to требует значения"},
      {"search --verbose", "неизвестный параметр \"--verbose\""},
  };
  for (const auto& c : cases) {
    const CliParse p = parse_cli_options(words(c.line));
    EXPECT_NE(p.error.find(c.error_part), std::string::npos) << c.line << ": " << p.error;
  }
}

class CliSearchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    add(3, 19200, kParityNone);
    add(7, 9600, kParityEven);
  }
  void add(uint16_t address, uint32_t baud, uint16_t parity) {
    sim::TransmitterConfig c;
    c.link = {address, baud, parity};
    line.add(c);
  }
  int run(const std::string& command) {
    const CliParse p = parse_cli_options(words("--device /dev/ttyS0 " + command));
    EXPECT_EQ(p.error, "");
    CliContext context{port, pump, clock, out, err, folder.path()};
    return run_cli(p.options, context);
  }
  std::vector<std::string> err_lines() const {
    std::vector<std::string> lines;
    std::istringstream in(err.str());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  test::TempFolder folder;
  sim::SimLine line;
  sim::SimSerialPort port{line};
  test::VirtualPump pump;
  test::FixedClock clock;
  std::ostringstream out, err;
};

TEST_F(CliSearchRun, FindsGoToTheOutputAndProgressToErrors) {
  EXPECT_EQ(run("search --from 1 --to 8 --parities none,even --timeout 30 --attempts 1"), kCliExitOk);
  EXPECT_EQ(out.str(), "Скорость 9600  чет. пар. Сет. номер 7\nСкорость 19200  без парит. Сет. номер 3\n");
  const std::vector<std::string> lines = err_lines();
  ASSERT_EQ(lines.size(), 2u * 8 * 2 + 1);
  EXPECT_EQ(lines.front(), "Проверяется скорость 9600 без паритета номер прибора 1");
  EXPECT_EQ(lines[lines.size() - 2], "Проверяется скорость 19200 четный паритет номер прибора 8");
  EXPECT_EQ(lines.back(), "Процедура поиска завершена.");
  // 15 unanswered probes at each rate, each waiting 30 ms after its 8 request
  // characters, 3.5 of silence and the first answer character (10 bits, 11
  // with parity), in the virtual port's whole milliseconds.
  const auto wait_ms = [](double baud, double bits) {
    return static_cast<uint64_t>(std::ceil(12.5 * bits * 1000 / baud + 30));
  };
  EXPECT_EQ(port.now_ms, 8 * wait_ms(9600, 10) + 7 * wait_ms(9600, 11) + 7 * wait_ms(19200, 10) +
                             8 * wait_ms(19200, 11));
  EXPECT_FALSE(port.is_open());
}

TEST_F(CliSearchRun, JsonObjectsAndNoFind) {
  EXPECT_EQ(run("search --rates 9600,19200 --from 3 --to 7 --parities even --json --attempts 1 --timeout 5"),
            kCliExitOk);
  EXPECT_EQ(out.str(), "{\"baud\":9600,\"parity\":\"even\",\"address\":7}\n");
  out.str("");
  err.str("");
  EXPECT_EQ(run("search --rates 38400 --from 1 --to 2 --attempts 1 --timeout 5"), kCliExitFailure);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err_lines().back(), "Процедура поиска завершена.");
}

TEST(CliProbeTimeout, MultipliersCoverTheAnswersBytes) {
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  timeouts.rit[0] = 99;
  apply_probe_timeout(50, exchange, timeouts);
  EXPECT_EQ(exchange.timeout, 50);
  const uint16_t per_byte[] = {10, 5, 3, 2, 1, 1, 1, 1};  // 11 bits at 1200 .. 115200 baud, rounded up
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(timeouts.rttm[i], per_byte[i]) << i;
  EXPECT_EQ(timeouts.rit[0], 99);  // the gap allowed between bytes stays
}

}  // namespace
}  // namespace orn
