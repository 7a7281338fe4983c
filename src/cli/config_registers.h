#pragma once
// The registers of orn20mb-cli config: the exchange and sensor groups of the
// two settings pages, each shown as NAME=VALUE text by its register-map name
// and, where a protected write sends it, taken back from such text into the
// device image. What config read prints, config write accepts.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_image.h"
#include "device/register_map.h"

namespace orn {

// The protected write that sends a register.
enum class ConfigGroup : uint8_t {
  None,       // read only
  Sensor,     // the sensor-settings write (also sends fltype)
  DeviceGap,  // the device-gap write
  Exchange,   // the exchange-parameters write, after which the link follows the device
};

struct ConfigRegister {
  std::string_view name;
  ConfigGroup group;
  // Puts a value given as text into the image with the settings pages' rules;
  // returns "" or what a value must look like. Null for a read-only register.
  std::string (*take)(std::string_view text, DeviceImage& image) = nullptr;
  // The value as text where it is not the plain number its slot holds.
  std::string (*text)(const DeviceImage& image) = nullptr;
  // Where the image keeps it; slot.word is the word compared after a write
  // (null for the user text, whose shown text is exact).
  ImageSlot slot = register_entry(name).slot;

  std::string show(const DeviceImage& image) const;
  // Whether the two images hold different values: by the word where there is
  // one, so that a difference the shown form hides (T90 in whole seconds) counts.
  bool differs(const DeviceImage& a, const DeviceImage& b) const;
};

// Every register config read prints, in register order.
std::span<const ConfigRegister> config_registers();
const ConfigRegister* find_config_register(std::string_view name);
// The writable names, separated by spaces.
std::string writable_config_names();

struct ConfigAssignment {
  const ConfigRegister* reg;
  std::string value;
};

// Checks one NAME=VALUE of config write and adds it; returns "" or the error,
// in the user's language. A name may be given once.
std::string add_config_assignment(std::string_view word, std::vector<ConfigAssignment>& to);

// A percent fraction as the shortest text (two to six decimals) that encodes
// back to the same word, so a value read can be written back unchanged; a
// word beyond limit gets two decimals.
std::string percent_text(uint16_t word, double limit);

// Device text (UTF-8 of Windows-1251 bytes) in double quotes; a quote and a
// backslash are escaped, control bytes and 0x98 written as \xNN.
std::string quoted_device_text(std::string_view utf8);

}  // namespace orn
