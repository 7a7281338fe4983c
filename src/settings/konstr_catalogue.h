#pragma once
// konstr_type.dat: the construction-type catalogue, four lists of texts
// (types, pressure ranges, cases, units) in section KONSTR. Each list keeps
// the index of its last entry, not the count.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orn {

inline constexpr const char* kKonstrCatalogueName = "konstr_type.dat";
// Entries a list holds in memory.
inline constexpr size_t kKonstrListMax = 64;

enum KonstrList : size_t { KonstrTypes = 0, KonstrPressures, KonstrCases, KonstrUnits, KonstrListCount };

struct KonstrCatalogue {
  std::array<std::vector<std::string>, KonstrListCount> lists;
};

// Loads folder/konstr_type.dat, creating it with the built-in lists when it
// is missing, and writes every last index and entry back. A last index
// beyond 63 is written back as it stands, but only the first 64 entries are
// read and kept. Fills catalogue even when the file cannot be written; the
// error is then "Unable to write to <path>".
std::optional<std::string> load_konstr_catalogue(const std::string& folder, KonstrCatalogue& catalogue);

}  // namespace orn
