#pragma once
// A device compared with a profile file: every setting the profile holds
// that profile write would send, where the device's value differs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_image.h"
#include "device/progress.h"
#include "link/faults.h"
#include "link/modbus_master.h"
#include "settings/profile.h"

namespace orn {

// The groups a profile describes: the exchange page, the sensor settings and
// the user trims, read from the device.
ExchangeResult read_profile_groups(ModbusMaster& master, DeviceImage& image, Progress& panel);

struct ProfileDifference {
  std::string_view name;  // register-map name
  std::string profile;    // as the profile has it, as the register would hold it
  std::string device;     // as the device holds it
};

// The registers profile write would change: only keys the profile holds; the
// address, rate and parity only with take_link. In the order they go out.
std::vector<ProfileDifference> profile_differences(const ProfileHeldKeys& held, const DeviceImage& profile,
                                                   const DeviceImage& device, bool take_link);

struct ProfileComparison {
  std::optional<std::string> file_error;  // the profile could not be read: nothing was sent
  ExchangeResult read;                    // the device's read
  std::vector<ProfileDifference> differences;
  bool ok() const { return !file_error && read.ok(); }
};

// Reads the profile at path (a missing file is a file error), then the
// device, and compares them.
ProfileComparison compare_with_profile(ModbusMaster& master, const std::string& path, bool take_link,
                                       Progress& panel);

}  // namespace orn
