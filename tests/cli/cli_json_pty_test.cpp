// orn20mb-cli --json as a program against orn20mb-sim on a pseudo-terminal:
// each line of read, poll, regs read and config read is one JSON object that
// Python's json module takes, numbers as numbers; a failed exchange gives its
// fault set, exception code and message; Ctrl+C ends polling with the counters.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "cli/config_registers.h"
#include "cli/cli_sim_program.h"

namespace orn {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Each JSON line parsed by Python, its members as "key" -> the member's value
// written back as JSON (a string in quotes, a number without).
using Object = std::map<std::string, std::string>;

// Parses every line of text strictly (one object a line, no NaN); empty when
// a line is not such an object.
std::vector<Object> parse_lines(const std::string& text) {
  const test::TempFolder scratch;
  const std::string input = scratch.file("lines.json");
  std::ofstream(input) << text;
  const int fd = open(input.c_str(), O_RDONLY);
  const char* script =
      "import json, sys\n"
      "def no_constant(name): raise ValueError(name)\n"
      "for line in sys.stdin.read().split('\\n')[:-1]:\n"
      "    o = json.loads(line, parse_constant=no_constant)\n"
      "    assert isinstance(o, dict)\n"
      "    for k, v in o.items(): print(k + '\\t' + json.dumps(v, ensure_ascii=False, separators=(',', ':')))\n"
      "    print('.')\n";
  const auto r = test::run_program({kPython, "-c", script}, scratch.path(), 20000, fd);
  close(fd);
  EXPECT_EQ(r.status, 0) << r.err << text;
  std::vector<Object> objects;
  if (r.status != 0) return objects;
  std::istringstream in(r.out);
  Object o;
  for (std::string line; std::getline(in, line);) {
    if (line == ".") {
      objects.push_back(o);
      o.clear();
      continue;
    }
    const size_t tab = line.find('\t');
    o[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return objects;
}

class JsonAgainstSimulator : public test::CliAgainstSimProgram {
 protected:
  void SetUp() override {
    if (access(kPython, X_OK) != 0) GTEST_SKIP() << "no python3 to parse JSON";
    start({"--pressure", "101.325", "--izmerr", "2"});
  }
  static void expect_reading(const Object& o) {
    EXPECT_EQ(o.at("ok"), "true");
    EXPECT_TRUE(std::regex_match(o.at("time"), std::regex(R"("\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d")"))) << o.at("time");
    EXPECT_EQ(o.at("pressure"), "101.325");
    EXPECT_EQ(o.at("error_bits"), "2");
    EXPECT_EQ(o.at("temperature"), "23.5");
    EXPECT_EQ(o.at("status_bits"), "512");  // STATP 0x0200
    EXPECT_EQ(o.at("button_bits"), "0");
    EXPECT_EQ(o.at("faults"), "[]");
    EXPECT_EQ(o.at("fault_bits"), "0");
    EXPECT_EQ(o.at("exception"), "0");
  }

};

TEST_F(JsonAgainstSimulator, ReadAndPollPrintAnObjectPerReading) {
  auto r = cli({"read", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  auto lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 1u) << r.out;
  expect_reading(lines[0]);

  r = cli({"poll", "--count", "2", "--interval", "0", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  expect_reading(lines[0]);
  expect_reading(lines[1]);
  EXPECT_EQ(lines[2], (Object{{"cycles", "2"}, {"meas_errors", "0"}, {"exch_errors", "0"}, {"retries", "0"}}));
}

TEST_F(JsonAgainstSimulator, RegsReadPrintsAnObjectPerRegister) {
  const auto r = cli({"regs", "read", "--json", "0x0408", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(lines[i].at("address"), std::to_string(0x0408 + i));
  EXPECT_EQ(lines[0].at("value"), "1");  // ADR
  EXPECT_EQ(lines[1].at("value"), "7");  // the rate index of 19200
}

TEST_F(JsonAgainstSimulator, ConfigReadPrintsAnObjectPerRegisterWithItsText) {
  // A user text with a quote and a backslash, escaped in JSON.
  auto r = cli({"config", "write", "--yes", R"(USERTEXT="a\"b\\c Линия")"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = cli({"config", "read", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), config_registers().size()) << r.out;
  std::map<std::string, Object> by_name;
  for (const Object& o : lines) by_name[o.at("name")] = o;
  const auto expect = [&](const std::string& name, const std::string& value, const std::string& text) {
    SCOPED_TRACE(name);
    ASSERT_EQ(by_name.count("\"" + name + "\""), 1u);
    EXPECT_EQ(by_name["\"" + name + "\""].at("value"), value);
    EXPECT_EQ(by_name["\"" + name + "\""].at("text"), text);
  };
  expect("ADR", "1", R"("1")");
  expect("RATE", "19200", R"("19200")");
  expect("PARITY", R"("none")", R"("none")");
  expect("UNIT", "2", "\"2 (кПа)\"");
  expect("XNUL", "2", R"("0x0002")");
  expect("MAXOVLD", "10.0", R"("10.00")");
  expect("USERTEXT", R"("a\"b\\c Линия     ")", R"("\"a\\\"b\\\\c Линия     \"")");
}

TEST_F(JsonAgainstSimulator, AFailureGivesItsFaultsExceptionAndMessage) {
  // Nobody at address 9: no answer.
  auto r = cli({"-a", "9", "--attempts", "1", "read", "--json"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Ответа не было.\n");
  auto lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 1u) << r.out;
  EXPECT_EQ(lines[0].at("ok"), "false");
  EXPECT_NE(lines[0].at("faults").find("\"no_answer\""), std::string::npos) << lines[0].at("faults");
  EXPECT_NE(lines[0].at("fault_bits"), "0");
  EXPECT_EQ(lines[0].at("exception"), "0");
  EXPECT_EQ(lines[0].at("error"), "\"Ответа не было.\"");
  EXPECT_EQ(lines[0].count("pressure"), 0u);

  r = cli({"-a", "9", "--attempts", "1", "poll", "--count", "1", "--json"});
  EXPECT_EQ(r.status, 3);
  lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[0].at("ok"), "false");
  EXPECT_EQ(lines[1].at("exch_errors"), "1");

  r = cli({"-a", "9", "--attempts", "1", "config", "read", "--json"});
  EXPECT_EQ(r.status, 3);
  lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 1u) << r.out;
  EXPECT_EQ(lines[0].at("step"), "\"чтение параметров обмена\"");
  EXPECT_EQ(lines[0].at("error"), "\"Ответа не было.\"");

  // Registers the device does not have: exception 2.
  r = cli({"regs", "read", "--json", "0x0000", "2"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Адрес данных выходит за допустимые границы.\n");
  lines = parse_lines(r.out);
  ASSERT_EQ(lines.size(), 1u) << r.out;
  EXPECT_EQ(lines[0].at("ok"), "false");
  EXPECT_EQ(lines[0].at("address"), "0");
  EXPECT_EQ(lines[0].at("count"), "2");
  EXPECT_NE(lines[0].at("faults").find("\"exception\""), std::string::npos) << lines[0].at("faults");
  EXPECT_EQ(lines[0].at("exception"), "2");
  EXPECT_EQ(lines[0].at("error"), "\"Адрес данных выходит за допустимые границы.\"");
}

// Ctrl+C while polling with --json: every line so far is whole JSON, the last the counters.
TEST_F(JsonAgainstSimulator, InterruptedPollEndsWithTheCounters) {
  const auto r = cli({"poll", "--interval", "50", "--json"}, {SIGINT, "\"ok\":true", 0});
  EXPECT_EQ(r.status, 128 + SIGINT) << r.err;
  const auto lines = parse_lines(r.out);
  ASSERT_GE(lines.size(), 2u) << r.out;
  for (size_t i = 0; i + 1 < lines.size(); ++i) expect_reading(lines[i]);
  EXPECT_EQ(lines.back().at("cycles"), std::to_string(lines.size() - 1));
  EXPECT_EQ(lines.back().at("exch_errors"), "0");
}

}  // namespace
}  // namespace orn
