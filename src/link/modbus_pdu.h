#pragma once
// The protocol data units of the two functions the master uses, apart from
// any framing: requests built in place, answers checked for their function
// and an exception.
#include <cstddef>
#include <cstdint>

namespace orn {

inline constexpr uint8_t kFnReadHoldingRegisters = 0x03;
inline constexpr uint8_t kFnWriteMultipleRegisters = 0x10;
inline constexpr uint8_t kExceptionBit = 0x80;
// The largest PDU either framing carries.
inline constexpr size_t kMaxPduSize = 253;
// Function, start, count: the answer to a write echoes the request's first five bytes.
inline constexpr size_t kWriteAnswerPduSize = 5;

// Function, start and count; returns the PDU's size (5).
size_t build_read_request(uint8_t* pdu, uint16_t start, uint8_t n);
// Function, start, count, byte count and the values; returns the PDU's size (6 + 2n).
size_t build_write_request(uint8_t* pdu, uint16_t start, uint8_t n, const uint16_t* values);

// Size of a normal answer to a read of n registers.
constexpr size_t read_answer_pdu_size(uint8_t n) { return 2u + 2u * n; }

// The answer's function and exception checks: kFaultFunction when its
// function code is not the request's, kFaultException (and exception set to
// its code) for an exception answer. exception is left as it is otherwise.
uint16_t check_answer_pdu(const uint8_t* pdu, uint8_t function, uint16_t& exception);

// Register k of a read answer.
inline uint16_t answer_register(const uint8_t* pdu, unsigned k) {
  return static_cast<uint16_t>(pdu[2 + 2 * k] << 8 | pdu[3 + 2 * k]);
}

}  // namespace orn
