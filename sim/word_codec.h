#pragma once
// How the simulated transmitter lays values into its registers: floats in the
// four byte orders, texts packed two bytes a register, units of the output.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orn::sim {

// Two register words of a float in byte order code 0..3 ("0 1 2 3", "2 3 0 1",
// "1 0 3 2", "3 2 1 0"); a code above 3 is taken as 0.
std::array<uint16_t, 2> float_to_words(float x, uint16_t order);
// The float of two words in the fixed order "0 1 2 3" (first word high half).
float float_from_words(uint16_t hi, uint16_t lo);

// A value in kPa expressed in unit code 0..11 (0 is percent of [min, max]);
// other codes leave the value unchanged.
double kpa_to_unit(double kpa, uint16_t unit, double min_kpa, double max_kpa);
inline constexpr uint16_t kUnitCount = 12;

// Packs text into n registers, high byte first, padded with spaces.
void pack_text_high_first(std::string_view bytes, uint16_t* regs, size_t n);
// Packs text into n registers, low byte first, padded with zero bytes.
void pack_text_low_first(std::string_view bytes, uint16_t* regs, size_t n);

}  // namespace orn::sim
