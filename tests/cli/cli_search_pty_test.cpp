// orn20mb-cli search as a program on a pseudo-terminal against orn20mb-sim
// serving two transmitters: each probe reopens the real port at its rate.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "cli/run_program.h"
#include "settings/temp_folder.h"
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

}  // namespace
}  // namespace orn
