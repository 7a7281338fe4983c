#include "settings/to_dat.h"

#include <array>
#include <string_view>

#include "link/line_names.h"
#include "settings/ini_file.h"

namespace orn {
namespace {

constexpr std::string_view kSection = "TIME_OUTS";

// Key suffixes in file order: rate index 3..10, then the fallback pair.
constexpr std::array<std::string_view, 9> kSuffixes = [] {
  std::array<std::string_view, 9> s{};
  for (size_t i = 0; i < kRateNames.size(); ++i) s[i] = kRateNames[i].text;
  s[8] = "DF";
  return s;
}();

constexpr RateTimeouts kDefaults{};

// The time-out slots of one kind (RTTM or RIT) in the order of kSuffixes.
template <typename Timeouts>
auto slots(Timeouts& t, bool rttm) {
  std::array<decltype(&t.rttm_df), 9> s{};
  for (size_t i = 0; i < 8; ++i) s[i] = rttm ? &t.rttm[i] : &t.rit[i];
  s[8] = rttm ? &t.rttm_df : &t.rit_df;
  return s;
}

}  // namespace

std::optional<std::string> load_to_dat(const std::string& folder, RateTimeouts& timeouts,
                                       bool write_back) {
  IniFile ini(settings_path(folder, kToDatName));
  if (auto error = ini.load()) return error;
  const bool create = !ini.existed();
  for (const bool rttm : {true, false}) {
    const std::string prefix = rttm ? "RTTM" : "RIT";
    const auto defaults = slots(kDefaults, rttm);
    const auto targets = slots(timeouts, rttm);
    for (size_t i = 0; i < kSuffixes.size(); ++i) {
      const std::string key = prefix + std::string(kSuffixes[i]);
      if (create) ini.write_u16(kSection, key, *defaults[i]);
      *targets[i] = ini.read_u16(kSection, key, *defaults[i]);
      ini.write_u16(kSection, key, *targets[i]);
    }
  }
  if (!write_back) return std::nullopt;
  return ini.save();
}

}  // namespace orn
