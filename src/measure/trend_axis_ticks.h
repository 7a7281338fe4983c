#pragma once
// Round tick marks for the trend chart's axes: values at 1, 2 or 5 times a
// power of ten, times at whole seconds, minutes or hours of the local clock.
#include <cstdint>
#include <vector>

namespace orn {

struct ValueTicks {
  double step = 0.0;
  int decimals = 0;            // digits after the point a label needs at this step
  std::vector<double> values;  // ascending, all within [low, high]
};

// At most max_ticks (at least 2) round values within [low, high], as many as
// fit; none for an empty, reversed or non-finite range.
ValueTicks value_ticks(double low, double high, int max_ticks);

struct TimeTicks {
  int64_t step_ms = 0;
  std::vector<int64_t> times_ms;  // ascending, all within [from_ms, to_ms]
};

// At most max_ticks (at least 2) times within [from_ms, to_ms] that are whole
// multiples of a round step (1 s .. 12 h, then whole days) on a clock utc_offset_ms ahead of UTC.
TimeTicks time_ticks(int64_t from_ms, int64_t to_ms, int64_t utc_offset_ms, int max_ticks);

}  // namespace orn
