#include "link/port_names.h"

#include <charconv>

namespace orn {
namespace {

struct PathBlock {
  uint16_t first;
  const char* prefix;
};
// Each block covers 32 consecutive port numbers.
constexpr PathBlock kBlocks[] = {{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};
constexpr uint16_t kBlockSize = 32;

bool valid_number(uint16_t n) { return n >= kPortNumberMin && n <= kPortNumberMax; }

}  // namespace

std::string default_port_path(uint16_t n) {
  for (const PathBlock& b : kBlocks) {
    if (n >= b.first && n < b.first + kBlockSize) return b.prefix + std::to_string(n - b.first);
  }
  return {};
}

PortMap::PortMap(const std::map<uint16_t, std::string>& overrides) {
  for (const auto& [n, p] : overrides) set(n, p);
}

bool PortMap::set(uint16_t n, std::string path) {
  if (!valid_number(n)) return false;
  overrides_[n] = std::move(path);
  return true;
}

std::string PortMap::path(uint16_t n) const {
  if (!valid_number(n)) return {};
  auto it = overrides_.find(n);
  return it != overrides_.end() ? it->second : default_port_path(n);
}

std::optional<PortMapping> parse_port_mapping(std::string_view spec) {
  const size_t eq = spec.find('=');
  if (eq == std::string_view::npos || eq == 0 || eq + 1 == spec.size()) return std::nullopt;
  uint16_t n = 0;
  const char* last = spec.data() + eq;
  const auto [end, ec] = std::from_chars(spec.data(), last, n);
  if (ec != std::errc() || end != last || n < kPortNumberMin || n > kPortNumberMax) return std::nullopt;
  return PortMapping{n, std::string(spec.substr(eq + 1))};
}

}  // namespace orn
