// orn20mb-cli calib against a simulated transmitter on an in-memory line:
// the display unit's conversions use the sensor's range, nothing is unlocked
// when nothing is written, an unreadable required value writes nothing.
#include <gtest/gtest.h>

#include <regex>

#include "cli/cli_sim_line.h"

namespace orn {
namespace {

using CliCalibTest = test::CliOnSimLine;
using test::contains;

// A user zero of 2 kPa on 0..250 kPa is 0.8 % of the range.
TEST_F(CliCalibTest, InPercentTheUserZeroIsConvertedWithTheSensorsRange) {
  sim::Transmitter& device = add();
  device.poke(sim::reg::UNIT, 0);
  device.poke_float(sim::reg::shift_usr, 2.0f);
  ASSERT_EQ(run({"calib", "trims"}), kCliExitOk) << err.str();
  EXPECT_EQ(out.str(), "shift_scale=0.000000 %\nshift_usr=0.800000 %\ndiap_usr=1.000000\n");

  // A zero adjustment to what the device reads keeps the user zero it has.
  ASSERT_EQ(run({"calib", "zero", "--target", "0", "--samples", "1", "--yes"}), kCliExitOk) << err.str();
  std::smatch reading;
  const std::string samples = out.str();
  ASSERT_TRUE(std::regex_search(samples, reading, std::regex(R"(IZMPsensun=(\S+))"))) << samples;
  ASSERT_EQ(run({"calib", "zero", "--target", reading[1].str(), "--samples", "1", "--write", "--yes"}), kCliExitOk)
      << err.str();
  EXPECT_TRUE(contains(out.str(), "shift_usr=0.800000 %\n")) << out.str();
  EXPECT_NEAR(device.stored_float(sim::reg::shift_usr), 2.0f, 1e-4);
}

TEST_F(CliCalibTest, WithoutWriteTheProtectionIsNeverOpened) {
  sim::Transmitter& device = add();
  for (const char* kind : {"zero", "span"}) {
    ASSERT_EQ(run({"calib", kind, "--target", "100", "--samples", "2", "--yes"}), kCliExitOk) << kind << err.str();
    EXPECT_FALSE(device.user_open()) << kind;
    EXPECT_EQ(writes_to(sim::reg::USERLOCK), 0u) << kind << ": the device was unlocked";
  }
}

TEST_F(CliCalibTest, WithWriteTheProtectionIsClosedAgain) {
  sim::Transmitter& device = add();
  ASSERT_EQ(run({"calib", "zero", "--target", "100", "--samples", "1", "--write", "--yes"}), kCliExitOk) << err.str();
  EXPECT_FALSE(device.user_open());
  EXPECT_FALSE(device.calib_open());
}

TEST_F(CliCalibTest, AnUnreadableRequiredValueEndsTheCommandBeforeAnythingIsSent) {
  const struct {
    const char* kind;
    const char* message;
  } cases[] = {
      {"zero", "Данные для подстройки смещения нуля не удается представить числом. Проверьте поле ввода."},
      {"span", "Данные для подстройки не удается представить числом. Проверьте поле ввода."},
  };
  add();
  for (const auto& c : cases) {
    EXPECT_EQ(run({"calib", c.kind, "--target", "1e39", "--write", "--yes"}), kCliExitFailure) << c.kind;
    EXPECT_TRUE(contains(err.str(), c.message)) << err.str();
    EXPECT_TRUE(port.sent().empty()) << c.kind << ": something was sent";
    EXPECT_EQ(out.str(), "");
  }
}

}  // namespace
}  // namespace orn
