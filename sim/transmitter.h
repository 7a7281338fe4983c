#pragma once
// A register-level model of one pressure transmitter answering Modbus RTU
// functions 0x03 and 0x10. See transmitter.cpp for the measurement model.
//
// Exception codes it answers with:
//   1  function other than 0x03 and 0x10;
//   2  a register outside the map, or a write to a read-only or reserved register;
//   3  a malformed request (count, byte count, length) or a value the register
//      does not accept (ADR outside 1..247, RATE outside 3..10, UNIT above 11, ...);
//   4  a write refused by the write protection (device locked, or the access code
//      written to USERLOCK/CLBLOCK without the ULDESIG/ULDEV step first).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pressure_source.h"
#include "register_map.h"

namespace orn::sim {

inline constexpr uint8_t kExIllegalFunction = 1;
inline constexpr uint8_t kExIllegalAddress = 2;
inline constexpr uint8_t kExIllegalValue = 3;
inline constexpr uint8_t kExLocked = 4;

// Rate index 3..10 to baud (19200 for any other index) and back (0 when not a rate).
uint32_t baud_of_rate_index(uint16_t index);
uint16_t rate_index_of_baud(uint32_t baud);

struct LinkSettings {
  uint16_t address = 1;
  uint32_t baud = 19200;
  uint16_t parity = 0;  // 0 none, 1 odd, 2 even
  bool operator==(const LinkSettings&) const = default;
};

struct TransmitterConfig {
  LinkSettings link;            // the settings it was configured with (ADR, RATE, PARITY)
  bool init = false;            // start in INIT state
  PressureSource pressure;      // what is applied to the sensor
  double sensor_offset_kpa = 0; // raw sensor errors that a calibration corrects
  double sensor_gain = 1.0;
  float temperature = 23.5f;    // sensor temperature, degrees Celsius
  uint16_t izmerr = 0;          // IZMERR bits raised on demand (ADC, EEPROM, ...)
  uint16_t btn = 0;             // BTN contact bits held on demand
  uint32_t head_read_silence_ms = 55000;
  uint32_t serial_number = 12345;  // SN_HI = number / 10000, SN_LO = number % 10000
};

struct Reply {
  std::vector<uint8_t> bytes;
  uint32_t delay_ms = 0;     // silence before the first byte
  uint32_t line_errors = 0;  // what the master's port reports with this answer
};

// Every stage of the computation of one measurement, kPa unless named otherwise.
struct Stages {
  double applied = 0;     // pressure applied to the sensor
  double sensor = 0;      // raw sensor reading
  double senskpa = 0;     // after factory and user trims (IZMPsenskpa)
  double avr = 0;         // after damping (IZMPavr)
  double sd = 0;          // limited to the permitted overrun (IZMPsd)
  double cutoff = 0;      // after the cut-offs (IZMPcutoff)
  double sqr = 0;         // after square-root extraction (IZMPsqr)
  uint16_t izmerr = 0;
  uint16_t relative = 0;
  uint16_t statp = 0;
};

class Transmitter {
 public:
  explicit Transmitter(const TransmitterConfig& config);

  // Answers one request frame (CRC included) heard at now_ms; nullopt when the
  // device stays silent (bad CRC, another address, broadcast, busy).
  std::optional<Reply> serve(std::span<const uint8_t> frame, uint64_t now_ms);
  // Makes ADR, RATE and PARITY written by the last request the listening settings;
  // the line calls it once the answer has left, so that answer still goes out at
  // the old settings. In INIT state the device keeps 1, 19200, no parity.
  void settle();
  LinkSettings link() const { return active_; }

  void set_init(bool on);
  bool init() const { return init_; }
  bool user_open() const { return user_open_; }
  bool calib_open() const { return calib_open_; }
  unsigned blink_count() const { return blinks_; }
  bool silent_at(uint64_t now_ms) const { return now_ms < silent_until_; }
  TransmitterConfig& config() { return config_; }

  // Register content as a master would read it at now_ms (0 outside the map).
  uint16_t read_register(uint16_t address, uint64_t now_ms);
  // Stored words, bypassing protection and checks (for test set-up).
  void poke(uint16_t address, uint16_t value) { regs_[address] = value; }
  void poke_float(uint16_t address, float value);
  float stored_float(uint16_t address) const;

  Stages compute(uint64_t now_ms);

  // Exception code (0 on success) of a register read or write at the model level.
  uint8_t read(uint16_t start, uint16_t count, uint64_t now_ms, uint16_t* out);
  uint8_t write(uint16_t start, uint16_t count, const uint16_t* values, uint64_t now_ms);

 private:
  using BlockWords = std::array<uint16_t, kMeasBlockSize>;
  BlockWords measurement_words(const Stages& s) const;
  BlockWords constant_words() const;
  uint8_t check_write(uint16_t start, uint16_t count, const uint16_t* values) const;
  void apply_write(uint16_t address, uint16_t value, uint64_t now_ms);
  void copy_factory(bool to_factory);

  TransmitterConfig config_;
  std::vector<uint16_t> regs_ = std::vector<uint16_t>(0x10000, 0);
  std::vector<uint16_t> factory_ = std::vector<uint16_t>(0x10000, 0);
  BlockWords latched_{};
  LinkSettings active_;
  bool init_ = false;
  bool designated_ = false;
  bool user_open_ = false;
  bool calib_open_ = false;
  unsigned blinks_ = 0;
  uint64_t silent_until_ = 0;
  double damped_kpa_ = 0;
  uint64_t damped_at_ = 0;
  bool damped_valid_ = false;
};

// The answer frame for an exception, CRC included.
std::vector<uint8_t> exception_frame(uint8_t address, uint8_t function, uint8_t code);

}  // namespace orn::sim
