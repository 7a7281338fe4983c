#pragma once
// The serial port seam: everything the Modbus master needs of a port, with the
// time-out semantics of a Windows COM port (the tool's files and devices assume them).
#include <cstddef>
#include <cstdint>
#include <string>

namespace orn {

// Five time-outs in milliseconds. A read returns when the requested bytes arrived,
// when the gap after a received byte exceeds read_interval, or when
// read_multiplier * requested + read_constant ms have passed; it returns what arrived.
struct SerialTimeouts {
  uint32_t read_interval = 0;
  uint32_t read_multiplier = 0;
  uint32_t read_constant = 0;
  uint32_t write_multiplier = 0;
  uint32_t write_constant = 0;
  // Not one of a Windows port's: when not 0, a read gives up when no byte has
  // arrived within this many microseconds of its start, and the total time-out
  // counts from the first byte instead of the start.
  uint32_t first_byte_us = 0;
};

// Parity codes as stored in dev.dat and shown in the link strip.
enum ParityCode : uint16_t { kParityNone = 0, kParityOdd = 1, kParityEven = 2 };

// The frames a port carries: RTU (a serial line, or a gateway that passes RTU
// frames) or Modbus TCP (MBAP header, no CRC).
enum class FrameFormat : uint8_t { Rtu, Mbap };

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the device exclusively with 8 data bits, 1 stop bit, no flow control.
  // Any parity code other than 1 or 2 means no parity. Closes a held port first.
  virtual bool open(const std::string& path, uint32_t baud, uint16_t parity) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  // True when the device exists and could be opened now; leaves it closed and
  // disturbs no device (no modem-line change, no hang-up).
  virtual bool probe(const std::string& path) = 0;
  // Why the last open failed, in words for the user ("" when it did not fail
  // or nothing is known).
  virtual std::string open_error() const { return {}; }

  virtual void set_timeouts(const SerialTimeouts& t) = 0;
  // Discards both directions' pending bytes.
  virtual void purge() = 0;
  // Returns the number of bytes written (0 with no port open).
  virtual size_t write(const uint8_t* data, size_t n) = 0;
  // Reads up to n bytes under the time-outs; returns how many arrived.
  virtual size_t read(uint8_t* buf, size_t n) = 0;
  // Returns and clears the line errors (parity, framing, overrun, break) seen since
  // the last call; 0 when none or when the driver cannot tell.
  virtual uint32_t take_line_errors() = 0;
  virtual void set_rts(bool on) = 0;
  virtual void set_dtr(bool on) = 0;
  // The frames the open port carries.
  virtual FrameFormat frame_format() const { return FrameFormat::Rtu; }
};

}  // namespace orn
