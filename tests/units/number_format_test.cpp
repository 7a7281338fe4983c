#include "units/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace orn {
namespace {

// Runs every case under a Russian locale, whose decimal separator is ",".
class NumberFormatRu : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LANG", "ru_RU.UTF-8", 1);
    ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr) << "ru_RU.UTF-8 is not installed";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the locale is really in force
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(NumberFormatRu, FixedFormatsUseAPoint) {
  struct Case {
    double x;
    NumberFormat f;
    const char* text;
  } cases[] = {
      {1.5, NumberFormat::Value, "1.5000     "},
      {-2.5492904, NumberFormat::Value, "-2.5493    "},
      {123456.5, NumberFormat::Percent, "123456.50"},  // wider than 5, not cut
      {4.9988, NumberFormat::Percent, "5.00 "},
      {0.0, NumberFormat::Percent, "0.00 "},
      {249.99998474121094, NumberFormat::Trim, "249.999985   "},
      {-0.000001, NumberFormat::Trim, "-0.000001    "},
      {1.234567891, NumberFormat::Coefficient, "1.234567891"},
      {-1e-9, NumberFormat::Coefficient, "-0.000000001"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_number(c.x, c.f), c.text) << c.x;
}

TEST_F(NumberFormatRu, NonFiniteAndHugeValues) {
  EXPECT_EQ(format_number(std::numeric_limits<double>::infinity(), NumberFormat::Value),
            "inf        ");
  EXPECT_EQ(format_number(std::nan(""), NumberFormat::Percent), "nan  ");
  // The largest float fits the 60-byte buffer whole.
  const std::string f = format_number(std::numeric_limits<float>::max(), NumberFormat::Value);
  EXPECT_EQ(f.size(), 44u);
  EXPECT_EQ(f.substr(0, 9), "340282346");
  // A double beyond it is cut to the buffer instead of overrunning it.
  EXPECT_EQ(format_number(1e300, NumberFormat::Value).size(), 59u);
}

}  // namespace
}  // namespace orn
