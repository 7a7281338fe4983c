// Every orn20mb-cli command that unlocks a simulated transmitter ends a
// failure after the unlock with status 3 and one sentence about the write
// protection: a lock that is not answered, a write the device refuses.
#include <gtest/gtest.h>

#include "cli/cli_sim_line.h"

namespace orn {
namespace {

using CliWriteProtectionTest = test::CliOnSimLine;
using test::contains;

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

TEST_F(CliWriteProtectionTest, AFailureAfterTheUnlockIsToldOnceWithStatus3) {
  const struct {
    std::vector<std::string> args;
    const char* profile;  // written to p.prf
    bool drop_lock;
    const char* sentence;
  } cases[] = {
      {{"config", "write", "--yes", "DIGITS=0"}, "", true, "Прибор мог остаться без защиты от записи."},
      {{"profile", "write", "--yes", "p.prf"}, "[CH]\r\nunit=6\r\n", true, "Прибор мог остаться без защиты от записи."},
      {{"calib", "trims", "--set", "0,0.5,1", "--yes"}, "", true, "Прибор мог остаться без защиты от записи."},
      {{"calib", "zero", "--target", "100", "--samples", "1", "--write", "--yes"}, "", true,
       "прибор мог остаться без защиты от записи"},
      // The device takes units 0..11 only.
      {{"profile", "write", "--yes", "p.prf"}, "[CH]\r\nunit=12\r\n", false, "Прибор оставлен без защиты от записи."},
  };
  for (const auto& c : cases) {
    line.devices().clear();
    add();
    test::write_bytes(folder.file("p.prf"), c.profile);
    port.drop_lock = c.drop_lock;
    std::vector<std::string> args{"--attempts", "1"};
    for (const std::string& a : c.args) args.push_back(a == "p.prf" ? folder.file(a) : a);
    EXPECT_EQ(run(args), kCliExitFailure) << c.args[0] << " " << c.args[1] << "\n" << err.str();
    EXPECT_TRUE(contains(err.str(), c.sentence)) << err.str();
    EXPECT_EQ(count(err.str(), "без защиты от записи"), 1u) << err.str();
    EXPECT_TRUE(contains(err.str(), "orn20mb-cli: ошибка обмена на шаге «")) << err.str();
  }
}

}  // namespace
}  // namespace orn
