#pragma once
// How long probes take, for the progress bar's estimate of the time left.
#include <cstdint>
#include <string>

#include "link/link_params.h"

namespace orn {

// Milliseconds one measured-value read spends when nothing answers: the total
// read time-out of every attempt the retry rule allows and the pauses between.
uint64_t silent_probe_ms(uint16_t rate_index, uint16_t address, const ExchangeSettings& exchange,
                         const RateTimeouts& timeouts);

// A duration rounded for people: "≈ 2 ч 05 мин", "≈ 3 мин 20 с", "≈ 40 с".
std::string duration_text(uint64_t ms);

}  // namespace orn
