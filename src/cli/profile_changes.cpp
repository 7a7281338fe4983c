#include "cli/profile_changes.h"

#include <bit>
#include <cstdint>
#include <vector>

#include "settings/profile.h"
#include "units/number_format.h"

namespace orn {
namespace {

template <auto Member>
void copy(const DeviceImage& from, DeviceImage& to) {
  to.*Member = from.*Member;
}

struct ProfileValue {
  ProfileKey key;
  void (*take)(const DeviceImage&, DeviceImage&);
  bool link = false;  // part of the device's address, rate and parity
};

using I = DeviceImage;
// The profile keys profile write sends, with the image value each one loads.
const ProfileValue kProfileValues[] = {
    {{"CH", "unit"}, copy<&I::unit>},
    {{"CH", "T90"}, copy<&I::t90>},
    {{"X", "XNUL"}, copy<&I::xnul>},
    {{"X", "XBND"}, copy<&I::xbnd>},
    {{"X", "XSQR"}, copy<&I::xsqr>},
    {{"X", "XFSET"}, copy<&I::xfset>},
    {{"CUTOFF", "NULCUTOFF"}, copy<&I::nulcutoff>},
    {{"CUTOFF", "MAXCUTOFF"}, copy<&I::maxcutoff>},
    {{"CUTOFF", "LINCUTOFF"}, copy<&I::lincutoff>},
    {{"OVLD", "MINOVLD"}, copy<&I::minovld>},
    {{"OVLD", "MAXOVLD"}, copy<&I::maxovld>},
    {{"USR", "usr_txt"}, copy<&I::user_text>},
    {{"IND", "point"}, copy<&I::digits>},
    {{"NEW_COMM", "NET_DELY"}, copy<&I::dely>},
    {{"NEW_COMM", "NET_FLTYPE"}, copy<&I::fltype>},
    {{"CH", "shift_usr"}, copy<&I::shift_usr>},
    {{"CH", "shift_scale"}, copy<&I::shift_scale>},
    {{"CH", "diap_usr"}, copy<&I::diap_usr>},
    {{"NEW_COMM", "NET_NUM"}, copy<&I::adr>, true},
    {{"NEW_COMM", "NET_SPD"}, copy<&I::rate>, true},
    {{"NEW_COMM", "NET_PAR"}, copy<&I::parity>, true},
};

std::string trim_text(float kpa) {
  std::string s = format_number(kpa, NumberFormat::Trim);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::optional<std::string> take_profile_values(const std::string& path, const DeviceImage& profile, bool take_link,
                                               DeviceImage& device) {
  std::vector<ProfileKey> keys;
  for (const ProfileValue& v : kProfileValues) keys.push_back(v.key);
  std::vector<bool> held;
  if (auto error = held_profile_keys(path, keys, held)) return error;
  for (size_t i = 0; i < keys.size(); ++i) {
    const ProfileValue& v = kProfileValues[i];
    if (held[i] && (take_link || !v.link)) v.take(profile, device);
  }
  return std::nullopt;
}

std::string changed_registers(ConfigGroup group, const DeviceImage& before, const DeviceImage& after) {
  std::string text;
  for (const ConfigRegister& reg : config_registers()) {
    if (reg.group != group) continue;
    const bool differs = reg.word ? before.*reg.word != after.*reg.word : reg.show(before) != reg.show(after);
    if (differs) text += " " + std::string(reg.name) + "=" + reg.show(after);
  }
  return text;
}

std::string changed_trims(const DeviceImage& before, const DeviceImage& after) {
  std::string text;
  const std::pair<const char*, float DeviceImage::*> trims[] = {
      {"shift_scale", &I::shift_scale}, {"shift_usr", &I::shift_usr}, {"diap_usr", &I::diap_usr}};
  for (const auto& [name, member] : trims) {
    if (std::bit_cast<uint32_t>(before.*member) != std::bit_cast<uint32_t>(after.*member))
      text += " " + std::string(name) + "=" + trim_text(after.*member);
  }
  return text;
}

}  // namespace orn
