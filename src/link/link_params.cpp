#include "link/link_params.h"

namespace orn {

uint32_t baud_for_rate_index(uint16_t rate_index) {
  static constexpr uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
  if (rate_index < kRateIndexMin || rate_index > kRateIndexMax) return 19200;
  return kBauds[rate_index - kRateIndexMin];
}

}  // namespace orn
