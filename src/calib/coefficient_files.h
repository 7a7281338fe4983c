#pragma once
// The two coefficient sets the tool keeps from run to run, and the template
// of the polynomial layout: poly_res.pol (67 values), corr.txt (16 values)
// and 250_kpa_maket.pol. The coefficients are only kept: nothing sends them
// to the transmitter or computes with them.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace orn {

inline constexpr std::string_view kPolyResName = "poly_res.pol";
inline constexpr std::string_view kCorrName = "corr.txt";
inline constexpr std::string_view kPolyTemplateName = "250_kpa_maket.pol";

inline constexpr size_t kPolyCount = 67;
inline constexpr size_t kCorrCount = 16;

// A set of coefficients and whether its file has been read into it. A set
// that was never read holds none of the file's values: it is never saved.
template <size_t N>
struct CoefficientSet {
  std::array<float, N> values{};
  bool read = false;
};
// In file order: A0..A9, B0..B9, ..., F0..F9, M1, M2, S0..S3, WS.
using PolySet = CoefficientSet<kPolyCount>;
// In file order: CA0..CA3, CB0..CB3, CC0..CC3, CD0..CD3.
using CorrSet = CoefficientSet<kCorrCount>;

struct CoefficientKey {
  std::string_view section;
  std::string_view key;
};
const std::array<CoefficientKey, kPolyCount>& poly_keys();
const std::array<CoefficientKey, kCorrCount>& corr_keys();

// Each function works on the file of that name in folder and returns the
// error of a file that cannot be read or written ("Unable to write to ...").
// A read-only file is made writable before it is rewritten.

// Reads poly_res.pol, creating it with its creation values when missing; a
// missing key takes its read default, a value that is no number gives 0.
// Every value is written back at once with nine decimals, so the file lists
// every key and a run killed before the save loses no digit. The set is
// marked read once the file's values are in it, even when the write-back
// fails; a file that cannot be read leaves the set as it was.
std::optional<std::string> load_poly_res(const std::string& folder, PolySet& set);
// Writes every value with "%-11.9f"; a set that was never read writes nothing.
std::optional<std::string> save_poly_res(const std::string& folder, const PolySet& set);

// corr.txt, as poly_res.pol.
std::optional<std::string> load_corr(const std::string& folder, CorrSet& set);
std::optional<std::string> save_corr(const std::string& folder, const CorrSet& set);

// Writes 250_kpa_maket.pol with the template values when it is missing; an
// existing file is never touched.
std::optional<std::string> create_poly_template(const std::string& folder);

}  // namespace orn
