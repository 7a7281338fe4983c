#include "measure/trend_axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace orn {
namespace {

// Rounding slack, so that a step or an end that is round up to the last bits still counts as round.
constexpr double kSlack = 1e-9;

constexpr int64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute;
constexpr int64_t kTimeSteps[] = {kSecond,      2 * kSecond,  5 * kSecond,  10 * kSecond, 15 * kSecond,
                                  30 * kSecond, kMinute,      2 * kMinute,  5 * kMinute,  10 * kMinute,
                                  15 * kMinute, 30 * kMinute, kHour,        2 * kHour,    3 * kHour,
                                  6 * kHour,    12 * kHour};

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

ValueTicks value_ticks(double low, double high, int max_ticks) {
  ValueTicks out;
  if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) return out;
  max_ticks = std::max(max_ticks, 2);
  // n ticks span n - 1 steps, so this step never gives more than max_ticks.
  const double least = (high - low) / (max_ticks - 1);
  if (!std::isfinite(least)) return out;  // the range overflows a double
  const double power = std::pow(10.0, std::floor(std::log10(least)));
  double step = 10.0 * power;
  for (const double m : {1.0, 2.0, 5.0})
    if (m * power >= least * (1.0 - kSlack)) {
      step = m * power;
      break;
    }
  out.step = step;
  out.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + kSlack)));
  const double first = std::ceil(low / step - kSlack), last = std::floor(high / step + kSlack);
  for (double k = first; k <= last && static_cast<int>(out.values.size()) < max_ticks; ++k) {
    const double v = k * step;
    out.values.push_back(k == 0.0 ? 0.0 : v);  // no "-0"
  }
  return out;
}

TimeTicks time_ticks(int64_t from_ms, int64_t to_ms, int64_t utc_offset_ms, int max_ticks) {
  TimeTicks out;
  if (to_ms < from_ms) return out;
  max_ticks = std::max(max_ticks, 2);
  const int64_t least = (to_ms - from_ms + max_ticks - 2) / (max_ticks - 1);
  const auto* it = std::find_if(std::begin(kTimeSteps), std::end(kTimeSteps), [&](int64_t s) { return s >= least; });
  constexpr int64_t kDay = 24 * kHour;  // beyond the list: whole days
  out.step_ms = it != std::end(kTimeSteps) ? *it : (least + kDay - 1) / kDay * kDay;
  const int64_t first_local = -floor_div(-(from_ms + utc_offset_ms), out.step_ms) * out.step_ms;
  for (int64_t t = first_local - utc_offset_ms; t <= to_ms; t += out.step_ms) out.times_ms.push_back(t);
  return out;
}

}  // namespace orn
