#include "link/link_line.h"

namespace orn {

std::string link_line_text(const LinkParams& link) {
  static constexpr const char* kRates[] = {"1200 ,",  "2400 ,",  "4800 ,",  "9600 ,",
                                           "19200 ,", "38400 ,", "57600 ,", "115200 ,"};
  std::string s = "COM" + std::to_string(link.port) + ", ";
  const bool known = link.rate_index >= kRateIndexMin && link.rate_index <= kRateIndexMax;
  s += known ? kRates[link.rate_index - kRateIndexMin] : "?";
  switch (link.parity) {
    case kParityOdd: s += " нечетный паритет "; break;
    case kParityEven: s += " четный паритет "; break;
    default: s += " без паритета "; break;
  }
  return s;
}

int rate_item_for_index(uint16_t rate_index) {
  if (rate_index < kRateIndexMin || rate_index > kRateIndexMax) return 3;
  return rate_index - kRateIndexMin;
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
