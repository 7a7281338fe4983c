#pragma once
// What profile write changes on a device, as NAME=VALUE texts. The values
// themselves are laid over the device's own by take_sent_values: keys the
// file lacks leave the device's values; the link (NET_NUM, NET_SPD, NET_PAR)
// is taken only when asked for, so a written device keeps answering where it
// was found.
#include <optional>
#include <string>

#include "cli/config_registers.h"
#include "device/device_image.h"

namespace orn {

// " NAME=VALUE" for every register of group whose value in after differs
// from before; empty when the group has nothing to change.
std::string changed_values(ConfigGroup group, const DeviceImage& before, const DeviceImage& after);
// The same for the user trims shift_scale, shift_usr (kPa) and diap_usr.
std::string changed_trims(const DeviceImage& before, const DeviceImage& after);

}  // namespace orn
