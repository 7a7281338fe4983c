#include "word_codec.h"


#include <bit>

namespace orn::sim {

std::array<uint16_t, 2> float_to_words(float x, uint16_t order) {
  const uint32_t p = std::bit_cast<uint32_t>(x);
  const auto hi = static_cast<uint16_t>(p >> 16);
  const auto lo = static_cast<uint16_t>(p & 0xFFFF);
  auto swap = [](uint16_t w) { return static_cast<uint16_t>((w << 8) | (w >> 8)); };
  switch (order) {
    case 1: return {lo, hi};
    case 2: return {swap(hi), swap(lo)};
    case 3: return {swap(lo), swap(hi)};
    default: return {hi, lo};
  }
}

float float_from_words(uint16_t hi, uint16_t lo) {
  return std::bit_cast<float>(static_cast<uint32_t>(hi) << 16 | lo);
}

double kpa_to_unit(double kpa, uint16_t unit, double min_kpa, double max_kpa) {
  static constexpr std::array<double, kUnitCount> kFactor{
      0.0, 0.001, 1.0, 1000.0, 0.010197162, 101.97162, 0.01, 0.0098692326, 101.9716213,
      7.50063, 0.145037, 10.0};
  if (unit == 0) {
    // A range of zero width has no percent scale; report 0 rather than infinity.
    const double width = max_kpa - min_kpa;
    return width == 0.0 ? 0.0 : (kpa - min_kpa) / width * 100.0;
  }
  return unit < kUnitCount ? kpa * kFactor[unit] : kpa;
}

void pack_text_high_first(std::string_view bytes, uint16_t* regs, size_t n) {
  auto at = [&](size_t i) { return i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : uint8_t{0x20}; };
  for (size_t i = 0; i < n; ++i) regs[i] = static_cast<uint16_t>(at(2 * i) << 8 | at(2 * i + 1));
}

void pack_text_low_first(std::string_view bytes, uint16_t* regs, size_t n) {
  auto at = [&](size_t i) { return i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : uint8_t{0}; };
  for (size_t i = 0; i < n; ++i) regs[i] = static_cast<uint16_t>(at(2 * i + 1) << 8 | at(2 * i));
}

}  // namespace orn::sim
