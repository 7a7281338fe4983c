#pragma once
// Faults put on the answers of the simulated line, either one-shot from a queue
// (the next answers, in order) or at random with a seeded generator.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "transmitter.h"

namespace orn::sim {

enum class FaultKind : uint8_t {
  Silence,         // no answer at all
  BadCrc,          // last CRC byte inverted
  ForeignAddress,  // answer from another address (valid CRC)
  WrongFunction,   // answer with another function code (valid CRC)
  Exception,       // exception answer with code `value` (4 when 0)
  Surplus,         // `value` extra bytes after the frame (2 when 0)
  Truncated,       // the last `value` bytes missing (3 when 0)
  Delay,           // answer `value` ms later (1000 when 0)
  LineError,       // answer intact, the port reports a parity error with it
};
inline constexpr size_t kFaultKindCount = 9;

struct Fault {
  FaultKind kind = FaultKind::Silence;
  uint32_t value = 0;
};

// Name used on the command line ("silence", "crc", ...); nullopt when unknown.
std::optional<FaultKind> fault_kind_from_name(std::string_view name);
std::string_view fault_kind_name(FaultKind kind);

// Line-error bit reported by take_line_errors for a LineError fault.
inline constexpr uint32_t kLineErrorParity = 0x0004;

class FaultInjector {
 public:
  // One-shot: applies to the next answer not already claimed by an earlier push.
  void push(Fault f) { queue_.push_back(f); }
  // Each answer gets one of kinds (picked at random) with this probability.
  void set_random(double probability, std::vector<Fault> kinds, uint64_t seed);
  // Random faults only on the answers of these addresses (empty: of every one).
  void set_random_addresses(std::vector<uint16_t> addresses) { random_addresses_ = std::move(addresses); }
  void clear();

  // Applies the fault due for an answer; false when the answer is to be dropped.
  bool apply(Reply& reply);
  // How many faults were applied so far, in all or of one kind.
  unsigned applied() const { return applied_; }
  unsigned applied(FaultKind kind) const { return applied_by_kind_[static_cast<size_t>(kind)]; }

 private:
  std::optional<Fault> next(const Reply& reply);
  uint64_t random_bits();

  std::deque<Fault> queue_;
  double probability_ = 0;
  std::vector<Fault> kinds_;
  std::vector<uint16_t> random_addresses_;
  uint64_t state_ = 0;
  unsigned applied_ = 0;
  std::array<unsigned, kFaultKindCount> applied_by_kind_{};
};

}  // namespace orn::sim
