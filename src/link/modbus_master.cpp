#include "link/modbus_master.h"

#include <cstring>

#include "link/crc16.h"
#include "link/modbus_pdu.h"
#include "link/wire_time.h"

namespace orn {
namespace {

constexpr uint32_t kRetryPauseMs = 1000;
constexpr uint32_t kNoCheckWritePauseMs = 400;
// A read asks for two bytes more than a complete answer: a complete one then
// ends by the interval time-out, and surplus bytes are counted as a wrong length.
constexpr size_t kReadSurplus = 2;
// How long bytes after an answer taken at its last byte are collected at most,
// counted from the first of them.
constexpr uint32_t kLateBytesLimitMs = 100;

// Puts the line back to idle on every way out of a transaction.
class IdleOnExit {
 public:
  explicit IdleOnExit(LineState& state) : state_(state) {}
  ~IdleOnExit() { state_ = LineState::Idle; }
  IdleOnExit(const IdleOnExit&) = delete;
  IdleOnExit& operator=(const IdleOnExit&) = delete;

 private:
  LineState& state_;
};

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
  applied_ = t;
  port_.set_timeouts(t);
}

size_t ModbusMaster::receive_read(Framing& f, uint8_t* answer, size_t expected) {
  if (!end_reads_at_frame_ || port_.frame_format() != FrameFormat::Rtu)
    return f.receive(port_, answer, expected + kReadSurplus);
  const size_t got = f.receive(port_, answer, expected);
  if (got == expected && crc_matches(answer, expected - 2)) {
    tail_unread_ = true;
    return got;
  }
  // A short answer ended by a time-out: the line is silent already.
  if (got < expected) return got;
  // The full length but a bad CRC: perhaps a longer frame, so read on until
  // the interval time-out, the first further byte being due within it.
  SerialTimeouts tail{};
  tail.read_interval = applied_.read_interval;
  tail.read_constant = applied_.read_interval;
  port_.set_timeouts(tail);
  return got + port_.read(answer + got, kReadSurplus);
}

uint16_t ModbusMaster::read_late_bytes() {
  tail_unread_ = false;
  const int64_t ch = character_ns(baud_for_rate_index(link_.rate_index), link_.parity);
  const int64_t silence_ns = 7 * ch / 2;
  SerialTimeouts t{};
  t.first_byte_us = static_cast<uint32_t>((silence_ns + 999) / 1000);
  t.read_interval = static_cast<uint32_t>((silence_ns + 999'999) / 1'000'000);
  t.read_constant = kLateBytesLimitMs;
  port_.set_timeouts(t);
  uint8_t late[kFrameBufferSize];
  const size_t n = port_.read(late, sizeof late);
  if (n != 0) trace_.late_bytes(late, n);
  late_bytes_seen_ += static_cast<uint32_t>(n);
  return static_cast<uint16_t>(n);
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

Framing& ModbusMaster::framing() {
  if (port_.frame_format() == FrameFormat::Mbap) return mbap_;
  return rtu_;
}

// A nested call (a handler run during this transaction's event dispatching)
// is refused with kFaultLineBusy: its bytes would interleave with ours, and it
// cannot be queued behind a caller that is waiting further down its own stack.
// After a stop nothing new goes out.
uint16_t ModbusMaster::refusal(uint8_t n, uint8_t max) const {
  if (state_ != LineState::Idle) return kFaultLineBusy;
  if (stopping()) return kFaultStopped;
  if (n == 0 || n > max) return kFaultLength;
  return 0;
}

// A read dispatches events between the steps of its attempts; a write
// dispatches none inside an attempt, only in its retry pause, so nothing
// the window does can come between its request and its answer.
ExchangeResult ModbusMaster::run(const Transaction& t, uint8_t* answer, size_t& pdu_at) {
  const IdleOnExit idle(state_);
  const bool pumped = t.kind == Kind::Read;
  const auto step = [&] {
    if (pumped) pump_.dispatch();
  };
  const uint8_t function = t.pdu[0];
  uint8_t request[kFrameBufferSize];
  unsigned attempt = 0;
  ExchangeResult r;
  uint16_t late = 0;
  for (;;) {
    state_ = LineState::Attempt;
    r = ExchangeResult{};
    if (tail_unread_) late = read_late_bytes();
    r.late_bytes = late;
    Framing& f = framing();
    std::memset(request, 0, sizeof request);
    std::memset(answer, 0, kFrameBufferSize);
    pdu_at = f.pdu_offset();
    std::memcpy(request + pdu_at, t.pdu, t.pdu_size);
    const size_t length = f.seal(request, t.pdu_size, link_.address);
    const size_t expected = f.answer_length(t.answer_pdu_size);

    port_.purge();
    step();
    apply_timeouts(length);
    step();
    port_.take_line_errors();
    step();
    port_.write(request, length);
    step();
    port_.take_line_errors();
    step();
    if (pumped)
      trace_.read_request(request, length, attempt);
    else
      trace_.write_request(request, length, t.label);
    step();
    const size_t received = pumped ? receive_read(f, answer, expected) : f.receive(port_, answer, expected);
    step();
    if (pumped)
      trace_.read_answer(answer, received);
    else
      trace_.write_answer(answer, received, attempt);
    step();
    const uint32_t line_errors = port_.take_line_errors();
    step();

    if (link_.address == kAddressNoAnswerCheck) {
      if (t.kind == Kind::Read)
        r.unchecked = true;
      else
        pump_.sleep(kNoCheckWritePauseMs);
      return r;
    }

    r.faults = f.check(answer, received, expected, link_.address) |
               check_answer_pdu(answer + pdu_at, function, r.exception);
    if (link_.parity != kParityNone && line_errors != 0) r.faults |= kFaultLine;

    if (!another_attempt(r.faults, attempt)) break;
    step();
    state_ = LineState::RetryPause;
    pump_.wait(kRetryPauseMs);
    if (stopping()) break;
  }
  if (attempt != 0) r.faults |= kFaultRetried;
  return r;
}

ExchangeResult ModbusMaster::read(uint16_t start, uint8_t n, uint16_t* out) {
  ExchangeResult r;
  r.faults = refusal(n, kMaxReadCount);
  if (r.faults != 0) return r;
  uint8_t pdu[kMaxPduSize];
  const Transaction t{Kind::Read, pdu, build_read_request(pdu, start, n), read_answer_pdu_size(n), {}};
  uint8_t answer[kFrameBufferSize];
  size_t pdu_at = 0;
  r = run(t, answer, pdu_at);
  if (r.unchecked) return r;
  // The values of the last attempt's answer, whatever its faults: the caller decides.
  for (unsigned k = 0; k < n; ++k) out[k] = answer_register(answer + pdu_at, k);
  return r;
}

ExchangeResult ModbusMaster::write(uint16_t start, uint8_t n, const uint16_t* values, std::string_view label) {
  ExchangeResult r;
  r.faults = refusal(n, kMaxWriteCount);
  if (r.faults != 0) return r;
  uint8_t pdu[kMaxPduSize];
  const Transaction t{Kind::Write, pdu, build_write_request(pdu, start, n, values), kWriteAnswerPduSize, label};
  uint8_t answer[kFrameBufferSize];
  size_t pdu_at = 0;
  return run(t, answer, pdu_at);
}

}  // namespace orn
