#include "link/link_params.h"

namespace orn {
namespace {

constexpr uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

}  // namespace

uint32_t baud_for_rate_index(uint16_t rate_index) {
  return is_rate_index(rate_index) ? kBauds[rate_index - kRateIndexMin] : 19200;
}

std::optional<uint16_t> rate_index_for_baud(uint32_t baud) {
  for (uint16_t i = kRateIndexMin; i <= kRateIndexMax; ++i)
    if (baud_for_rate_index(i) == baud) return i;
  return std::nullopt;
}

}  // namespace orn
