#include "link/modbus_pdu.h"

#include "link/faults.h"

namespace orn {
namespace {

void put_head(uint8_t* pdu, uint8_t function, uint16_t start, uint8_t n) {
  pdu[0] = function;
  pdu[1] = static_cast<uint8_t>(start >> 8);
  pdu[2] = static_cast<uint8_t>(start & 0xFF);
  pdu[3] = 0;
  pdu[4] = n;
}

}  // namespace

size_t build_read_request(uint8_t* pdu, uint16_t start, uint8_t n) {
  put_head(pdu, kFnReadHoldingRegisters, start, n);
  return 5;
}

size_t build_write_request(uint8_t* pdu, uint16_t start, uint8_t n, const uint16_t* values) {
  put_head(pdu, kFnWriteMultipleRegisters, start, n);
  pdu[5] = static_cast<uint8_t>(2 * n);
  for (unsigned k = 0; k < n; ++k) {
    pdu[6 + 2 * k] = static_cast<uint8_t>(values[k] >> 8);
    pdu[7 + 2 * k] = static_cast<uint8_t>(values[k] & 0xFF);
  }
  return 6u + 2u * n;
}

uint16_t check_answer_pdu(const uint8_t* pdu, uint8_t function, uint16_t& exception) {
  uint16_t faults = 0;
  if (pdu[0] != function) faults |= kFaultFunction;
  if (pdu[0] == (function | kExceptionBit)) {
    faults |= kFaultException;
    exception = pdu[1];
  }
  return faults;
}

}  // namespace orn
