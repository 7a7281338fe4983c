#pragma once
// The Modbus master: Read Holding Registers (0x03) and Write Multiple
// Registers (0x10), with answer checks, retries and per-rate time-outs, in
// RTU frames or, on a Modbus TCP port, in MBAP frames. The only code that
// puts frames on the line.
#include <cstdint>
#include <string_view>

#include "link/clock.h"
#include "link/exchange_trace.h"
#include "link/faults.h"
#include "link/framing.h"
#include "link/link_params.h"
#include "link/pump.h"
#include "link/serial_port.h"
#include "link/stop_flag.h"

namespace orn {

inline constexpr uint8_t kMaxReadCount = 124;
inline constexpr uint8_t kMaxWriteCount = 123;

// Where the master is: no transaction, inside an attempt, in the pause before
// the next attempt. Events may be dispatched in the last two.
enum class LineState : uint8_t { Idle, Attempt, RetryPause };

class ModbusMaster {
 public:
  // The master keeps references: the settings are read afresh at every attempt.
  ModbusMaster(SerialPort& port, Pump& pump, Clock& clock, const LinkParams& link,
               const ExchangeSettings& exchange, const RateTimeouts& timeouts);

  // Reads n registers (1..124) into out. At network address 255 the result is
  // marked unchecked and out is left as it was.
  ExchangeResult read(uint16_t start, uint8_t n, uint16_t* out);
  // Writes n registers (1..123). label names the registers for the trace.
  ExchangeResult write(uint16_t start, uint8_t n, const uint16_t* values, std::string_view label);

  // The same as the fault set and the exception byte of the last attempt (or 0).
  uint16_t read_holding_registers(uint16_t start, uint8_t n, uint16_t* out, uint16_t& exception) {
    const ExchangeResult r = read(start, n, out);
    exception = r.exception;
    return r.faults;
  }
  uint16_t write_multiple_registers(uint16_t start, uint8_t n, const uint16_t* values,
                                    uint16_t& exception, std::string_view label) {
    const ExchangeResult r = write(start, n, values, label);
    exception = r.exception;
    return r.faults;
  }

  LineState line_state() const { return state_; }
  // True while a transaction is in progress (events are dispatched during it).
  bool busy() const { return state_ != LineState::Idle; }
  // Once the flag is raised a transaction that has not started is refused
  // with kFaultStopped, and a running one makes no further attempt: its
  // faults are returned as they are.
  void set_stop(StopFlag& stop) { stop_ = &stop; }
  StopFlag& stop() { return *stop_; }
  bool stopping() const { return stop_->stops(); }
  Pump& pump() { return pump_; }
  // On: the read time-out constant is the device's allowance counted from the
  // end of the request on the wire (its characters at the link's rate and
  // parity and the 3.5-character silence), and the rest of the answer comes
  // under the interval and total time-outs counted from its first byte. Off
  // (the default): the time-outs count from the write, as configured.
  void wait_from_request_end(bool on) { wait_from_request_end_ = on; }
  // On: an RTU read ends as soon as the whole answer has arrived with a valid
  // CRC, instead of asking for two bytes more and waiting out the interval
  // time-out after it. The next transaction then keeps the line silent for
  // 3.5 characters before its request and reports what arrived meanwhile as
  // late_bytes. An answer of the full length with a bad CRC is read on to the
  // silence as before, so that surplus bytes still count as a wrong length.
  // Off (the default): every read waits for the silence after the answer.
  void end_reads_at_frame(bool on) { end_reads_at_frame_ = on; }
  // All late bytes seen so far.
  uint32_t late_bytes_seen() const { return late_bytes_seen_; }

 private:
  enum class Kind : uint8_t { Read, Write };
  // One transaction's request PDU and what it expects back.
  struct Transaction {
    Kind kind;
    const uint8_t* pdu;
    size_t pdu_size;
    size_t answer_pdu_size;
    std::string_view label;
  };

  // nothing, or the fault that refuses a transaction of n registers before it starts.
  uint16_t refusal(uint8_t n, uint8_t max) const;
  // The attempts of one transaction; the last attempt's answer is left in
  // answer with its PDU at answer + pdu_at.
  ExchangeResult run(const Transaction& t, uint8_t* answer, size_t& pdu_at);
  Framing& framing();
  void apply_timeouts(size_t request_bytes);
  // The answer of a read: up to the silence after it, or up to its last byte
  // when reads end at the frame.
  size_t receive_read(Framing& f, uint8_t* answer, size_t expected);
  // Waits 3.5 characters of silence after an answer taken at its last byte
  // and returns how many bytes came meanwhile (they are traced, then purged).
  uint16_t read_late_bytes();
  bool another_attempt(uint16_t faults, unsigned& attempt) const;

  SerialPort& port_;
  Pump& pump_;
  const LinkParams& link_;
  const ExchangeSettings& exchange_;
  const RateTimeouts& timeouts_;
  ExchangeTrace trace_;
  RtuFraming rtu_;
  MbapFraming mbap_;
  StopFlag never_raised_;
  StopFlag* stop_ = &never_raised_;
  LineState state_ = LineState::Idle;
  bool wait_from_request_end_ = false;
  bool end_reads_at_frame_ = false;
  bool tail_unread_ = false;       // the last answer was taken at its last byte
  uint32_t late_bytes_seen_ = 0;
  SerialTimeouts applied_{};       // the time-outs of the running attempt
};

}  // namespace orn
