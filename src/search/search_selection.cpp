#include "search/search_selection.h"

#include <algorithm>
#include <utility>

#include "link/line_names.h"
#include "link/link_params.h"

namespace orn {
namespace {

constexpr size_t kRate9600 = 3;
constexpr size_t kRate19200 = 4;

bool none_set(const auto& flags) {
  return std::all_of(flags.begin(), flags.end(), [](uint16_t f) { return f == 0; });
}

}  // namespace

SearchSelection first_run_search_selection() {
  SearchSelection s;
  s.rates[kRate9600] = 1;
  s.rates[kRate19200] = 1;
  s.parities = {1, 1, 1};
  s.first = 1;
  s.last = 3;
  return s;
}

void complete_search_selection(SearchSelection& s) {
  if (s.last < s.first) std::swap(s.first, s.last);
  if (none_set(s.parities)) s.parities = {1, 1, 1};
  if (none_set(s.rates)) {
    s.rates[kRate9600] = 1;
    s.rates[kRate19200] = 1;
  }
}

uint32_t search_probe_count(const SearchSelection& s) {
  const auto set = [](const auto& flags) {
    return static_cast<uint32_t>(std::count_if(flags.begin(), flags.end(), [](uint16_t f) { return f != 0; }));
  };
  // The address after the first is tried only while it stays below 256.
  const uint32_t addresses = s.first > 255 ? 1 : uint32_t{std::min<uint16_t>(s.last, 255)} - s.first + 1;
  return set(s.rates) * set(s.parities) * addresses;
}

std::string search_progress_text(uint16_t rate_index, uint16_t parity, uint16_t address) {
  return "Проверяется скорость " + std::to_string(baud_for_rate_index(rate_index)) + " " +
         std::string(parity_names(parity).words) +
         " номер прибора " + std::to_string(address);
}

}  // namespace orn
