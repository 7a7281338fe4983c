#include "measure/trend_axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orn {
namespace {

constexpr int64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute;
constexpr int64_t kMidnightUtc = 1'764'979'200'000;  // 2025-12-06 00:00:00 UTC

TEST(ValueTicks, RoundStepsThatFitTheRange) {
  struct Case {
    double low, high;
    int max_ticks;
    double step;
    int decimals;
    std::vector<double> values;
  };
  const Case cases[] = {
      {0.0, 1.0, 6, 0.2, 1, {0.0, 0.2, 0.4, 0.6, 0.8, 1.0}},
      {0.0, 1.0, 5, 0.5, 1, {0.0, 0.5, 1.0}},  // 0.25 is not round
      {99.0, 121.0, 8, 5.0, 0, {100.0, 105.0, 110.0, 115.0, 120.0}},
      {-3.0, 3.0, 7, 1.0, 0, {-3.0, -2.0, -1.0, 0.0, 1.0, 2.0, 3.0}},
      {-0.35, 0.05, 5, 0.1, 1, {-0.3, -0.2, -0.1, 0.0}},
      {101.2, 101.45, 6, 0.05, 2, {101.2, 101.25, 101.3, 101.35, 101.4, 101.45}},
      {100'000.0, 250'000.0, 4, 50'000.0, 0, {100'000.0, 150'000.0, 200'000.0, 250'000.0}},
      {0.0, 10.0, 1, 10.0, 0, {0.0, 10.0}},  // fewer than two asked: two
      {0.0011, 0.0019, 3, 0.0005, 4, {0.0015}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.low << ".." << c.high << " max " << c.max_ticks);
    const ValueTicks t = value_ticks(c.low, c.high, c.max_ticks);
    EXPECT_DOUBLE_EQ(t.step, c.step);
    EXPECT_EQ(t.decimals, c.decimals);
    ASSERT_EQ(t.values.size(), c.values.size());
    for (size_t i = 0; i < c.values.size(); ++i) EXPECT_NEAR(t.values[i], c.values[i], c.step * 1e-9);
    EXPECT_FALSE(std::signbit(t.values.front()) && t.values.front() == 0.0);
  }
}

TEST(ValueTicks, NoneForARangeThatIsNotOne) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const double big = std::numeric_limits<double>::max();
  const double ranges[][2] = {{1.0, 1.0}, {2.0, 1.0}, {0.0, inf}, {nan, 1.0}, {-big, big}};
  for (const auto& r : ranges) {
    SCOPED_TRACE(testing::Message() << r[0] << ".." << r[1]);
    EXPECT_TRUE(value_ticks(r[0], r[1], 6).values.empty());
  }
}

TEST(TimeTicks, WholeSecondsMinutesOrHoursOfTheLocalClock) {
  struct Case {
    const char* name;
    int64_t from_ms, to_ms, offset_ms;
    int max_ticks;
    int64_t step_ms;
    int64_t first_ms;  // relative to kMidnightUtc
    size_t count;
  };
  const Case cases[] = {
      {"1 min", 10 * kMinute + 123, 11 * kMinute + 123, 0, 8, 10 * kSecond, 10 * kMinute + 10 * kSecond, 6},
      {"10 min", 7 * kMinute + 500, 17 * kMinute + 500, 0, 12, kMinute, 8 * kMinute, 10},
      {"1 h", 30 * kSecond, kHour + 30 * kSecond, 0, 8, 10 * kMinute, 10 * kMinute, 6},
      {"24 h", 5 * kMinute, 24 * kHour + 5 * kMinute, 0, 12, 3 * kHour, 3 * kHour, 8},
      // 05:30 ahead of UTC: local hours fall on UTC half hours.
      {"24 h at +05:30", 0, 24 * kHour, 5 * kHour + 30 * kMinute, 12, 3 * kHour, 30 * kMinute, 8},
      {"a span shorter than a second", 100, 900, 0, 8, kSecond, 0, 0},
      {"one point in time", 2 * kSecond, 2 * kSecond, 0, 8, kSecond, 2 * kSecond, 1},
      {"30 days: whole days", 0, 30 * 24 * kHour, 0, 10, 4 * 24 * kHour, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TimeTicks t = time_ticks(kMidnightUtc + c.from_ms, kMidnightUtc + c.to_ms, c.offset_ms, c.max_ticks);
    EXPECT_EQ(t.step_ms, c.step_ms);
    ASSERT_EQ(t.times_ms.size(), c.count);
    for (size_t i = 1; i < t.times_ms.size(); ++i) EXPECT_EQ(t.times_ms[i] - t.times_ms[i - 1], c.step_ms);
    if (c.count) {
      EXPECT_EQ(t.times_ms.front(), kMidnightUtc + c.first_ms);
      EXPECT_LE(t.times_ms.back(), kMidnightUtc + c.to_ms);
    }
  }
  EXPECT_TRUE(time_ticks(kMidnightUtc + kSecond, kMidnightUtc, 0, 8).times_ms.empty());
}

}  // namespace
}  // namespace orn
