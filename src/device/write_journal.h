#pragma once
// What a protected write changed on the device, register by register, for the
// journal of writes. The protected write hands each command's changes and its
// outcome to a journal once something went out to the device.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_image.h"
#include "device/register_map.h"

namespace orn {

struct WriteOutcome;

struct ChangedRegister {
  std::string_view name;  // register-map name
  std::string before;     // as the register held it before the command
  std::string after;      // as the command sent it
  size_t transfer = 0;    // the place among the command's writes of the one that sends it
};

// A register's value as the register holds it: a word or a 32-bit value in
// decimal, a float as the shortest text that reads back the same, the user
// text as its characters.
std::string register_text(const RegisterEntry& e, const DeviceImage& image);

// The registers the transfers send whose value differs between the two
// images, in the order they go out; one sent twice is listed at its first.
std::vector<ChangedRegister> changed_registers(std::span<const Transfer> sent, const DeviceImage& before,
                                               const DeviceImage& after);

class WriteJournal {
 public:
  virtual ~WriteJournal() = default;
  // One command that reached the device (its unlock went out): what it meant
  // to change, how it ended, and the device's values before it (its identity).
  virtual void record(std::string_view command, std::span<const ChangedRegister> changes, const WriteOutcome& out,
                      const DeviceImage& device) = 0;
};

}  // namespace orn
