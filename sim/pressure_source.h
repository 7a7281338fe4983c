#pragma once
// The pressure applied to the simulated sensor, as a pure function of time, so
// a run is reproducible from its seed whatever the order of the requests.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orn::sim {

enum class PressureModel : uint8_t { Constant, Ramp, Noise, Steps };

struct PressureSource {
  PressureModel model = PressureModel::Constant;
  double kpa = 100.0;         // constant value; centre of the noise
  double ramp_low = 0.0;      // ramp: triangle between low and high
  double ramp_high = 250.0;
  uint32_t period_ms = 20000; // ramp: one full rise and fall
  double noise = 0.5;         // noise: half-width of the uniform spread, kPa
  uint32_t sample_ms = 100;   // noise: a new sample every sample_ms
  uint64_t seed = 1;
  // steps: the pressures of a calibration run, one after another; the last
  // one stays. step_ms > 0 moves on by time, 0 only when step() is called.
  std::vector<double> steps;
  uint32_t step_ms = 0;
  size_t step_index = 0;

  void step() { ++step_index; }

  double at(uint64_t now_ms) const;
};

// One step of the splitmix64 generator: a well-mixed 64-bit value of x.
uint64_t splitmix64(uint64_t x);
// A uniform number in [0, 1) from 64 random bits.
double unit_interval(uint64_t bits);

}  // namespace orn::sim
