#include "link/link_params.h"

#include "link/line_names.h"

namespace orn {
uint32_t baud_for_rate_index(uint16_t rate_index) {
  return is_rate_index(rate_index) ? kRateNames[rate_index - kRateIndexMin].baud : 19200;
}

std::optional<uint16_t> rate_index_for_baud(uint32_t baud) {
  for (uint16_t i = kRateIndexMin; i <= kRateIndexMax; ++i)
    if (baud_for_rate_index(i) == baud) return i;
  return std::nullopt;
}

}  // namespace orn
