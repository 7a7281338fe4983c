#include "calib/coefficient_files.h"

#include "device/input_checks.h"
#include "settings/atomic_file.h"
#include "settings/ini_file.h"
#include "units/number_format.h"

namespace orn {
namespace {

constexpr std::string_view kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

// Texts written when a file is created, and defaults of a missing key.
enum class Text : uint8_t { One, Zero, ZeroShort };
constexpr std::string_view text_of(Text t) {
  return t == Text::One ? "1.0" : t == Text::Zero ? "0.0" : "0";
}

bool first_of_series(const CoefficientKey& k) {
  return k.section.size() == 1 && k.section[0] >= 'A' && k.section[0] <= 'F';
}

// Creation: 1.0 for A0..F0, M1, S0 and WS.
Text poly_created(const CoefficientKey& k) {
  if (first_of_series(k)) return k.key == "0" ? Text::One : Text::Zero;
  if (k.section == "M") return k.key == "1" ? Text::One : Text::Zero;
  if (k.section == "S") return k.key == "0" ? Text::One : Text::Zero;
  return Text::One;  // WS
}

// Read default: 1.0 for keys 0, 7, 8, 9 of A..F, for M1 and WS.
Text poly_default(const CoefficientKey& k) {
  if (first_of_series(k)) {
    const char d = k.key[0];
    return d == '0' || d >= '7' ? Text::One : Text::ZeroShort;
  }
  if (k.section == "M") return k.key == "1" ? Text::One : Text::ZeroShort;
  if (k.section == "S") return Text::ZeroShort;
  return Text::One;  // WS
}

// Creation: 1.0 for CA0 and CC0. Read default: 0.0 for CA0 and CC0, 1.0 for
// CB0 and CD0, 0 for the rest.
Text corr_created(const CoefficientKey& k) {
  return k.key == "0" && (k.section == "CA" || k.section == "CC") ? Text::One : Text::Zero;
}
Text corr_default(const CoefficientKey& k) {
  if (k.key != "0") return Text::ZeroShort;
  return k.section == "CA" || k.section == "CC" ? Text::Zero : Text::One;
}

std::string coefficient_text(float x) { return format_number(x, NumberFormat::Coefficient); }

template <size_t N>
std::optional<std::string> load_set(const std::string& folder, std::string_view name,
                                     const std::array<CoefficientKey, N>& keys, Text (*created)(const CoefficientKey&),
                                     Text (*fallback)(const CoefficientKey&), CoefficientSet<N>& set) {
  const std::string path = settings_path(folder, name);
  make_writable(path);
  IniFile ini(path);
  if (auto error = ini.load()) return error;
  if (!ini.existed()) {
    for (const CoefficientKey& k : keys) ini.write_string(k.section, k.key, text_of(created(k)));
  }
  for (size_t i = 0; i < N; ++i) {
    const CoefficientKey& k = keys[i];
    const std::string text = ini.read_string(k.section, k.key, text_of(fallback(k)));
    set.values[i] = static_cast<float>(scan_real(text).value_or(0.0));
    ini.write_string(k.section, k.key, coefficient_text(set.values[i]));
  }
  set.read = true;
  return ini.save();
}

template <size_t N>
std::optional<std::string> save_set(const std::string& folder, std::string_view name,
                                     const std::array<CoefficientKey, N>& keys, const CoefficientSet<N>& set) {
  // Zeros of a set never read would replace the file's values.
  if (!set.read) return std::nullopt;
  const std::string path = settings_path(folder, name);
  make_writable(path);
  IniFile ini(path);
  if (auto error = ini.load()) return error;
  for (size_t i = 0; i < N; ++i) ini.write_string(keys[i].section, keys[i].key, coefficient_text(set.values[i]));
  return ini.save();
}

}  // namespace

const std::array<CoefficientKey, kPolyCount>& poly_keys() {
  static const std::array<CoefficientKey, kPolyCount> keys = [] {
    std::array<CoefficientKey, kPolyCount> k{};
    size_t i = 0;
    for (std::string_view section : {"A", "B", "C", "D", "E", "F"})
      for (std::string_view d : kDigits) k[i++] = {section, d};
    k[i++] = {"M", "1"};
    k[i++] = {"M", "2"};
    for (size_t d = 0; d < 4; ++d) k[i++] = {"S", kDigits[d]};
    k[i++] = {"WS", "WS"};
    return k;
  }();
  return keys;
}

const std::array<CoefficientKey, kCorrCount>& corr_keys() {
  static const std::array<CoefficientKey, kCorrCount> keys = [] {
    std::array<CoefficientKey, kCorrCount> k{};
    size_t i = 0;
    for (std::string_view section : {"CA", "CB", "CC", "CD"})
      for (size_t d = 0; d < 4; ++d) k[i++] = {section, kDigits[d]};
    return k;
  }();
  return keys;
}

std::optional<std::string> load_poly_res(const std::string& folder, PolySet& set) {
  return load_set(folder, kPolyResName, poly_keys(), poly_created, poly_default, set);
}

std::optional<std::string> save_poly_res(const std::string& folder, const PolySet& set) {
  return save_set(folder, kPolyResName, poly_keys(), set);
}

std::optional<std::string> load_corr(const std::string& folder, CorrSet& set) {
  return load_set(folder, kCorrName, corr_keys(), corr_created, corr_default, set);
}

std::optional<std::string> save_corr(const std::string& folder, const CorrSet& set) {
  return save_set(folder, kCorrName, corr_keys(), set);
}

std::optional<std::string> create_poly_template(const std::string& folder) {
  IniFile ini(settings_path(folder, kPolyTemplateName));
  if (auto error = ini.load()) return error;
  if (ini.existed()) return std::nullopt;
  for (const CoefficientKey& k : poly_keys())
    ini.write_string(k.section, k.key, k.section == "A" && k.key == "1" ? "340.55" : "0.0");
  return ini.save();
}

}  // namespace orn
