#include "link/link_line.h"

#include "link/line_names.h"

namespace orn {

std::string link_line_text(const LinkParams& link) {
  std::string s = "COM" + std::to_string(link.port) + ", ";
  s += is_rate_index(link.rate_index) ? std::to_string(baud_for_rate_index(link.rate_index)) + " ," : "?";
  s += " " + std::string(parity_names(link.parity).words) + " ";
  return s;
}

int rate_item_for_index(uint16_t rate_index) {
  return is_rate_index(rate_index) ? rate_index - kRateIndexMin : 3;
}

uint16_t rate_index_for_item(int item) {
  if (item < 0 || item > kRateIndexMax - kRateIndexMin) return kRateIndexDefault;
  return static_cast<uint16_t>(item + kRateIndexMin);
}

uint16_t parity_code_for(bool parity_on, bool even) {
  if (!parity_on) return kParityNone;
  return even ? kParityEven : kParityOdd;
}

void apply_init_preset(LinkParams& link) {
  link.rate_index = kRateIndexDefault;
  link.parity = kParityNone;
  link.address = 1;
}

}  // namespace orn
