#pragma once
// Exchange fault set returned by every transaction. Success is
// (faults & kFaultMask) == 0 and exception code 0.
#include <cstdint>

namespace orn {

inline constexpr uint16_t kFaultLine = 0x0001;          // line error, only with parity on
inline constexpr uint16_t kFaultLength = 0x0002;        // not the length of a complete answer
inline constexpr uint16_t kFaultAddress = 0x0004;       // answer from another address
inline constexpr uint16_t kFaultFunction = 0x0008;      // not the request's function code
inline constexpr uint16_t kFaultException = 0x0010;     // exception answer
inline constexpr uint16_t kFaultCrc = 0x0020;           // CRC mismatch
inline constexpr uint16_t kFaultNoAnswer = 0x0040;      // nothing received
inline constexpr uint16_t kFaultStopped = 0x2000;       // refused: a stop was requested before it started
inline constexpr uint16_t kFaultLineBusy = 0x4000;      // refused: another transaction holds the line
inline constexpr uint16_t kFaultRetried = 0x8000;       // at least one attempt was repeated
inline constexpr uint16_t kFaultMask = 0x7FFF;

struct ExchangeResult {
  uint16_t faults = 0;
  uint16_t exception = 0;
  // A read at network address 255: the request went out but the answer was
  // not checked, so no value was read. The fault set is 0, yet the values
  // must not be used: such a read is not ok().
  bool unchecked = false;
  // Bytes that came after the previous answer had been taken at its last
  // byte (reads ending at the frame): seen by this transaction before its
  // request, and discarded. They say nothing of this transaction's answer.
  uint16_t late_bytes = 0;
  bool ok() const { return (faults & kFaultMask) == 0 && exception == 0 && !unchecked; }
  bool stopped() const { return (faults & kFaultStopped) != 0; }
};

}  // namespace orn
