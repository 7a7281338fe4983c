#pragma once
// The rates and parities the link offers, with every name the program shows
// them by: one row per rate or parity, one column per wording.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/serial_port.h"

namespace orn {

struct RateName {
  uint16_t index;         // rate index as the device and the settings files keep it
  uint32_t baud;
  std::string_view text;  // the baud as written: key names of to.dat and of the profile's search
};

// Rate index 3..10, in rate order.
inline constexpr std::array<RateName, 8> kRateNames = {{{3, 1200, "1200"},
                                                        {4, 2400, "2400"},
                                                        {5, 4800, "4800"},
                                                        {6, 9600, "9600"},
                                                        {7, 19200, "19200"},
                                                        {8, 38400, "38400"},
                                                        {9, 57600, "57600"},
                                                        {10, 115200, "115200"}}};

// The bauds joined by ", ", the last one by last_separator:
// "1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200".
inline std::string rate_list_text(std::string_view last_separator) {
  std::string s;
  for (size_t i = 0; i < kRateNames.size(); ++i) {
    if (i > 0) s += i + 1 == kRateNames.size() ? last_separator : std::string_view(", ");
    s += kRateNames[i].text;
  }
  return s;
}

struct ParityName {
  uint16_t code;
  std::string_view option;  // command line, JSON and the CLI config rows: "none"
  std::string_view words;   // link line and search progress: "без паритета"
  std::string_view brief;   // a found device's line: "без парит."
  std::string_view choice;  // the search page's check box: "нет"
};

// Parity code 0..2.
inline constexpr std::array<ParityName, 3> kParityNames = {{
    {kParityNone, "none", "без паритета", "без парит.", "нет"},
    {kParityOdd, "odd", "нечетный паритет", "нечёт. пар.", "нечетный"},
    {kParityEven, "even", "четный паритет", "чет. пар.", "четный"},
}};

// The row of a parity code; a code above 2 is shown as no parity.
constexpr const ParityName& parity_names(uint16_t code) {
  return code < kParityNames.size() ? kParityNames[code] : kParityNames[kParityNone];
}

}  // namespace orn
