// orn20mb-cli as a program on a pseudo-terminal: against an independent
// libmodbus slave over a null modem, and against the simulated transmitter.
// Each run starts in an empty working directory, which must stay empty.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

#include <filesystem>
#include <memory>
#include <regex>

#include "cli/run_program.h"
#include "support/temp_folder.h"
#include "support/child_process.h"
#include "support/null_modem.h"
#include "support/tcp_gateway.h"

namespace orn {
namespace {

class CliProgram : public ::testing::Test {
 protected:
  test::ProgramResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), {ORN20MB_CLI, "--device", device});
    return test::run_program(args, folder.path());
  }
  void TearDown() override {
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "the program left a file behind";
  }

  test::TempFolder folder;
  std::string device;
};

#ifdef LIBMODBUS_SLAVE
class CliAgainstLibmodbus : public CliProgram {
 protected:
  void SetUp() override {
    slave = std::make_unique<test::ChildProcess>(std::vector<std::string>{LIBMODBUS_SLAVE, modem.path_a()});
    ASSERT_EQ(slave->read_line(10000), "ready");
    device = modem.path_b();
  }
  void TearDown() override {
    EXPECT_EQ(slave->terminate(), 0);
    CliProgram::TearDown();
  }
  test::NullModem modem;
  std::unique_ptr<test::ChildProcess> slave;
};

TEST_F(CliAgainstLibmodbus, RegsReadPrintsOneLinePerRegister) {
  const auto r = cli({"regs", "read", "0x0100", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0x0100 0x1000 4096\n0x0101 0x1001 4097\n0x0102 0x1002 4098\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliAgainstLibmodbus, WrittenRegistersReadBack) {
  auto r = cli({"regs", "write", "0x01F0", "0x4B1D", "0", "65535"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = cli({"regs", "read", "496", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0x01F0 0x4B1D 19229\n0x01F1 0x0000 0\n0x01F2 0xFFFF 65535\n");
}

TEST_F(CliAgainstLibmodbus, AnUnmappedAddressFailsWithTheDevicesMessage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--attempts", "1", "regs", "read", "0x0000", "2"},
        std::vector<std::string>{"--attempts", "1", "regs", "write", "0x0000", "1"}}) {
    const auto r = cli(args);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Адрес данных выходит за допустимые границы.\n");
  }
}
#endif

#ifdef ORN20MB_SIM
// "D.M.YYYY hh:mm:ss  " before the values of the line.
const std::string kStamp = R"(\d{1,2}\.\d{1,2}\.\d{4} \d\d:\d\d:\d\d  )";
const std::string kValues = "PIZMF=   101.3250 IZMERR=   0 TIZMF=      23.50 STATP= 200 BTN=   0    \n";

class CliAgainstSimulator : public CliProgram {
 protected:
  void start(std::vector<std::string> options) {
    options.insert(options.begin(), ORN20MB_SIM);
    sim = std::make_unique<test::ChildProcess>(options);
    device = sim->read_line(10000);
    ASSERT_FALSE(device.empty());
  }
  void TearDown() override {
    if (sim) {
      EXPECT_EQ(sim->terminate(), 0);
    }
    CliProgram::TearDown();
  }
  static bool lines_match(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
  }
  std::unique_ptr<test::ChildProcess> sim;
};

TEST_F(CliAgainstSimulator, ReadLatchAndLatchedRead) {
  ASSERT_NO_FATAL_FAILURE(start({"--pressure", "101.325"}));
  auto r = cli({"read"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(lines_match(r.out, kStamp + kValues)) << r.out;
  r = cli({"latch"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = cli({"read", "--latched"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(lines_match(r.out, kStamp + kValues)) << r.out;
}

TEST_F(CliAgainstSimulator, ReadsThroughATcpGateway) {
  ASSERT_NO_FATAL_FAILURE(start({"--pressure", "101.325"}));
  test::TcpGateway gateway(device);
  ASSERT_TRUE(gateway.listening());
  device = gateway.path();
  const auto r = cli({"--rate", "9600", "read"});  // the rate is the gateway's business
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(lines_match(r.out, kStamp + kValues)) << r.out;
}

TEST_F(CliAgainstSimulator, PollPrintsTwoLinesAndTheCounters) {
  ASSERT_NO_FATAL_FAILURE(start({"--pressure", "101.325", "--izmerr", "2"}));
  const auto r = cli({"poll", "--count", "2"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string values = "PIZMF=   101.3250 IZMERR=   2 TIZMF=      23.50 STATP= 200 BTN=   0    \n";
  EXPECT_TRUE(lines_match(r.out, kStamp + values + kStamp + values +
                                     "cycles=2 meas_errors=0 exch_errors=0 retries=0\n"))
      << r.out;
  EXPECT_EQ(r.err, "");
}

// A stop signal during polling: the running cycle ends, the counters are still
// printed, the port is closed and the status tells the signal (128 + number).
TEST_F(CliAgainstSimulator, AStopSignalEndsPollingWithTheCounters) {
  ASSERT_NO_FATAL_FAILURE(start({"--pressure", "101.325"}));
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    test::ChildProcess poll({ORN20MB_CLI, "--device", device, "poll", "--count", "1000"}, folder.path());
    const std::string first = poll.read_line(10000);
    EXPECT_TRUE(lines_match(first + "\n", kStamp + kValues)) << first;
    EXPECT_EQ(poll.terminate(sig), 128 + sig) << strsignal(sig);
    std::string last;
    for (std::string line = poll.read_line(2000); !line.empty(); line = poll.read_line(2000)) last = line;
    EXPECT_TRUE(lines_match(last, R"(cycles=\d+ meas_errors=0 exch_errors=0 retries=0)")) << last;
  }
}

TEST_F(CliAgainstSimulator, PollKeepsGoingThroughFailedCycles) {
  ASSERT_NO_FATAL_FAILURE(start({"--fault", "exception:4", "--fault-rate", "1"}));
  const auto r = cli({"--attempts", "1", "poll", "--count", "2"});
  EXPECT_EQ(r.status, 3);
  // Nothing was ever read: the lines repeat the record's initial zeros. A
  // failed attempt within the retry mask marks the cycle retried even when
  // the attempt limit allows no repetition.
  const std::string zeros = "PIZMF=     0.0000 IZMERR=   0 TIZMF=       0.00 STATP=   0 BTN=   0    \n";
  EXPECT_TRUE(lines_match(r.out, kStamp + zeros + kStamp + zeros +
                                     "cycles=2 meas_errors=0 exch_errors=2 retries=2\n"))
      << r.out;
  EXPECT_EQ(r.err, "Ошибка в работе адресуемого устройства.\nОшибка в работе адресуемого устройства.\n");
}

TEST_F(CliAgainstSimulator, RegsReadTheIdentityAndAProtectedWriteFails) {
  ASSERT_NO_FATAL_FAILURE(start({}));
  auto r = cli({"regs", "read", "0x0480", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0x0480 0x0001 1\n0x0481 0x0006 6\n0x0482 0x0000 0\n");
  r = cli({"--attempts", "1", "regs", "write", "0x0500", "3"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Ошибка в работе адресуемого устройства.\n");
}

// A zero adjustment written from the command line: the sensor's offset of
// 2.5 kPa is taken out, so the next read shows the target.
TEST_F(CliAgainstSimulator, CalibZeroWrittenMovesTheReadingToTheTarget) {
  ASSERT_NO_FATAL_FAILURE(start({"--pressure", "100", "--sensor-offset", "2.5"}));
  auto r = cli({"calib", "zero", "--target", "100", "--samples", "3", "--write", "--yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "1  IZMPsensun=102.5000    среднее=102.5000   \n"
            "2  IZMPsensun=102.5000    среднее=102.5000   \n"
            "3  IZMPsensun=102.5000    среднее=102.5000   \n"
            "shift_usr=-2.500000 кПа\n");
  EXPECT_NE(r.err.find("Запись смещения датчика успешно осуществлена."), std::string::npos) << r.err;
  r = cli({"read"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(lines_match(r.out, kStamp + "PIZMF=   100.0000 .*\n")) << r.out;
  r = cli({"calib", "trims"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "shift_scale=0.000000 кПа\nshift_usr=-2.500000 кПа\ndiap_usr=1.000000\n");
  // The written adjustment is recorded and journaled, the only files the commands leave.
  const std::string record = test::read_bytes(folder.file("calibration.csv"));
  EXPECT_NE(record.find(";кПа;подстройка нуля;;;100.0000;102.5000;-2.500000;;;записано\n"), std::string::npos)
      << record;
  const std::string journal = test::read_bytes(folder.file("changes.csv"));
  EXPECT_NE(journal.find(";подстройка нуля;shift_usr;0;-2.5;записано, без проверки чтением\n"), std::string::npos)
      << journal;
  std::filesystem::remove(folder.file("calibration.csv"));
  std::filesystem::remove(folder.file("changes.csv"));
}

TEST_F(CliAgainstSimulator, LinkSettingsOfTheCommandLine) {
  ASSERT_NO_FATAL_FAILURE(start({"--address", "17", "--rate", "9600", "--parity", "even"}));
  auto r = cli({"--rate", "9600", "--parity", "even", "--address", "17", "regs", "read", "0x0408", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0x0408 0x0011 17\n0x0409 0x0006 6\n0x040A 0x0002 2\n");
  r = cli({"--rate", "9600", "--parity", "even", "--address", "18", "--attempts", "1", "read"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Ответа не было.\n");
}
#endif

// The reason is the system's text in the user's language.
TEST_F(CliProgram, APortThatCannotBeOpenedIsNamedWithTheReason) {
  const std::string refused = "tcp:127.0.0.1:" + std::to_string(test::unused_tcp_port());
  const struct {
    std::string locale, path, reason;
  } cases[] = {
      {"C.UTF-8", folder.file("no-such-tty"), "No such file or directory"},
      {"C.UTF-8", "/dev/null", "Inappropriate ioctl for device"},  // not a terminal
      {"C.UTF-8", refused, "Connection refused"},
      {"ru_RU.UTF-8", folder.file("no-such-tty"), "Нет такого файла или каталога"},
      {"ru_RU.UTF-8", "/dev/null", "Неприменимый к данному устройству ioctl"},
  };
  const char* saved = std::getenv("LC_ALL");
  const std::string before = saved ? saved : "";
  for (const auto& c : cases) {
    setenv("LC_ALL", c.locale.c_str(), 1);
    device = c.path;
    const auto r = cli({"read"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "Невозможно открыть последовательный порт\n" + c.path + ": " + c.reason + "\n") << c.locale;
  }
  if (saved) setenv("LC_ALL", before.c_str(), 1);
  else unsetenv("LC_ALL");
}

TEST_F(CliProgram, UsageErrorsAndHelp) {
  device = "/dev/null";
  // A usage error: one line naming the problem and the hint, not the help.
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"regs", "read", "0x0100", "125"}, "неверное значение числа регистров \"125\": ожидается от 1 до 124"},
      {{"--p", "3", "read"}, "неоднозначный параметр \"--p\": --port, --port-map, --parity, --parities, --points"},
      {{"read", "-x"}, "неизвестный параметр \"-x\""},
      {{"read", "--addr"}, "параметр --address требует значения"},
  };
  for (const auto& [args, error] : refused) {
    const auto r = cli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "orn20mb-cli: " + error + "\nПодробнее: orn20mb-cli --help\n");
    EXPECT_EQ(r.out, "");
  }
  for (const char* help : {"--help", "-h", "--he", "-hPnone"}) {
    const auto r = cli({help});
    EXPECT_EQ(r.status, 0) << help;
    EXPECT_EQ(r.out.find("Использование:"), 0u) << help;
    EXPECT_EQ(r.err, "");
  }
  for (const char* version : {"--version", "--vers"}) {
    const auto r = cli({"read", version});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "orn20mb-cli " ORN20MB_VERSION "\n");
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
}  // namespace orn
