#pragma once
// The transmitters a search found: up to 33 combinations of rate, address and
// parity, in the order they answered, and the list lines that show them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/link_params.h"

namespace orn {

// One more than the 32 a line may carry: the 33rd find ends the search.
inline constexpr size_t kFoundTableSize = 33;

struct FoundEntry {
  uint16_t rate_index = 0;  // 0: empty, ends the list
  uint16_t address = 0;
  uint16_t parity = 0;
  bool operator==(const FoundEntry&) const = default;
};

class FoundTable {
 public:
  void clear();
  // Stores the entry at the count and counts it; false when the table is full.
  bool add(const FoundEntry& entry);
  uint16_t count() const { return count_; }
  const std::array<FoundEntry, kFoundTableSize>& entries() const { return entries_; }

  // One line per filled entry up to the first empty one, e.g.
  // "Скорость 19200  без парит. Сет. номер 1".
  std::vector<std::string> lines() const;

 private:
  std::array<FoundEntry, kFoundTableSize> entries_{};
  uint16_t count_ = 0;
};

std::string found_line(const FoundEntry& entry);

// Makes the entry at a list position the link: its address, rate (19200 when
// the entry's rate is none of 3..10) and parity. False, changing nothing, for
// a position without an entry (no selection, an empty list).
bool pick_found_entry(const FoundTable& table, int position, LinkParams& link);

}  // namespace orn
