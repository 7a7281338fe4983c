#include "link/modbus_master.h"

#include <cstring>

#include "link/crc16.h"
#include "link/scoped_flag.h"
#include "link/wire_time.h"

namespace orn {
namespace {

constexpr uint8_t kFnRead = 0x03;
constexpr uint8_t kFnWrite = 0x10;
constexpr uint8_t kExceptionBit = 0x80;
constexpr size_t kBufferSize = 256;
constexpr size_t kWriteAnswerLength = 8;
constexpr uint32_t kRetryPauseMs = 1000;
constexpr uint32_t kNoCheckWritePauseMs = 400;

// The checks common to both functions, made at the positions of a complete
// normal answer of `expected` bytes: the zero-filled buffer makes a short or
// missing answer fail them as well.
uint16_t check_answer(const uint8_t* answer, size_t received, size_t expected, uint8_t function,
                      uint16_t address, uint16_t& exception) {
  uint16_t faults = 0;
  if (received != expected) faults |= kFaultLength;
  if (address != kAddressAnyAnswer && answer[0] != (address & 0xFF)) faults |= kFaultAddress;
  if (answer[1] != function) faults |= kFaultFunction;
  if (answer[1] == (function | kExceptionBit)) {
    faults |= kFaultException;
    exception = answer[2];
  }
  if (!crc_matches(answer, expected - 2)) faults |= kFaultCrc;
  if (received == 0) faults |= kFaultNoAnswer;
  return faults;
}

// Address, function, start and count: the first six bytes of both requests.
void put_header(uint8_t* request, uint16_t address, uint8_t function, uint16_t start, uint8_t n) {
  request[0] = static_cast<uint8_t>(address & 0xFF);
  request[1] = function;
  request[2] = static_cast<uint8_t>(start >> 8);
  request[3] = static_cast<uint8_t>(start & 0xFF);
  request[4] = 0;
  request[5] = n;
}

}  // namespace

ModbusMaster::ModbusMaster(SerialPort& port, Pump& pump, Clock& clock, const LinkParams& link,
                           const ExchangeSettings& exchange, const RateTimeouts& timeouts)
    : port_(port),
      pump_(pump),
      link_(link),
      exchange_(exchange),
      timeouts_(timeouts),
      trace_(clock, link, exchange) {}

void ModbusMaster::apply_timeouts(size_t request_bytes) {
  uint16_t rttm = timeouts_.rttm_df;
  uint16_t rit = timeouts_.rit_df;
  if (link_.rate_index >= kRateIndexMin && link_.rate_index <= kRateIndexMax) {
    rttm = timeouts_.rttm[link_.rate_index - kRateIndexMin];
    rit = timeouts_.rit[link_.rate_index - kRateIndexMin];
  }
  const uint32_t gap = exchange_.time_gap_prg;
  SerialTimeouts t;
  t.read_multiplier = rttm + gap;
  t.read_interval = rit + gap;
  t.read_constant = exchange_.timeout + gap;
  if (wait_from_request_end_) {
    const int64_t ns = first_answer_byte_ns(baud_for_rate_index(link_.rate_index), link_.parity, request_bytes,
                                            t.read_constant);
    t.first_byte_us = static_cast<uint32_t>((ns + 999) / 1000);
  }
  port_.set_timeouts(t);
}

// Counts a failed attempt whose faults are in the retry mask; true when the
// attempt limit allows one more.
bool ModbusMaster::another_attempt(uint16_t faults, unsigned& attempt) const {
  if ((faults & exchange_.retry_mask) == 0) return false;
  ++attempt;
  if (stopping()) return false;
  const unsigned limit = exchange_.reask_val == 0 ? 1u : exchange_.reask_val;
  return attempt < limit;
}

// A nested call (a handler run during this transaction's event dispatching)
// is refused with kFaultLineBusy: its bytes would interleave with ours, and it
// cannot be queued behind a caller that is waiting further down its own stack.
// After a stop nothing new goes out.
uint16_t ModbusMaster::read_holding_registers(uint16_t start, uint8_t n, uint16_t* out,
                                              uint16_t& exception) {
  exception = 0;
  last_read_unchecked_ = false;
  if (busy_) return kFaultLineBusy;
  if (stopping()) return kFaultStopped;
  if (n == 0 || n > kMaxReadCount) return kFaultLength;
  ScopedFlag line_taken(busy_);

  uint8_t request[kBufferSize];
  uint8_t answer[kBufferSize];
  const size_t expected = 2u * n + 5;
  unsigned attempt = 0;
  uint16_t faults = 0;
  for (;;) {
    exception = 0;
    faults = 0;
    std::memset(request, 0, sizeof request);
    std::memset(answer, 0, sizeof answer);
    put_header(request, link_.address, kFnRead, start, n);
    put_crc(request, 6);

    port_.purge();
    pump_.dispatch();
    apply_timeouts(8);
    pump_.dispatch();
    port_.take_line_errors();
    pump_.dispatch();
    port_.write(request, 8);
    pump_.dispatch();
    port_.take_line_errors();
    pump_.dispatch();
    trace_.read_request(request, 8, attempt);
    pump_.dispatch();
    // Two bytes more than a complete answer: a complete one then ends by the
    // interval time-out, and surplus bytes are counted as a wrong length.
    const size_t received = port_.read(answer, expected + 2);
    pump_.dispatch();
    trace_.read_answer(answer, received);
    pump_.dispatch();
    const uint32_t line_errors = port_.take_line_errors();
    pump_.dispatch();

    if (link_.address == kAddressNoAnswerCheck) {
      last_read_unchecked_ = true;
      return 0;
    }

    faults = check_answer(answer, received, expected, kFnRead, link_.address, exception);
    if (link_.parity != kParityNone && line_errors != 0) faults |= kFaultLine;

    if (!another_attempt(faults, attempt)) break;
    pump_.dispatch();
    pump_.wait(kRetryPauseMs);
    if (stopping()) break;
  }
  for (unsigned k = 0; k < n; ++k)
    out[k] = static_cast<uint16_t>(answer[3 + 2 * k] << 8 | answer[4 + 2 * k]);
  if (attempt != 0) faults |= kFaultRetried;
  return faults;
}

uint16_t ModbusMaster::write_multiple_registers(uint16_t start, uint8_t n, const uint16_t* values,
                                                uint16_t& exception, std::string_view label) {
  exception = 0;
  if (busy_) return kFaultLineBusy;
  if (stopping()) return kFaultStopped;
  if (n == 0 || n > kMaxWriteCount) return kFaultLength;
  ScopedFlag line_taken(busy_);

  uint8_t request[kBufferSize];
  uint8_t answer[kBufferSize];
  const size_t length = 2u * n + 9;
  unsigned attempt = 0;
  uint16_t faults = 0;
  for (;;) {
    exception = 0;
    faults = 0;
    std::memset(request, 0, sizeof request);
    std::memset(answer, 0, sizeof answer);
    put_header(request, link_.address, kFnWrite, start, n);
    request[6] = static_cast<uint8_t>(2 * n);
    for (unsigned k = 0; k < n; ++k) {
      request[7 + 2 * k] = static_cast<uint8_t>(values[k] >> 8);
      request[8 + 2 * k] = static_cast<uint8_t>(values[k] & 0xFF);
    }
    put_crc(request, length - 2);

    port_.purge();
    apply_timeouts(length);
    port_.take_line_errors();
    port_.write(request, length);
    port_.take_line_errors();
    trace_.write_request(request, length, label);
    const size_t received = port_.read(answer, kWriteAnswerLength);
    trace_.write_answer(answer, received, attempt);
    const uint32_t line_errors = port_.take_line_errors();

    if (link_.address == kAddressNoAnswerCheck) {
      pump_.sleep(kNoCheckWritePauseMs);
      return 0;
    }

    faults = check_answer(answer, received, kWriteAnswerLength, kFnWrite, link_.address, exception);
    if (link_.parity != kParityNone && line_errors != 0) faults |= kFaultLine;

    if (!another_attempt(faults, attempt)) break;
    pump_.wait(kRetryPauseMs);
    if (stopping()) break;
  }
  if (attempt != 0) faults |= kFaultRetried;
  return faults;
}

}  // namespace orn
