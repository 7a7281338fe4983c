#pragma once
// Link and exchange settings read by every transaction. They are loaded from
// dev.dat and to.dat and changed by the link strip; a transaction reads them
// afresh at every attempt.
#include <cstdint>
#include <optional>
#include <string>

namespace orn {

// Rate index 3..10 stands for 1200..115200 baud.
inline constexpr uint16_t kRateIndexMin = 3;
inline constexpr uint16_t kRateIndexMax = 10;
inline constexpr uint16_t kRateIndexDefault = 7;

constexpr bool is_rate_index(uint16_t rate_index) {
  return rate_index >= kRateIndexMin && rate_index <= kRateIndexMax;
}
// Baud for a rate index; 19200 for an index outside 3..10.
uint32_t baud_for_rate_index(uint16_t rate_index);
// Rate index of a baud rate the link offers; nothing for any other rate.
std::optional<uint16_t> rate_index_for_baud(uint32_t baud);

// Network addresses with a special meaning.
inline constexpr uint16_t kAddressAnyAnswer = 0;
inline constexpr uint16_t kAddressNoAnswerCheck = 255;

struct LinkParams {
  uint16_t port = 1;
  uint16_t rate_index = kRateIndexDefault;
  uint16_t parity = 0;
  uint16_t address = 1;
};

struct ExchangeSettings {
  uint16_t timeout = 2000;        // read total time-out constant, ms
  uint16_t time_gap_prg = 0;      // added to all three read time-outs, ms
  uint16_t reask_val = 2;         // attempt limit, at least 1
  uint16_t retry_mask = 0x7F;     // fault bits that cause another attempt
  uint16_t use_log_file = 0;      // 1: write the exchange trace
  std::string log_file_name = "COM.txt";
};

// Per-rate read time-outs of to.dat: index 0..7 for rate index 3..10.
struct RateTimeouts {
  uint16_t rttm[8] = {192, 96, 48, 24, 24, 24, 24, 12};
  uint16_t rit[8] = {192, 96, 48, 24, 24, 24, 24, 12};
  uint16_t rttm_df = 192;
  uint16_t rit_df = 192;
};

}  // namespace orn
