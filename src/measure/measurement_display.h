#pragma once
// What the page "Измеренное значение" shows for a measurement: texts and
// colours computed from the record, without any window. The window maps
// StatusColour to its own colours.
#include <array>
#include <cstdint>
#include <string>

#include "measure/measured_value.h"

namespace orn {

enum class StatusColour {
  White,       // a normal value
  Yellow,      // an abnormal value or a failed exchange
  ButtonFace,  // the window's button-face colour: a neutral state, an unlit contact
  Lime,        // a lit contact
};

// Contact indicators in the order of this array, from BTN.
enum ContactIndex : size_t {
  kContactInit,     // bit 6 "INIT"
  kContactZero,     // bit 7 "Уст.нуля"
  kContactFactory,  // bit 9 "Заводские установки"
  kContactPage,     // bit 4 "Выбор страницы индикации"
  kContactCount,
};

struct MeasurementView {
  std::string float_coding;      // "Кодирование плавающего числа"
  std::string unit;              // beside the measured value; "" for unit codes 12..63
  std::string value;             // "Значение измерения"
  std::string temperature;       // "Температура сенсора"
  std::string relative_raw;      // relative code as a decimal integer
  std::string relative_percent;  // code * 100 / 65536, then " %"
  StatusColour value_colour = StatusColour::White;  // the four value items
  std::string state;             // "Состояние измерения"
  StatusColour state_colour = StatusColour::ButtonFace;
  std::string exchange;          // "Состояние обмена"
  StatusColour exchange_colour = StatusColour::ButtonFace;
  std::array<bool, kContactCount> contacts{};  // lit contacts
};

constexpr StatusColour contact_colour(bool lit) {
  return lit ? StatusColour::Lime : StatusColour::ButtonFace;
}

// True when IZMERR bits 11..0 are all clear; bits 15..12 do not count.
constexpr bool measurement_normal(uint16_t izmerr) { return (izmerr & 0x0FFF) == 0; }

// " " followed by the texts of the error bits set in izmerr, in their fixed order.
std::string measurement_error_text(uint16_t izmerr);

// The page for an error word, a status word and a fault set (the callers pass
// the record's, or a status word 0 after a failed single read); the numbers and
// BTN always come from the record. After a read at address 255 the exchange
// state says that the answer was not checked.
MeasurementView measurement_display(uint16_t izmerr, uint16_t statp, uint16_t faults,
                                    const MeasuredValue& record);

}  // namespace orn
