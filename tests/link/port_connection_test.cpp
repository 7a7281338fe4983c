#include "link/port_connection.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace orn {
namespace {

// Records every call in order; opens and probes succeed for the paths in present.
class RecordingPort final : public SerialPort {
 public:
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override {
    calls.push_back("open " + path + " " + std::to_string(baud) + " " + std::to_string(parity));
    open_ = present.count(path) > 0;
    return open_;
  }
  void close() override {
    calls.push_back("close");
    open_ = false;
  }
  bool is_open() const override { return open_; }
  bool probe(const std::string& path) override {
    probed.push_back(path);
    return present.count(path) > 0;
  }
  void set_timeouts(const SerialTimeouts& t) override {
    timeouts = t;
    calls.push_back("timeouts");
  }
  void purge() override { calls.push_back("purge"); }
  size_t write(const uint8_t*, size_t) override { return 0; }
  size_t read(uint8_t*, size_t) override { return 0; }
  uint32_t take_line_errors() override { return 0; }
  void set_rts(bool on) override { calls.push_back(on ? "rts on" : "rts off"); }
  void set_dtr(bool on) override { calls.push_back(on ? "dtr on" : "dtr off"); }

  std::set<std::string> present;
  std::vector<std::string> calls;
  std::vector<std::string> probed;
  SerialTimeouts timeouts{};

 private:
  bool open_ = false;
};

class PortConnectionTest : public ::testing::Test {
 protected:
  RecordingPort port;
  PortMap map;
  test::ScriptedPrompt prompt;
  PortConnection conn{port, map, prompt};
};

TEST_F(PortConnectionTest, ProbeListsPresentPortsAscendingOverEveryMappedNumber) {
  map.set(200, "/tmp/pty-200");
  map.set(5, "");  // mapped to no device
  port.present = {"/dev/ttyUSB1", "/dev/ttyS0", "/tmp/pty-200", "/dev/ttyACM31", "/dev/ttyS4"};

  EXPECT_EQ(conn.probe(), 4);
  EXPECT_EQ(conn.count(), 4);
  const std::vector<uint16_t> found(conn.table().begin(), conn.table().begin() + 5);
  EXPECT_EQ(found, (std::vector<uint16_t>{1, 34, 96, 200, 0}));

  // 1..96 by default, minus the hidden 5, plus 200; never 0 or 256.
  ASSERT_EQ(port.probed.size(), 96u);
  EXPECT_EQ(port.probed.front(), "/dev/ttyS0");
  EXPECT_EQ(port.probed.back(), "/tmp/pty-200");
  EXPECT_EQ(std::count(port.probed.begin(), port.probed.end(), "/dev/ttyS4"), 0);
}

TEST_F(PortConnectionTest, ProbeZeroFillsTheTableEveryTime) {
  port.present = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"};
  ASSERT_EQ(conn.probe(), 3);
  port.present = {"/dev/ttyS2"};
  EXPECT_EQ(conn.probe(), 1);
  EXPECT_EQ(conn.table()[0], 3);
  for (size_t i = 1; i < kPortTableSize; ++i) ASSERT_EQ(conn.table()[i], 0) << i;

  port.present.clear();
  EXPECT_EQ(conn.probe(), 0);
  for (uint16_t entry : conn.table()) ASSERT_EQ(entry, 0);
}

TEST_F(PortConnectionTest, FailedOpenIsToldOnlyWhenAskedFor) {
  struct Case {
    uint16_t port_number;
    bool report;
    size_t messages;
    const char* second_line;  // after the fixed first line
  };
  const Case cases[] = {
      {1, true, 1, "/dev/ttyS0"},  // device missing; this port tells no reason
      {1, false, 0, ""},
      {150, true, 1, "COM150: номеру порта не сопоставлено устройство"},
      {150, false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "port " << c.port_number << " report " << c.report);
    prompt.records.clear();
    port.calls.clear();
    conn.open(c.port_number, 7, 0, 2000, c.report);
    EXPECT_FALSE(conn.is_open());
    ASSERT_EQ(prompt.records.size(), c.messages);
    if (c.messages) {
      EXPECT_FALSE(prompt.records[0].question);
      EXPECT_EQ(prompt.records[0].text, std::string("Невозможно открыть последовательный порт\n") + c.second_line);
      EXPECT_EQ(prompt.records[0].caption, "Ошибка");
      EXPECT_EQ(prompt.records[0].icon, PromptIcon::Error);
    }
    // Nothing is configured on a port that did not open.
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "timeouts"), 0);
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "purge"), 0);
  }
}

// Linux raises RTS and DTR at every open, so every open puts them back.
TEST_F(PortConnectionTest, OpenClosesFirstThenConfiguresPurgesAndSetsTheModemLines) {
  port.present = {"/dev/ttyUSB0"};
  conn.open(33, 6, 2, 1500, true);
  conn.open(33, 6, 2, 1500, true);  // same parameters: still closed and reopened
  EXPECT_TRUE(conn.is_open());
  EXPECT_TRUE(prompt.records.empty());
  const std::vector<std::string> once = {"close", "open /dev/ttyUSB0 9600 2", "timeouts", "purge",
                                          "rts off", "dtr on"};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(port.calls, twice);
}

TEST_F(PortConnectionTest, ParityCodesOtherThanOddAndEvenOpenWithoutParity) {
  port.present = {"/dev/ttyS0"};
  const std::pair<uint16_t, std::string> cases[] = {
      {0, "open /dev/ttyS0 19200 0"}, {1, "open /dev/ttyS0 19200 1"},
      {2, "open /dev/ttyS0 19200 2"}, {3, "open /dev/ttyS0 19200 0"},
      {0xFFFF, "open /dev/ttyS0 19200 0"},
  };
  for (const auto& [parity, expected] : cases) {
    port.calls.clear();
    conn.open(1, 7, parity, 2000, true);
    ASSERT_GE(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[1], expected) << "parity " << parity;
  }
}

TEST_F(PortConnectionTest, OpenTimeTimeoutsFollowTheRateIndex) {
  struct Case {
    uint16_t rate_index;
    uint32_t baud;
    uint32_t interval_and_multiplier;
  };
  const Case cases[] = {{3, 1200, 192},  {4, 2400, 96},   {5, 4800, 48},    {6, 9600, 24},
                        {7, 19200, 24},  {8, 38400, 24},  {9, 57600, 24},   {10, 115200, 24}};
  port.present = {"/dev/ttyS0"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate_index);
    port.calls.clear();
    conn.open(1, c.rate_index, 0, 777, true);
    EXPECT_EQ(port.calls[1], "open /dev/ttyS0 " + std::to_string(c.baud) + " 0");
    EXPECT_EQ(port.timeouts.read_interval, c.interval_and_multiplier);
    EXPECT_EQ(port.timeouts.read_multiplier, c.interval_and_multiplier);
    EXPECT_EQ(port.timeouts.read_constant, 777u);
    EXPECT_EQ(port.timeouts.write_multiplier, 0u);
    EXPECT_EQ(port.timeouts.write_constant, 0u);
  }
}

TEST_F(PortConnectionTest, RateIndexOutsideTheTableOpensAt19200AndKeepsTheLastTimeouts) {
  port.present = {"/dev/ttyS0"};
  conn.open(1, 11, 0, 500, true);
  EXPECT_EQ(port.calls[1], "open /dev/ttyS0 19200 0");
  EXPECT_EQ(port.timeouts.read_interval, 0u);  // nothing set before
  EXPECT_EQ(port.timeouts.read_multiplier, 0u);
  EXPECT_EQ(port.timeouts.read_constant, 500u);

  conn.open(1, 4, 0, 500, true);
  conn.open(1, 0, 0, 900, true);
  EXPECT_EQ(port.calls.back(), "dtr on");
  EXPECT_EQ(port.timeouts.read_interval, 96u);
  EXPECT_EQ(port.timeouts.read_multiplier, 96u);
  EXPECT_EQ(port.timeouts.read_constant, 900u);
  EXPECT_EQ(conn.timeouts().read_interval, 96u);
}

TEST_F(PortConnectionTest, AFailedOpenLeavesTheModemLinesAlone) {
  conn.open(1, 7, 0, 2000, false);
  EXPECT_EQ(port.calls, (std::vector<std::string>{"close", "open /dev/ttyS0 19200 0"}));
}

}  // namespace
}  // namespace orn
