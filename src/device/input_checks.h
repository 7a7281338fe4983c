#pragma once
// Turns the text and choices of the settings pages into device-image values,
// with the messages for what cannot be represented. Plain data in, so the
// window and the command line share every rule.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_image.h"
#include "device/flag_bits.h"
#include "device/sensor_fields.h"
#include "link/prompt.h"

namespace orn {

inline constexpr const char* kInputErrorCaption = "Ошибка ввода";

// A whole decimal integer (optional sign, digits, nothing else) as its low 16
// bits: 70000 gives 4464, -1 gives 65535. Nothing for any other text and for
// numbers beyond 32 bits.
std::optional<uint16_t> parse_integer_field(std::string_view text);
// The leading real number of a text, read like C's "%E" with "." (or ",")
// as the decimal point whatever the locale; the rest of the text is ignored.
// Nothing when the text does not start with a number (spaces skipped).
std::optional<double> scan_real(std::string_view text);

// Inputs of the page "Параметры обмена", as the controls hold them.
struct ExchangeInputs {
  std::string model;         // Edit3
  std::string sn_hi;         // Edit1
  std::string sn_lo;         // Edit2
  int day_item = -1;         // ComboBox7
  int month_item = -1;       // ComboBox8
  int year_item = -1;        // ComboBox9
  int rate_item = -1;        // ComboBox4
  bool parity_on = false;    // CheckBox3
  bool parity_even = false;  // CheckBox4
  int address_item = -1;     // ComboBox5
  std::string dely;          // Edit89
  int byte_order_item = -1;  // ComboBox20
  std::string ver_hard;      // Edit5
  std::string ver_soft;      // Edit4
  int watchdog_item = -1;    // ComboBox6
};

// Copies the exchange inputs in their fixed order; at the first input error
// shows its message(s) and returns false, leaving the later inputs uncopied.
bool copy_exchange_inputs(const ExchangeInputs& in, DeviceImage& image, Prompt& prompt);

// A register of kSensorFields as its input holds it: a percent's text or a
// choice's item.
struct FieldInput {
  std::string text;
  int item = 0;
};

// Inputs of the page "Настройки датчика".
struct SensorInputs {
  int unit_item = 0;            // ComboBox10
  std::array<bool, kFlagCount> flags{};  // the check boxes, one per flag bit
  bool& flag(Flag f) { return flags[static_cast<size_t>(f)]; }
  std::array<FieldInput, kSensorFieldCount> fields{};  // in the order of kSensorFields
  FieldInput& field(std::string_view reg) { return fields[sensor_field_index(reg)]; }
};

// Copies the sensor inputs; false after an input error (message shown).
// With prompt null the same rules run without any message (the take at close).
bool copy_sensor_inputs(const SensorInputs& in, DeviceImage& image, Prompt* prompt);

// Packs the user text (at most 16 characters, padded with spaces). A text
// with a character the device cannot hold (none in Windows-1251) is refused
// with its message and the image kept; with prompt null it is packed with
// '?' for such characters (the take at close).
bool copy_user_text(std::string_view utf8, DeviceImage& image, Prompt* prompt);

// The fields parsed on every change (reply delay, gaps): the text's integer
// as its low 16 bits, 0 when the text is none.
uint16_t immediate_integer(std::string_view text);

}  // namespace orn
