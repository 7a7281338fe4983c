#include "records/profile_compare.h"

#include <filesystem>
#include <span>

#include "calib/calib_transfers.h"
#include "device/group_transfers.h"
#include "device/write_journal.h"

namespace orn {

ExchangeResult read_profile_groups(ModbusMaster& master, DeviceImage& image, Progress& panel) {
  ExchangeResult r = read_exchange_page(master, image);
  if (r.ok()) r = read_sensor_settings(master, image, panel);
  if (r.ok()) r = read_offset_group(master, image);
  if (r.ok()) r = read_span_group(master, image);
  return r;
}

std::vector<ProfileDifference> profile_differences(const ProfileHeldKeys& held, const DeviceImage& profile,
                                                   const DeviceImage& device, bool take_link) {
  DeviceImage sent = device;
  take_sent_values(held, profile, take_link, sent);
  std::vector<ProfileDifference> out;
  // The groups profile write sends, in its order.
  for (const std::span<const Transfer> group : {std::span<const Transfer>(kSensorSettingsWrites),
                                                std::span<const Transfer>(kUserTrimsWrites),
                                                std::span<const Transfer>(kExchangeParamsWrites)}) {
    for (ChangedRegister& c : changed_registers(group, device, sent)) {
      bool listed = false;  // fltype is in two groups
      for (const ProfileDifference& d : out) listed = listed || d.name == c.name;
      if (!listed) out.push_back({c.name, std::move(c.after), std::move(c.before)});
    }
  }
  return out;
}

ProfileComparison compare_with_profile(ModbusMaster& master, const std::string& path, bool take_link,
                                       Progress& panel) {
  ProfileComparison c;
  DeviceImage profile;
  SearchSelection search;
  MeasureLogSettings log;
  ProfileKept kept;
  ProfileHeldKeys held;
  // A missing file would read as the defaults of every key.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    c.file_error = "Файл профиля " + path + " не найден";
    return c;
  }
  c.file_error = read_profile_held(path, {profile, search, log, kept}, held);
  if (c.file_error) return c;
  DeviceImage device;
  c.read = read_profile_groups(master, device, panel);
  if (c.read.ok()) c.differences = profile_differences(held, profile, device, take_link);
  return c;
}

}  // namespace orn
