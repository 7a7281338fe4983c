#include "units/pressure_units.h"

namespace orn {
namespace {

struct UnitRow {
  std::string_view combo;
  std::string_view short_caption;
  std::string_view status;
  long double from_kpa;  // factor from kPa; codes 0 and 2 do not use it
  long double to_kpa;    // reciprocal of the double factor, held in extended precision
};

// The device's factors are double constants (100, 1000 and 10 are exact in any
// precision); the reciprocals are taken in extended precision from those doubles.
constexpr long double factor(double f) { return static_cast<long double>(f); }
constexpr long double reciprocal(double f) { return 1.0L / static_cast<long double>(f); }

constexpr UnitRow kUnits[kUnitCount] = {
    {"%", "%", "%", 100.0L, 1.0L},
    {"МПа", "МПа", "МПа", factor(0.001), reciprocal(0.001)},
    {"кПа", "кПа", "кПа", 1.0L, 1.0L},
    {"Па", "Па", "Па", 1000.0L, 0.001L},
    {"кгс/см2 (атм тех)", "кгс/см2 атм техн", "кг/см2", factor(0.010197162), reciprocal(0.010197162)},
    {"кгс/м2", "кгс/м2", "кг/м2", factor(101.97162), reciprocal(101.97162)},
    {"бар", "бар", "бар", factor(0.01), reciprocal(0.01)},
    {"атм физ", "атм физ", "Атм физ", factor(0.0098692326), reciprocal(0.0098692326)},
    {"мм вод ст", "мм вод.ст.", "мм вод столба", factor(101.9716213), reciprocal(101.9716213)},
    {"мм ртутн ст", "мм рт.ст.", "мм ртутн столба", factor(7.50063), reciprocal(7.50063)},
    {"psi", "psi", "psi", factor(0.145037), reciprocal(0.145037)},
    {"миллибар", "миллибар", "миллибар", 10.0L, 0.1L},
};

constexpr uint16_t kUnitAtmPhys = 7;

bool scaled(uint16_t unit) { return unit < kUnitCount && unit != kUnitPercent && unit != kUnitKpa; }

}  // namespace

std::string_view unit_combo_caption(uint16_t code) { return code < kUnitCount ? kUnits[code].combo : ""; }

std::string_view unit_short_caption(uint16_t code) {
  return code < kUnitCount ? kUnits[code].short_caption : " ";
}

std::string_view unit_status_caption(uint16_t code) { return code < kUnitCount ? kUnits[code].status : ""; }

std::optional<std::string_view> sensor_unit_caption(uint16_t code) {
  if (code >= kUnitCount) return std::nullopt;
  if (code == kUnitAtmPhys) return "атм физ";
  return kUnits[code].status;
}

long double from_kpa(float x, uint16_t unit, float min, float max) {
  if (unit == kUnitPercent) {
    long double span = static_cast<long double>(max) - min;
    // A range not read yet (or degenerate) has no percent scale: show 0 rather
    // than an infinity or NaN that no field could take back.
    if (span == 0.0L) return 0.0L;
    return (x - static_cast<long double>(min)) / span * kUnits[kUnitPercent].from_kpa;
  }
  return scaled(unit) ? x * kUnits[unit].from_kpa : x;
}

long double to_kpa(float x, uint16_t unit, float min, float max) {
  if (unit == kUnitPercent) {
    // Inverse of from_kpa over the same range.
    long double span = static_cast<long double>(max) - min;
    return min + x * span / kUnits[kUnitPercent].from_kpa;
  }
  return scaled(unit) ? x * kUnits[unit].to_kpa : x;
}

}  // namespace orn
