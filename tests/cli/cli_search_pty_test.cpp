// orn20mb-cli search as a program on a pseudo-terminal against orn20mb-sim
// serving two transmitters: each probe reopens the real port at its rate.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "cli/run_program.h"
#include "support/temp_folder.h"
#include "support/child_process.h"

namespace orn {
namespace {

TEST(CliSearchOnAPty, FindsBothAddressesAndOnlyAtTheirRate) {
  test::ChildProcess sim({ORN20MB_SIM, "--address", "3,7"});  // 19200 baud, no parity
  const std::string device = sim.read_line(10000);
  ASSERT_FALSE(device.empty());
  test::TempFolder folder;
  // A pty carries no parity, so only no parity is tried.
  const auto r = test::run_program({ORN20MB_CLI, "--device", device, "search", "--rates", "9600,19200", "--parities",
                                    "none", "--from", "1", "--to", "8", "--timeout", "50", "--attempts", "1"},
                                   folder.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Скорость 19200  без парит. Сет. номер 3\nСкорость 19200  без парит. Сет. номер 7\n");
  EXPECT_EQ(r.err.find("Проверяется скорость 9600 без паритета номер прибора 1\n"), 0u) << r.err;
  const std::string ending = "Проверяется скорость 19200 без паритета номер прибора 8\nПроцедура поиска завершена.\n";
  EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), ending.size())), ending);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "the program left a file behind";
  EXPECT_EQ(sim.terminate(), 0);
}

// On a line that runs at the wire's speed, a transmitter that starts its answer
// a little within the allowance after the request and the silence is found:
// the wait counts from the end of the request on the wire, and an answer that
// has started is read to its end, however slow the rate.
TEST(CliSearchOnAPacedPty, FindsADeviceAnsweringAtTheEdgeOfTheAllowance) {
  const struct {
    const char* baud;
    const char* parity;
    const char* delay;
    const char* timeout;  // nullptr: the default allowance
  } cases[] = {
      {"1200", "even", "16", "20"},
      {"115200", "odd", "16", "20"},
      {"115200", "none", "2", "5"},
      {"1200", "odd", "20", nullptr},
      {"115200", "even", "20", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.baud) + " " + c.parity + " delay " + c.delay);
    test::ChildProcess sim({ORN20MB_SIM, "--paced", "--address", "5", "--rate", c.baud, "--parity", c.parity,
                            "--delay", c.delay});
    const std::string device = sim.read_line(10000);
    ASSERT_FALSE(device.empty());
    test::TempFolder folder;
    std::vector<std::string> args{ORN20MB_CLI, "--device", device, "search", "--rates", c.baud, "--parities",
                                  c.parity, "--from", "4", "--to", "6", "--attempts", "1"};
    if (c.timeout != nullptr) args.insert(args.end(), {"--timeout", c.timeout});
    const auto r = test::run_program(args, folder.path());
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string rate_text = std::string(c.baud) + " ";
    const std::string parity_text = std::string(c.parity) == "none" ? "без парит." : std::string(c.parity) == "odd" ? "нечёт. пар." : "чет. пар.";
    EXPECT_EQ(r.out, "Скорость " + rate_text + " " + parity_text + " Сет. номер 5\n");
    EXPECT_EQ(sim.terminate(), 0);
  }
}

}  // namespace
}  // namespace orn
