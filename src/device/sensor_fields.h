#pragma once
// The registers of page "Настройки датчика" that an input shows and takes
// back with a common rule: the percent fractions and the plain choices. One
// row each; the view, the input checks and the window's page go by these rows,
// in their order (the order in which inputs are checked).
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "device/device_image.h"
#include "device/register_map.h"
#include "device/value_codec.h"

namespace orn {

enum class SensorFieldKind : uint8_t {
  Choice,    // a choice whose register holds the index plus the code's offset
  Settling,  // T90: a choice of whole seconds, the register in tenths
  Percent,   // a text of a percent, the register a fraction of 65535
};

struct SensorField {
  std::string_view reg;  // register-map name
  SensorFieldKind kind;
  ChoiceCode code{};            // Choice
  double limit = 0;             // Percent: the largest magnitude taken
  const char* error = nullptr;  // Percent: message for a text that is no number
  const char* held = nullptr;   // Percent: message when the text is beyond limit, or none
  uint16_t DeviceImage::*word = register_entry(reg).slot.word;  // where the image keeps it
};

inline constexpr SensorField kSensorFields[] = {
    {"T90", SensorFieldKind::Settling},
    {"DIGITS", SensorFieldKind::Choice, kDigitsCode},
    {"NULCUTOFF", SensorFieldKind::Percent, {}, kPercentLimit,
     "Данные отсечки в 0 не удается представить числом. Проверьте поле ввода."},
    {"MAXCUTOFF", SensorFieldKind::Percent, {}, kPercentLimit,
     "Данные отсечки в max не удается представить числом. Проверьте поле ввода."},
    {"MINOVLD", SensorFieldKind::Percent, {}, kPercentLimit,
     "Допустимый выход за диапазон в min не удается представить числом. Проверьте поле ввода."},
    {"MAXOVLD", SensorFieldKind::Percent, {}, kPercentLimit,
     "Допустимый выход за диапазон в max не удается представить числом. Проверьте поле ввода."},
    {"LINCUTOFF", SensorFieldKind::Percent, {}, kLinCutoffLimit,
     "Линейнуюю область при корнеизвлечении не удается представить числом. Проверьте поле ввода.",
     "Линейная область при корнеизвлечении будет ограничена 10%. Уточнение значения."},
};
inline constexpr size_t kSensorFieldCount = std::size(kSensorFields);

// Every row names a one-word register of the map that the image keeps (a
// misspelt name fails to compile here), once.
constexpr bool sensor_fields_consistent() {
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    if (kSensorFields[i].word == nullptr) return false;
    for (size_t j = 0; j < i; ++j) {
      if (kSensorFields[j].reg == kSensorFields[i].reg) return false;
    }
  }
  return true;
}
static_assert(sensor_fields_consistent(), "sensor fields: kept one-word registers of the map, each once");

// Position of a register's row; a name without a row fails to compile where
// it is used in a constant expression.
constexpr size_t sensor_field_index(std::string_view reg) {
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    if (kSensorFields[i].reg == reg) return i;
  }
  throw std::out_of_range("no such sensor field");
}

}  // namespace orn
