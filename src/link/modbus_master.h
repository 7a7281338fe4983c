#pragma once
// The Modbus RTU master: Read Holding Registers (0x03) and Write Multiple
// Registers (0x10), with answer checks, retries and per-rate time-outs.
// The only code that puts frames on the line.
#include <cstdint>
#include <string_view>

#include "link/clock.h"
#include "link/exchange_trace.h"
#include "link/faults.h"
#include "link/link_params.h"
#include "link/pump.h"
#include "link/serial_port.h"
#include "link/stop_flag.h"

namespace orn {

inline constexpr uint8_t kMaxReadCount = 124;
inline constexpr uint8_t kMaxWriteCount = 123;

class ModbusMaster {
 public:
  // The master keeps references: the settings are read afresh at every attempt.
  ModbusMaster(SerialPort& port, Pump& pump, Clock& clock, const LinkParams& link,
               const ExchangeSettings& exchange, const RateTimeouts& timeouts);

  // Reads n registers (1..124) into out. Returns the fault set; exception gets
  // the exception byte of the last attempt or 0.
  uint16_t read_holding_registers(uint16_t start, uint8_t n, uint16_t* out, uint16_t& exception);
  // Writes n registers (1..123). label names the registers for the trace.
  uint16_t write_multiple_registers(uint16_t start, uint8_t n, const uint16_t* values,
                                    uint16_t& exception, std::string_view label);

  // At network address 255 the result is marked unchecked and out is left as it was.
  ExchangeResult read(uint16_t start, uint8_t n, uint16_t* out) {
    ExchangeResult r;
    r.faults = read_holding_registers(start, n, out, r.exception);
    r.unchecked = last_read_unchecked_;
    return r;
  }
  ExchangeResult write(uint16_t start, uint8_t n, const uint16_t* values, std::string_view label) {
    ExchangeResult r;
    r.faults = write_multiple_registers(start, n, values, r.exception, label);
    return r;
  }

  // True while a transaction is in progress (events are dispatched during it).
  bool busy() const { return busy_; }
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

 private:
  void apply_timeouts(size_t request_bytes);
  bool another_attempt(uint16_t faults, unsigned& attempt) const;

  SerialPort& port_;
  Pump& pump_;
  const LinkParams& link_;
  const ExchangeSettings& exchange_;
  const RateTimeouts& timeouts_;
  ExchangeTrace trace_;
  StopFlag never_raised_;
  StopFlag* stop_ = &never_raised_;
  bool busy_ = false;
  bool last_read_unchecked_ = false;
  bool wait_from_request_end_ = false;
};

}  // namespace orn
