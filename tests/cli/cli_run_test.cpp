// orn20mb-cli commands on a scripted port in virtual time: output lines, exit
// statuses, the link taken from the settings files, and files left untouched.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/fakes.h"
#include "support/scripted_port.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

using test::Bytes;

// The answer of address 1 to a read of the given words.
Bytes read_answer(const std::vector<uint16_t>& words) {
  Bytes frame = {0x01, 0x03, static_cast<uint8_t>(2 * words.size())};
  for (uint16_t w : words) {
    frame.push_back(static_cast<uint8_t>(w >> 8));
    frame.push_back(static_cast<uint8_t>(w & 0xFF));
  }
  return test::with_crc(frame);
}

// 101.325 kPa in order "3 2 1 0", ADC error bit, INIT contact, 23.5 degrees.
const std::vector<uint16_t> kBlock = {0x66A6, 0xCA42, 0x8000, 0x0010, 0xC200, 0,
                                      0,      0x0040, 0x41BC, 0x0000, 0};
const std::string kLine =
    "5.3.2026 07:04:09  PIZMF=   101.3250 IZMERR=  10 TIZMF=      23.50 STATP=c200 BTN=  40    \n";

class CliRunTest : public ::testing::Test {
 protected:
  void SetUp() override { clock.time = {2026, 3, 5, 7, 4, 9, 0}; }

  int run(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream in(line);
    for (std::string w; in >> w;) args.push_back(w);
    const CliParse p = parse_cli_options(args);
    EXPECT_EQ(p.error, "") << line;
    CliContext context{port, pump, clock, out, err, folder.path()};
    return run_cli(p.options, context);
  }
  size_t files_in_folder() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder.path()),
                                             std::filesystem::directory_iterator()));
  }

  test::TempFolder folder;
  test::ScriptedPort port;
  test::VirtualPump pump;
  test::FixedClock clock;
  std::ostringstream out, err;
};

TEST_F(CliRunTest, ReadPrintsTheMeasuredValueLine) {
  port.answers.push_back(read_answer(kBlock));
  EXPECT_EQ(run("--device /dev/pts/9 read --constant"), kCliExitOk);
  EXPECT_EQ(out.str(), kLine);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(port.written[0], test::with_crc({0x01, 0x03, 0x08, 0x00, 0x00, 0x0B}));
  // Built-in link without settings files: 19200 baud, no parity; nothing is created.
  EXPECT_EQ(port.opened_path, "/dev/pts/9");
  EXPECT_EQ(port.opened_baud, 19200u);
  EXPECT_EQ(port.opened_parity, 0);
  EXPECT_FALSE(port.is_open());
  EXPECT_EQ(files_in_folder(), 0u);
}

// Address 255 sends without checking answers: a read prints no value it never
// received and fails with a note; a write goes out and says it was not checked.
TEST_F(CliRunTest, Address255PrintsNoUnreadValues) {
  const std::string unread = "Адрес 255: ответ прибора не проверяется, значения не прочитаны.\n";
  const std::string zeros =
      "5.3.2026 07:04:09  PIZMF=     0.0000 IZMERR=   0 TIZMF=       0.00 STATP=   0 BTN=   0    \n";
  struct Case {
    const char* command;
    int status;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {"read", kCliExitFailure, "", unread},
      {"regs read 0x0100 2", kCliExitFailure, "", unread},
      // Polling lines repeat the last values read, as after any failed cycle.
      {"poll --count 2", kCliExitFailure, zeros + zeros + "cycles=2 meas_errors=0 exch_errors=2 retries=0\n",
       unread + unread},
      {"regs write 0x0100 5", kCliExitOk, "", "Адрес 255: запись отправлена, ответ прибора не проверялся.\n"},
  };
  for (const Case& c : cases) {
    out.str("");
    err.str("");
    port.written.clear();
    port.answers.push_back(read_answer(kBlock));  // even a good answer is not taken
    EXPECT_EQ(run(std::string("--device /dev/pts/9 --address 255 ") + c.command), c.status) << c.command;
    EXPECT_EQ(out.str(), c.out) << c.command;
    EXPECT_EQ(err.str(), c.err) << c.command;
    ASSERT_FALSE(port.written.empty()) << c.command;
    EXPECT_EQ(port.written[0][0], 0xFF) << c.command;
  }
}

TEST_F(CliRunTest, AFailedReadPrintsNoLineAndReportsOnStderr) {
  port.answers.push_back(test::with_crc({0x01, 0x83, 0x02}));
  EXPECT_EQ(run("--device /dev/pts/9 --attempts 1 read --latched"), kCliExitFailure);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "Адрес данных выходит за допустимые границы.\n");
  EXPECT_EQ(port.written.size(), 1u);  // one attempt only
  EXPECT_EQ(port.written[0][2], 0x03);
}

TEST_F(CliRunTest, PollPrintsEveryCycleAndTheCountersAndFailsIfAnyCycleFailed) {
  port.answers.push_back(read_answer(kBlock));
  port.answers.push_back({});  // the second cycle gets silence twice
  port.answers.push_back({});
  port.answers.push_back({});  // the third gets silence, then a good answer
  port.answers.push_back(read_answer(kBlock));
  EXPECT_EQ(run("--device /dev/pts/9 poll --count 3"), kCliExitFailure);
  EXPECT_EQ(out.str(), kLine + kLine + kLine + "cycles=3 meas_errors=3 exch_errors=1 retries=2\n");
  EXPECT_EQ(err.str(), "Ответа не было.\n");
  // One second after each cycle but the last, besides the pauses before repeated attempts.
  EXPECT_EQ(pump.waits, (std::vector<uint32_t>{1000, 1000, 1000, 1000}));
}

TEST_F(CliRunTest, PollWithOnlyGoodCyclesSucceeds) {
  port.answers.push_back(read_answer(kBlock));
  port.answers.push_back(read_answer(kBlock));
  EXPECT_EQ(run("--device /dev/pts/9 poll --count 2"), kCliExitOk);
  EXPECT_EQ(out.str(), kLine + kLine + "cycles=2 meas_errors=2 exch_errors=0 retries=0\n");
  EXPECT_EQ(pump.waits, std::vector<uint32_t>{1000});
}

// Without --count polling goes on until a stop signal, pausing --interval
// after each cycle; the counters are still printed and the status is 128 + N.
TEST_F(CliRunTest, PollWithoutACountRunsUntilStopped) {
  for (int i = 0; i < 10; ++i) port.answers.push_back(read_answer(kBlock));
  StopFlag stop;
  pump.on_dispatch = [&] {
    if (pump.waits.size() == 3) stop.raise(2);
  };
  std::vector<std::string> args = {"--device", "/dev/pts/9", "poll", "--interval", "250"};
  const CliParse p = parse_cli_options(args);
  ASSERT_EQ(p.error, "");
  CliContext context{port, pump, clock, out, err, folder.path(), &stop};
  EXPECT_EQ(run_cli(p.options, context), 130);
  EXPECT_EQ(out.str(), kLine + kLine + kLine + "cycles=3 meas_errors=3 exch_errors=0 retries=0\n");
  EXPECT_EQ(pump.waits, (std::vector<uint32_t>{250, 250, 250}));
}

TEST_F(CliRunTest, RegsReadAndWrite) {
  port.answers.push_back(read_answer({0x1000, 0xFFFF, 0x0000}));
  EXPECT_EQ(run("--device /dev/pts/9 regs read 0x01FE 3"), kCliExitOk);
  EXPECT_EQ(out.str(), "0x01FE 0x1000 4096\n0x01FF 0xFFFF 65535\n0x0200 0x0000 0\n");
  EXPECT_EQ(port.written[0], test::with_crc({0x01, 0x03, 0x01, 0xFE, 0x00, 0x03}));

  out.str("");
  port.answers.push_back(test::with_crc({0x01, 0x10, 0x04, 0x17, 0x00, 0x02}));
  EXPECT_EQ(run("--device /dev/pts/9 regs write 0x0417 1 0xABCD"), kCliExitOk);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(port.written[1],
            test::with_crc({0x01, 0x10, 0x04, 0x17, 0x00, 0x02, 0x04, 0x00, 0x01, 0xAB, 0xCD}));
}

TEST_F(CliRunTest, LatchWritesTheLatchRegister) {
  port.answers.push_back(test::with_crc({0x01, 0x10, 0x04, 0x17, 0x00, 0x01}));
  EXPECT_EQ(run("--device /dev/pts/9 latch"), kCliExitOk);
  EXPECT_EQ(port.written[0], test::with_crc({0x01, 0x10, 0x04, 0x17, 0x00, 0x01, 0x02, 0x00, 0x01}));
}

TEST_F(CliRunTest, TheLinkComesFromTheSettingsFilesWhichStayUnchanged) {
  const std::string dev =
      "[COM_SETTINGS]\r\nNumber=200\r\nSettings=9600,E,8,1\r\n[DEVICE]\r\nNetAdrr=7\r\n"
      "[SETTINGS]\r\nReask_val=1\r\n[LOG]\r\nUseLogFile=1\r\nLogFileName=trace.txt\r\n"
      "[PORTS]\r\n200=/dev/pts/44\r\n";
  test::write_bytes(folder.file("dev.dat"), dev);
  struct Case {
    const char* line;
    const char* path;
    uint32_t baud;
    uint16_t parity;
    uint8_t address;
  };
  const Case cases[] = {
      {"regs read 0x0100 1", "/dev/pts/44", 9600, 2, 7},
      {"--port-map 200=/dev/pts/45 regs read 0x0100 1", "/dev/pts/45", 9600, 2, 7},
      {"--port 3 --rate 57600 --parity odd --address 2 regs read 0x0100 1", "/dev/ttyS2", 57600, 1, 2},
      {"--port 255 --port-map 255=/dev/pts/46 regs read 0x0100 1", "/dev/pts/46", 9600, 2, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    port.written.clear();
    err.str("");
    EXPECT_EQ(run(c.line), kCliExitFailure);  // nobody answers
    EXPECT_EQ(port.opened_path, c.path);
    EXPECT_EQ(port.opened_baud, c.baud);
    EXPECT_EQ(port.opened_parity, c.parity);
    ASSERT_EQ(port.written.size(), 1u);  // Reask_val=1
    EXPECT_EQ(port.written[0][0], c.address);
    EXPECT_EQ(err.str(), "Ответа не было.\n");
  }
  // No trace without --trace, no to.dat created, dev.dat byte for byte as it was.
  EXPECT_EQ(files_in_folder(), 1u);
  EXPECT_EQ(test::read_bytes(folder.file("dev.dat")), dev);
}

TEST_F(CliRunTest, TraceGoesToTheNamedFile) {
  port.answers.push_back(read_answer({0x1234}));
  const std::string trace = folder.file("exchange.txt");
  EXPECT_EQ(run("--device /dev/pts/9 --trace " + trace + " regs read 0x0100 1"), kCliExitOk);
  const std::string text = test::read_bytes(trace);
  EXPECT_NE(text.find("01 03 01 00 00 01"), std::string::npos) << text;
  EXPECT_NE(text.find("01 03 02 12 34"), std::string::npos) << text;
}

TEST_F(CliRunTest, APortNumberWithoutADeviceCannotBeOpened) {
  EXPECT_EQ(run("--port 200 read"), kCliExitFailure);
  EXPECT_EQ(err.str(), "Невозможно открыть последовательный порт\nCOM200: номеру порта не сопоставлено устройство\n");
  EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace orn
