// orn20mb-cli profile write against a simulated transmitter on an in-memory
// line: only what the profile file holds is changed, the device keeps its
// address, rate and parity unless --take-link, and a group with nothing to
// change is not written.
#include <gtest/gtest.h>

#include <array>

#include "cli/cli_sim_line.h"

namespace orn {
namespace {

using test::contains;

class CliProfileTest : public test::CliOnSimLine {
 protected:
  // Every register profile write may send, as the device holds them.
  std::vector<uint16_t> settings(sim::Transmitter& device) {
    std::vector<uint16_t> words;
    for (uint16_t a = 0x0400; a < 0x0420; ++a) words.push_back(device.read_register(a, 0));
    for (uint16_t a = 0x0500; a < 0x0520; ++a) words.push_back(device.read_register(a, 0));
    for (uint16_t a = 0x0620; a < 0x0627; ++a) words.push_back(device.read_register(a, 0));
    return words;
  }
  int write_profile(const std::string& text, std::vector<std::string> options = {}) {
    test::write_bytes(folder.file("p.prf"), text);
    std::vector<std::string> args{"--address", "9", "--rate", "38400", "profile", "write", "--yes"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(folder.file("p.prf"));
    return run(args);
  }
};

TEST_F(CliProfileTest, OnlyTheKeysTheFileHoldsAreChanged) {
  sim::Transmitter& device = add(9, 38400);
  std::vector<uint16_t> expected = settings(device);
  expected[0x20] = 6;  // UNIT, the first word after the 0x20 from 0x0400
  ASSERT_EQ(write_profile("[CH]\r\nunit=6\r\n"), kCliExitOk) << err.str();
  EXPECT_EQ(settings(device), expected);
  EXPECT_EQ(device.link(), (sim::LinkSettings{9, 38400, 0}));
  EXPECT_FALSE(device.user_open());
  // The new values come before the question; the trims and the exchange parameters are not written.
  const std::string e = err.str();
  EXPECT_LT(e.find("Новые значения: UNIT=6 (бар)\n"), e.find("Данные канала будут переписаны.")) << e;
  EXPECT_EQ(writes_to(sim::reg::shift_usr), 0u);
  EXPECT_EQ(writes_to(0x0408), 0u);
}

TEST_F(CliProfileTest, AProfileTheDeviceAlreadyMatchesWritesNothing) {
  add(9, 38400);
  ASSERT_EQ(write_profile("[CH]\r\nunit=2\r\nshift_usr=0\r\n[IND]\r\npoint=2\r\n"), kCliExitOk) << err.str();
  EXPECT_EQ(writes_to(sim::reg::USERLOCK), 0u) << err.str();
}

TEST_F(CliProfileTest, TheProfilesLinkOnlyWithTakeLink) {
  const struct {
    std::vector<std::string> options;
    sim::LinkSettings link;
  } cases[] = {
      {{}, {9, 38400, 0}},
      {{"--take-link"}, {5, 19200, 0}},
  };
  for (const auto& c : cases) {
    line.devices().clear();
    sim::Transmitter& device = add(9, 38400);
    ASSERT_EQ(write_profile("[NEW_COMM]\r\nNET_NUM=5\r\nNET_SPD=7\r\nNET_PAR=0\r\nNET_DELY=4\r\n", c.options),
              kCliExitOk)
        << err.str();
    EXPECT_EQ(device.link(), c.link);
    EXPECT_EQ(device.read_register(sim::reg::DELY, 0), 4);
    EXPECT_FALSE(device.user_open());
  }
}

}  // namespace
}  // namespace orn
