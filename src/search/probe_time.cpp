#include "search/probe_time.h"

#include <cstdio>

#include "device/register_map.h"
#include "link/faults.h"

namespace orn {
namespace {

constexpr uint64_t kRetryPauseMs = 1000;
// What a read of a silent line finds wrong: nothing arrived, so length,
// function and CRC fail, and the address unless any address is accepted.
constexpr uint16_t kSilenceFaults = kFaultNoAnswer | kFaultLength | kFaultFunction | kFaultCrc;

}  // namespace

uint64_t silent_probe_ms(uint16_t rate_index, uint16_t address, const ExchangeSettings& exchange,
                         const RateTimeouts& timeouts) {
  const bool listed = is_rate_index(rate_index);
  const uint64_t gap = exchange.time_gap_prg;
  const uint64_t multiplier = (listed ? timeouts.rttm[rate_index - kRateIndexMin] : timeouts.rttm_df) + gap;
  // The read asks for two bytes more than a complete answer.
  const uint64_t requested = 2u * kMeasurementBlockCount + 7;
  const uint64_t attempt_ms = multiplier * requested + exchange.timeout + gap;
  const uint16_t faults = address == kAddressAnyAnswer ? kSilenceFaults : kSilenceFaults | kFaultAddress;
  const uint64_t attempts = (faults & exchange.retry_mask) == 0 ? 1 : exchange.reask_val == 0 ? 1 : exchange.reask_val;
  return attempts * attempt_ms + (attempts - 1) * kRetryPauseMs;
}

std::string duration_text(uint64_t ms) {
  const uint64_t s = (ms + 500) / 1000;
  char text[48];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "≈ %llu ч %02llu мин", static_cast<unsigned long long>(s / 3600),
                  static_cast<unsigned long long>(s % 3600 / 60));
  else if (s >= 60)
    std::snprintf(text, sizeof text, "≈ %llu мин %02llu с", static_cast<unsigned long long>(s / 60),
                  static_cast<unsigned long long>(s % 60));
  else
    std::snprintf(text, sizeof text, "≈ %llu с", static_cast<unsigned long long>(s));
  return text;
}

}  // namespace orn
