#include "pressure_source.h"

namespace orn::sim {

uint64_t splitmix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

double unit_interval(uint64_t bits) {
  return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

double PressureSource::at(uint64_t now_ms) const {
  switch (model) {
    case PressureModel::Ramp: {
      if (period_ms == 0) return ramp_low;
      const double phase = static_cast<double>(now_ms % period_ms) / period_ms;
      const double rise = phase < 0.5 ? phase * 2.0 : (1.0 - phase) * 2.0;
      return ramp_low + (ramp_high - ramp_low) * rise;
    }
    case PressureModel::Noise: {
      const uint64_t tick = sample_ms == 0 ? now_ms : now_ms / sample_ms;
      const double u = unit_interval(splitmix64(seed ^ splitmix64(tick)));
      return kpa + noise * (2.0 * u - 1.0);
    }
    case PressureModel::Steps: {
      if (steps.empty()) return kpa;
      const uint64_t index = step_ms > 0 ? now_ms / step_ms : step_index;
      return steps[index < steps.size() ? index : steps.size() - 1];
    }
    case PressureModel::Constant:
      break;
  }
  return kpa;
}

}  // namespace orn::sim
