#pragma once
// Port numbers mapped to device paths by the [PORTS] section of dev.dat and
// by the command-line option --port-map N=PATH.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orn {

inline constexpr uint16_t kPortNumberMin = 1;
inline constexpr uint16_t kPortNumberMax = 255;

// The [PORTS] section of folder/dev.dat: key = port number 1..255 (decimal),
// value = device path. The section is only read, never written. Entries with
// a key that is no port number or an empty path are skipped; the first entry
// for a number wins, as for any key. A missing or unreadable file gives an
// empty map.
std::map<uint16_t, std::string> read_port_map(const std::string& folder);

struct PortMapOption {
  uint16_t port = 0;
  std::string path;
  std::string error;  // empty when the option is valid
};

// Parses the value of one --port-map option, "N=PATH" with N in 1..255.
PortMapOption parse_port_map_option(std::string_view text);

}  // namespace orn
