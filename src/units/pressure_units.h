#pragma once
// The twelve pressure unit codes, their captions and the conversions to and
// from kPa, in which the tool keeps every range limit and trim.
#include <cstdint>
#include <optional>
#include <string_view>

namespace orn {

inline constexpr uint16_t kUnitCount = 12;  // codes 0..11
inline constexpr uint16_t kUnitPercent = 0;
inline constexpr uint16_t kUnitKpa = 2;

// Captions of the unit combo box "Единицы измерения", item index = code;
// "" for a code above 11.
std::string_view unit_combo_caption(uint16_t code);
// Short caption (adjustment panel, trim labels after a trims read); " " above 11.
std::string_view unit_short_caption(uint16_t code);
// Caption next to a measured value (from STATP bits 13..8); "" above 11.
std::string_view unit_status_caption(uint16_t code);
// Caption of SENSUNIT; nullopt above 11, where the label keeps its text.
std::optional<std::string_view> sensor_unit_caption(uint16_t code);
// The unit code reported in STATP bits 13..8.
constexpr uint16_t statp_unit(uint16_t statp) {
  return static_cast<uint16_t>((statp >> 8) & 0x3Fu);
}

// Converts x kPa to the unit, in extended precision; callers store a float.
// Code 0 gives percent of the range [min, max]; with min == max it gives 0.
// Codes 2 and above 11 return x unchanged.
long double from_kpa(float x, uint16_t unit, float min, float max);
// Converts x in the unit to kPa with the extended-precision reciprocals.
// Code 0 is the inverse of from_kpa over [min, max] (min when min == max).
// Codes 2 and above 11 return x unchanged.
long double to_kpa(float x, uint16_t unit, float min, float max);

}  // namespace orn
