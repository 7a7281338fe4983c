#include "search/found_table.h"

#include "link/line_names.h"

namespace orn {

void FoundTable::clear() {
  entries_.fill(FoundEntry{});
  count_ = 0;
}

bool FoundTable::add(const FoundEntry& entry) {
  if (count_ >= kFoundTableSize) return false;
  entries_[count_++] = entry;
  return true;
}

std::vector<std::string> FoundTable::lines() const {
  std::vector<std::string> out;
  for (const FoundEntry& e : entries_) {
    if (e.rate_index == 0) break;
    out.push_back(found_line(e));
  }
  return out;
}

std::string found_line(const FoundEntry& e) {
  return "Скорость " + std::to_string(baud_for_rate_index(e.rate_index)) + "  " +
         std::string(parity_names(e.parity).brief) + " Сет. номер " +
         std::to_string(e.address);
}

bool pick_found_entry(const FoundTable& table, int position, LinkParams& link) {
  if (position < 0 || static_cast<size_t>(position) >= kFoundTableSize) return false;
  const FoundEntry& e = table.entries()[static_cast<size_t>(position)];
  if (e.rate_index == 0) return false;
  link.address = e.address;
  link.rate_index = is_rate_index(e.rate_index) ? e.rate_index : kRateIndexDefault;
  link.parity = e.parity;
  return true;
}

}  // namespace orn
