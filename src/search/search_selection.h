#pragma once
// What a bus search tries: which rates and parities, and the address range.
// It is kept with the configuration profile and shown on the search page.
#include <array>
#include <cstdint>
#include <string>

namespace orn {

inline constexpr size_t kSearchRateCount = 8;    // rate index 3..10
inline constexpr size_t kSearchParityCount = 3;  // parity code 0..2

struct SearchSelection {
  std::array<uint16_t, kSearchRateCount> rates{};      // 1: try rate index 3 + i
  std::array<uint16_t, kSearchParityCount> parities{};  // 1: try parity code i
  uint16_t first = 0;  // first address
  uint16_t last = 0;   // last address
  bool operator==(const SearchSelection&) const = default;
};

// The selection of a profile written for the first time: 9600 and 19200
// baud, every parity, addresses 1 to 3.
SearchSelection first_run_search_selection();

// Makes a selection searchable: a range given backwards is swapped, no parity
// means all three, no rate means 9600 and 19200.
void complete_search_selection(SearchSelection& selection);

// Number of probes a completed selection makes.
uint32_t search_probe_count(const SearchSelection& selection);

// "Проверяется скорость 19200 без паритета номер прибора 5".
std::string search_progress_text(uint16_t rate_index, uint16_t parity, uint16_t address);

}  // namespace orn
