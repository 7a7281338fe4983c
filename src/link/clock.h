#pragma once
// The clock seam: local date and time with milliseconds, for the trace and the logs.
#include <cstdint>

namespace orn {

struct LocalTime {
  unsigned year = 0, month = 0, day = 0;
  unsigned hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() = 0;
};

class SystemClock final : public Clock {
 public:
  LocalTime now() override;
};

}  // namespace orn
