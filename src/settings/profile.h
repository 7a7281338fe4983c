#pragma once
// Configuration profiles (*.prf, the last one recent.prf): one transmitter's
// configuration as last shown, plus the program's working choices (page
// shown, log switches, search selection). Loading changes only memory; the
// catalogue konstr_type.dat is maintained beside it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_image.h"
#include "measure/measure_log.h"
#include "search/search_selection.h"

namespace orn {

inline constexpr const char* kRecentProfileName = "recent.prf";
inline constexpr const char* kProfileFilter = "профиль настроек модуля|*.prf|все файлы|*.*";
inline constexpr int kProfilePageCount = 4;

// The profile's values that the device image does not hold.
struct ProfileKept {
  int page = 0;  // TAB num: the notebook page shown

  // IZM and ADC: the measured-value log (write_file, izm_name) lives in MeasureLogSettings.
  std::string all_izm_name = "all_izm.txt";
  uint16_t write_all_izm = 1;
  uint16_t adc_write = 1;
  std::string adc_name = "adc.txt";

  uint16_t tx_interval = 10;  // TX INTERVAL, kept only
  uint16_t xhchk = 1;         // X XHCHK, kept only
  uint16_t xepwr = 1;         // X XEPWR, kept only

  // KONSTR: the catalogue choices and the construction-type name (Edit22).
  uint16_t konstr_line = 0, konstr_pres = 0, konstr_case = 0, konstr_unit = 0;
  std::string konstr_txt = "Ордвин 100";

  // ADC converter settings, kept only.
  uint16_t gain = 4, gain2 = 0, rate = 5, ns = 0, xadc = 3, adccalib = 2400;
  uint32_t adcmax = 0xF00000, adcmin = 0x0FFFFF;

  // Zero and span adjustment: number of measurements and required values.
  uint16_t set0_n = 32, set_diap_n = 32;
  float set0_val = 0.0f, set_diap_val = 250.0f;

  // MTR group, kept only.
  uint16_t msenstype = 0, mox = 0, mcl = 0, mdest = 0, mprecis = 10, mmat = 0;
  std::string mdat = "Ордвин 100МП4";
};

// Everything a profile reads into and writes from. USR usr_txt is the
// image's user text: a load packs it there, a save writes it without the
// padding blanks.
struct ProfileTarget {
  DeviceImage& image;
  SearchSelection& search;
  MeasureLogSettings& log;
  ProfileKept& kept;
};

// Loads the profile at path (creating it with the new-file values when it is
// missing) and writes its keys back as a load does. The page read from TAB
// num is kept.page when it is 0..3; the caller shows it. The window's load
// goes on with the catalogue and the polynomial file of its folder. A load
// that fails changes nothing in memory: a file that cannot be written keeps
// its old contents and gives "Unable to write to <path>". With write_back
// false the same values are read and nothing is written or created (for
// tools that only read a profile).
std::optional<std::string> load_profile(const std::string& path, ProfileTarget target, bool write_back = true);

// Writes every key of the profile from memory. A read-only profile is made
// writable first.
std::optional<std::string> save_profile(const std::string& path, const ProfileTarget& target);

// The name a profile is saved under from the save dialog: with the profile
// filter chosen, a name of no existing file gets ".prf" unless it already
// ends in ".prf" (any case).
std::string profile_save_name(std::string chosen, bool profile_filter, bool chosen_exists);

// Which keys a profile file held when it was read, key by key.
struct ProfileHeldKeys {
  std::vector<bool> held;
};

// As load_profile with nothing written or created, telling also which keys the file holds.
std::optional<std::string> read_profile_held(const std::string& path, ProfileTarget target, ProfileHeldKeys& held);

// Lays over `to` the values of from that profile write sends, for the keys
// held marks: the sensor settings, user text, decimal places, user trims,
// reply delay and filter, and the device's address, rate and parity only
// with take_link.
void take_sent_values(const ProfileHeldKeys& held, const DeviceImage& from, bool take_link, DeviceImage& to);

// A text of device registers without its padding blanks (or zero bytes).
std::string unpadded_text(const uint16_t* words, size_t n);

}  // namespace orn
