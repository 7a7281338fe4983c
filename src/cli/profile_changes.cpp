#include "cli/profile_changes.h"

#include <bit>
#include <cstdint>

#include "device/register_map.h"
#include "units/number_format.h"

namespace orn {
namespace {

std::string trim_text(float kpa) {
  std::string s = format_number(kpa, NumberFormat::Trim);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::string changed_values(ConfigGroup group, const DeviceImage& before, const DeviceImage& after) {
  std::string text;
  for (const ConfigRegister& reg : config_registers()) {
    if (reg.group == group && reg.differs(before, after)) text += " " + std::string(reg.name) + "=" + reg.show(after);
  }
  return text;
}

std::string changed_trims(const DeviceImage& before, const DeviceImage& after) {
  std::string text;
  for (const std::string_view name : {"shift_scale", "shift_usr", "diap_usr"}) {
    float DeviceImage::*member = register_entry(name).slot.real;
    if (std::bit_cast<uint32_t>(before.*member) != std::bit_cast<uint32_t>(after.*member))
      text += " " + std::string(name) + "=" + trim_text(after.*member);
  }
  return text;
}

}  // namespace orn
