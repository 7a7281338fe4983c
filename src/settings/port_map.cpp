#include "settings/port_map.h"

#include <charconv>

#include "settings/dev_dat.h"
#include "settings/ini_file.h"

namespace orn {
namespace {

std::optional<uint16_t> port_number(std::string_view text) {
  unsigned n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (n < kPortNumberMin || n > kPortNumberMax) return std::nullopt;
  return static_cast<uint16_t>(n);
}

}  // namespace

std::map<uint16_t, std::string> read_port_map(const std::string& folder) {
  std::map<uint16_t, std::string> ports;
  IniFile ini(settings_path(folder, kDevDatName));
  if (ini.load()) return ports;
  for (auto& [key, path] : ini.entries("PORTS")) {
    const auto n = port_number(key);
    if (n && !path.empty()) ports.emplace(*n, std::move(path));
  }
  return ports;
}

}  // namespace orn
