#pragma once
// Port numbers as the link strip shows them ("COM" + number) and the device
// paths they stand for on Linux.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orn {

inline constexpr uint16_t kPortNumberMin = 1;
inline constexpr uint16_t kPortNumberMax = 255;

// Built-in path for port number n: 1..32 /dev/ttyS0..31, 33..64 /dev/ttyUSB0..31,
// 65..96 /dev/ttyACM0..31; empty for any other number.
std::string default_port_path(uint16_t n);

// Port numbers mapped to device paths: the built-in table, overridden by the
// [PORTS] section of dev.dat and the --port-map options.
class PortMap {
 public:
  PortMap() = default;
  // Overrides as read from [PORTS]; numbers outside 1..255 are ignored.
  explicit PortMap(const std::map<uint16_t, std::string>& overrides);

  // Maps n to path; an empty path leaves n without a device. False (and no
  // change) when n is outside 1..255.
  bool set(uint16_t n, std::string path);
  // Device path of n; empty when n has none.
  std::string path(uint16_t n) const;
  const std::map<uint16_t, std::string>& overrides() const { return overrides_; }

 private:
  std::map<uint16_t, std::string> overrides_;
};

struct PortMapping {
  uint16_t port = 0;
  std::string path;
};

// Parses one "N=PATH" mapping (the --port-map option); nothing when N is not a
// number from 1 to 255, the '=' is missing or the path is empty.
std::optional<PortMapping> parse_port_mapping(std::string_view spec);

}  // namespace orn
