#pragma once
// Every register or block of the transmitter that the tool touches, and the
// transfers that move them. Code names registers and transfers through these
// tables, never by a bare address.
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "device/device_image.h"

namespace orn {

enum class RegType : uint8_t {
  Word,         // unsigned 16-bit
  Dword,        // unsigned 32-bit, first register high
  Int32,        // signed 32-bit, first register high
  Float,        // IEEE-754 single, fixed order "0 1 2 3"
  StatusFloat,  // float whose byte order STATP announces
  Text,         // two characters per register, high byte first
  TextLowFirst, // two characters per register, low byte first
  Block,        // a block whose layout is given separately
};

// R: some operation reads it; W: some operation writes it.
enum Access : uint8_t { kNoAccess = 0, kRead = 1, kWrite = 2, kReadWrite = 3 };

// Where the device image keeps a register's value, and so how its words are
// coded there: a word as is, a float in the fixed order, a signed 32-bit value,
// the user text's words as they are. Empty for a register the image does not keep.
struct ImageSlot {
  using UserText = std::array<uint16_t, 8>;
  uint16_t DeviceImage::*word = nullptr;
  float DeviceImage::*real = nullptr;
  int32_t DeviceImage::*whole = nullptr;
  UserText DeviceImage::*text = nullptr;

  constexpr ImageSlot() = default;
  constexpr ImageSlot(uint16_t DeviceImage::*w) : word(w) {}
  constexpr ImageSlot(float DeviceImage::*r) : real(r) {}
  constexpr ImageSlot(int32_t DeviceImage::*n) : whole(n) {}
  constexpr ImageSlot(UserText DeviceImage::*t) : text(t) {}
  constexpr bool empty() const { return !word && !real && !whole && !text; }
};

struct RegisterEntry {
  std::string_view name;
  uint16_t address;
  uint8_t count;
  RegType type;
  Access access;
  std::string_view label;  // transaction label of a write, or ""
  std::string_view meaning;
  ImageSlot slot{};
};

// Offsets inside the 11-register measurement, latched and constant blocks.
struct MeasurementOffset {
  static constexpr size_t kPizmf = 0;     // float*, 2 registers
  static constexpr size_t kRelative = 2;  // 0..65535 of the range
  static constexpr size_t kIzmerr = 3;
  static constexpr size_t kStatp = 4;
  static constexpr size_t kBtn = 7;       // bit 6: INIT state
  static constexpr size_t kTizmf = 8;     // float, 2 registers
};
inline constexpr uint8_t kMeasurementBlockCount = 11;

inline constexpr RegisterEntry kRegisterMap[] = {
    {"MEASUREMENT", 0x0100, 11, RegType::Block, kRead, "", "measurement block"},
    {"LATCHED", 0x0300, 11, RegType::Block, kRead, "", "latched measurement block"},
    {"CONSTANT", 0x0800, 11, RegType::Block, kRead, "", "constant block"},
    {"IZMPsenskpa", 0x0120, 2, RegType::Float, kRead, "", "sensor pressure, kPa"},
    {"IZMPsensun", 0x0122, 2, RegType::Float, kRead, "", "sensor pressure in the current unit"},
    {"IZMPavr", 0x0124, 2, RegType::Float, kRead, "", "computation stage value"},
    {"IZMPsd", 0x0126, 2, RegType::Float, kRead, "", "computation stage value"},
    {"IZMPcutoff", 0x0128, 2, RegType::Float, kRead, "", "stage value after the cut-offs"},
    {"IZMPsqr", 0x012A, 2, RegType::Float, kRead, "", "stage value after square-root extraction"},
    {"IZMTF", 0x012C, 2, RegType::Float, kRead, "", "temperature"},
    {"dumm", 0x012E, 2, RegType::Float, kRead, "", "spare value"},
    {"EXERR", 0x0130, 1, RegType::Word, kRead, "", "computation error bits"},
    {"STATP", 0x0131, 1, RegType::Word, kRead, "", "status word of the intermediate results"},
    {"A1", 0x0200, 2, RegType::Int32, kNoAccess, "", "ADC code, channel 1"},
    {"A2", 0x0202, 2, RegType::Int32, kNoAccess, "", "ADC code, channel 2"},
    {"A3", 0x0204, 2, RegType::Int32, kNoAccess, "", "ADC code, channel 3"},
    {"A4", 0x0206, 2, RegType::Int32, kNoAccess, "", "ADC code, channel 4"},
    {"A5", 0x0208, 2, RegType::Int32, kNoAccess, "", "ADC code, channel 5"},
    {"AERR", 0x020A, 1, RegType::Word, kNoAccess, "", "ADC error bits"},
    {"ASTAT", 0x020B, 1, RegType::Word, kNoAccess, "", "second ADC status word"},
    {"LOADERR", 0x03F0, 16, RegType::Block, kNoAccess, "", "sensor load errors"},
    {"MODEL", 0x0400, 1, RegType::Word, kRead, "", "model code", &DeviceImage::model},
    {"SN_HI", 0x0401, 1, RegType::Word, kRead, "", "factory number, high part", &DeviceImage::sn_hi},
    {"SN_LO", 0x0402, 1, RegType::Word, kRead, "", "factory number, low part", &DeviceImage::sn_lo},
    {"VER_HARD", 0x0403, 1, RegType::Word, kRead, "", "hardware version", &DeviceImage::ver_hard},
    {"VER_SOFT", 0x0404, 1, RegType::Word, kRead, "", "software version", &DeviceImage::ver_soft},
    {"DAY", 0x0405, 1, RegType::Word, kRead, "", "day of manufacture 1..31", &DeviceImage::day},
    {"MONTH", 0x0406, 1, RegType::Word, kRead, "", "month of manufacture 1..12", &DeviceImage::month},
    {"YEAR", 0x0407, 1, RegType::Word, kRead, "", "year of manufacture - 2000", &DeviceImage::year},
    {"ADR", 0x0408, 1, RegType::Word, kReadWrite, "Net_num_new, ser_spd_new, ser_parity_new", "network address 0..247",
     &DeviceImage::adr},
    {"RATE", 0x0409, 1, RegType::Word, kReadWrite, "", "rate index 3..10", &DeviceImage::rate},
    {"PARITY", 0x040A, 1, RegType::Word, kReadWrite, "", "parity: 0 none, 1 odd, 2 even", &DeviceImage::parity},
    {"PROT", 0x040B, 1, RegType::Word, kRead, "", "protocol selector, kept only", &DeviceImage::prot},
    {"TIMER", 0x040C, 1, RegType::Word, kRead, "", "watchdog, n * 0.1 s, 0 disabled", &DeviceImage::timer},
    {"USERTEXT", 0x040E, 8, RegType::Text, kReadWrite, "пользовательский текст", "user text, 16 characters",
     &DeviceImage::user_text},
    {"BLINK", 0x0416, 1, RegType::Word, kWrite, "BLINK", "1 makes the LED blink"},
    {"LATCH", 0x0417, 1, RegType::Word, kWrite, "LATCH", "1 freezes the measurement into 0x0300"},
    {"INITFLAG", 0x0418, 1, RegType::Word, kRead, "", "1 while in INIT state", &DeviceImage::init_flag},
    {"DELY", 0x041A, 1, RegType::Word, kReadWrite, "DELY", "reply delay, ms, 0..255", &DeviceImage::dely},
    {"TimeGapDev", 0x041B, 1, RegType::Word, kReadWrite, "TimeGapDev", "extra inter-byte gap, ms",
     &DeviceImage::time_gap_dev},
    {"PGMCS", 0x047E, 1, RegType::Word, kNoAccess, "", "program memory checksum"},
    {"PGMCS1", 0x047F, 1, RegType::Word, kNoAccess, "PGMCS1", "stored checksum comparison value"},
    {"ID_DESIG", 0x0480, 1, RegType::Word, kRead, "", "family designation, expected 1", &DeviceImage::id_desig},
    {"ID_DEV", 0x0481, 1, RegType::Word, kRead, "", "device type, expected 6", &DeviceImage::id_dev},
    {"ID_ZERO", 0x0482, 1, RegType::Word, kRead, "", "expected 0", &DeviceImage::id_zero},
    {"ULDESIG", 0x04F0, 1, RegType::Word, kWrite, "ULDESIG, ULDEV", "unlock step 1: 1"},
    {"ULDEV", 0x04F1, 1, RegType::Word, kWrite, "", "unlock step 1: 6"},
    {"FSET", 0x04FC, 1, RegType::Word, kWrite, "FSET", "1 restores the factory settings"},
    {"HEAD_READ_ASK", 0x04FD, 1, RegType::Word, kNoAccess, "HEAD_READ_ASK", "re-read the sensor head"},
    {"USERLOCK", 0x04FE, 1, RegType::Word, kWrite, "USERLOCK, CLBLOCK", "user write protection"},
    {"CLBLOCK", 0x04FF, 1, RegType::Word, kWrite, "", "calibration write protection"},
    {"UNIT", 0x0500, 1, RegType::Word, kReadWrite, "UINT, XNUL, XBND", "output unit code 0..11", &DeviceImage::unit},
    {"XNUL", 0x0501, 1, RegType::Word, kReadWrite, "", "bit 1: zero by the reed switch", &DeviceImage::xnul},
    {"XBND", 0x0502, 1, RegType::Word, kReadWrite, "", "bits 0..3: overruns and cut-offs used", &DeviceImage::xbnd},
    {"SENSTYPE", 0x0503, 1, RegType::Word, kRead, "", "sensor type, not kept"},
    {"XFSET", 0x0504, 1, RegType::Word, kReadWrite, "XFSET", "bit 0: factory settings by button", &DeviceImage::xfset},
    {"XEPWR", 0x0505, 1, RegType::Word, kRead, "", "not kept"},
    {"XHCHK", 0x0506, 1, RegType::Word, kRead, "", "sensor-head number check, not kept"},
    {"T90", 0x0507, 1, RegType::Word, kReadWrite, "NS", "settling time, 0.1 s", &DeviceImage::t90},
    {"DIAPMINKPA", 0x0508, 2, RegType::Float, kRead, "", "sensor range lower limit, kPa", &DeviceImage::diapminkpa},
    {"DIAPMAXKPA", 0x050A, 2, RegType::Float, kRead, "", "sensor range upper limit, kPa", &DeviceImage::diapmaxkpa},
    {"NULCUTOFF", 0x050C, 1, RegType::Word, kReadWrite, "NULCUTOFF, MAXCUTOFF, LINCUTOFF, MAXOVLD, MINOVLD, XSQR",
     "zero cut-off, fraction", &DeviceImage::nulcutoff},
    {"MAXCUTOFF", 0x050D, 1, RegType::Word, kReadWrite, "", "cut-off at the limits, fraction", &DeviceImage::maxcutoff},
    {"LINCUTOFF", 0x050E, 1, RegType::Word, kReadWrite, "", "linear part in root mode, fraction 0..10 %",
     &DeviceImage::lincutoff},
    {"MAXOVLD", 0x050F, 1, RegType::Word, kReadWrite, "", "overrun past the upper limit, fraction",
     &DeviceImage::maxovld},
    {"MINOVLD", 0x0510, 1, RegType::Word, kReadWrite, "", "overrun past the lower limit, fraction",
     &DeviceImage::minovld},
    {"XSQR", 0x0511, 1, RegType::Word, kReadWrite, "", "bits 0..1: square root and its linearisation",
     &DeviceImage::xsqr},
    {"shift", 0x0512, 2, RegType::Float, kReadWrite, "shift", "calibration zero offset", &DeviceImage::shift},
    {"diap", 0x0514, 2, RegType::Float, kReadWrite, "diap", "calibration span factor", &DeviceImage::diap},
    {"fltype", 0x0516, 1, RegType::Word, kReadWrite, "fltype", "measured-value byte order 0..3", &DeviceImage::fltype},
    {"CONSTRMINKPA", 0x0517, 2, RegType::Float, kRead, "", "construction range lower limit, kPa",
     &DeviceImage::constrminkpa},
    {"CONSTRMAXKPA", 0x0519, 2, RegType::Float, kRead, "", "construction range upper limit, kPa",
     &DeviceImage::constrmaxkpa},
    {"CONSTRNAME", 0x051F, 16, RegType::Text, kRead, "", "construction type name, 32 characters"},
    {"SENSUNIT", 0x05E1, 1, RegType::Word, kRead, "", "unit code of the sensor", &DeviceImage::sensunit},
    {"SENSNUM", 0x05E2, 2, RegType::Int32, kRead, "", "sensor number", &DeviceImage::sensnum},
    {"SENSCLASS", 0x05E4, 2, RegType::TextLowFirst, kRead, "", "accuracy class, 4 characters"},
    {"shift_usr", 0x0620, 2, RegType::Float, kReadWrite, "shift_usr, shift_scale", "user zero trim, kPa",
     &DeviceImage::shift_usr},
    {"shift_scale", 0x0622, 2, RegType::Float, kReadWrite, "", "scale shift, kPa", &DeviceImage::shift_scale},
    {"diap_usr", 0x0624, 2, RegType::Float, kReadWrite, "diap_usr", "user span trim factor", &DeviceImage::diap_usr},
    {"DIGITS", 0x0626, 1, RegType::Word, kReadWrite, "число цифр после запятой", "indicator decimals 0..3",
     &DeviceImage::digits},
};

// The entry of a register by name; a misspelt name fails to compile where it
// is used in a constant expression.
constexpr const RegisterEntry& register_entry(std::string_view name) {
  for (const RegisterEntry& e : kRegisterMap) {
    if (e.name == name) return e;
  }
  throw std::out_of_range("no such register");
}
constexpr uint16_t reg_address(std::string_view name) { return register_entry(name).address; }

// A register's slot holds what its type decodes to: a word, a fixed-order
// float, a signed 32-bit value or a text, each in as many registers as that takes.
constexpr bool slots_match_types() {
  for (const RegisterEntry& e : kRegisterMap) {
    if (e.slot.empty()) continue;
    const bool ok = (e.slot.word && e.type == RegType::Word && e.count == 1) ||
                    (e.slot.real && e.type == RegType::Float && e.count == 2) ||
                    (e.slot.whole && e.type == RegType::Int32 && e.count == 2) ||
                    (e.slot.text && e.type == RegType::Text && e.count == 8);
    if (!ok) return false;
  }
  return true;
}
static_assert(slots_match_types(), "each image slot of the type its register has");

// The 16-bit value that opens USERLOCK and CLBLOCK (also FSET's copy to the
// factory area and HEAD_READ_ASK).
inline constexpr uint16_t kAccessCode = 0x4B1D;
// Identity answered at ID_DESIG, ID_DEV, ID_ZERO by the supported family.
inline constexpr uint16_t kIdDesig = 1;
inline constexpr uint16_t kIdDev = 6;
inline constexpr uint16_t kIdZero = 0;

enum class Function : uint8_t { Read, Write };

// One row per direction: the read and the write of one group differ in pause.
enum class Transfer : uint8_t {
  MeasurementBlock, LatchedBlock, ConstantBlock, IntermediateResults,
  Model, FactoryNumber, Versions, Date,
  ExchangeParamsRead, ExchangeParamsWrite, Watchdog,
  UserTextRead, UserTextWrite, Blink, Latch, InitState,
  ReplyDelayRead, ReplyDelayWrite, DeviceGapRead, DeviceGapWrite,
  Identity, UnlockDesignation, Fset, ProtectionUnlock, ProtectionLock,
  SensorSettings, Unit, UnitXnulXbndWrite, XfsetWrite, T90Write, CutoffsWrite,
  ShiftRead, ShiftWrite, DiapRead, DiapWrite, FltypeWrite, ConstructionName, SensorData,
  UserTrimsRead, UserTrimsWrite, AllUserTrimsWrite, DiapUsrRead, DiapUsrWrite,
  DigitsRead, DigitsWrite,
};

struct TransferEntry {
  Transfer id;             // the row's own value, checked against its position
  std::string_view name;
  uint16_t start;
  uint8_t count;
  Function function;
  uint16_t pause_ms;       // pumped wait before the transaction
  std::string_view label;  // transaction label of a write
};

inline constexpr TransferEntry kTransfers[] = {
    {Transfer::MeasurementBlock, "measurement block", reg_address("MEASUREMENT"), 11, Function::Read, 0, ""},
    {Transfer::LatchedBlock, "latched block", reg_address("LATCHED"), 11, Function::Read, 0, ""},
    {Transfer::ConstantBlock, "constant block", reg_address("CONSTANT"), 11, Function::Read, 0, ""},
    {Transfer::IntermediateResults, "intermediate results", reg_address("IZMPsenskpa"), 18, Function::Read, 100, ""},
    {Transfer::Model, "model", reg_address("MODEL"), 1, Function::Read, 100, ""},
    {Transfer::FactoryNumber, "factory number", reg_address("SN_HI"), 2, Function::Read, 100, ""},
    {Transfer::Versions, "versions", reg_address("VER_HARD"), 2, Function::Read, 100, ""},
    {Transfer::Date, "date of manufacture", reg_address("DAY"), 3, Function::Read, 100, ""},
    {Transfer::ExchangeParamsRead, "exchange parameters", reg_address("ADR"), 5, Function::Read, 100, ""},
    {Transfer::ExchangeParamsWrite, "exchange parameters", reg_address("ADR"), 3, Function::Write, 300,
     register_entry("ADR").label},
    {Transfer::Watchdog, "watchdog", reg_address("TIMER"), 1, Function::Read, 100, ""},
    {Transfer::UserTextRead, "user text", reg_address("USERTEXT"), 8, Function::Read, 100, ""},
    {Transfer::UserTextWrite, "user text", reg_address("USERTEXT"), 8, Function::Write, 400, register_entry("USERTEXT").label},
    {Transfer::Blink, "blink", reg_address("BLINK"), 1, Function::Write, 0, register_entry("BLINK").label},
    {Transfer::Latch, "latch", reg_address("LATCH"), 1, Function::Write, 0, register_entry("LATCH").label},
    {Transfer::InitState, "INIT state", reg_address("INITFLAG"), 1, Function::Read, 0, ""},
    {Transfer::ReplyDelayRead, "reply delay", reg_address("DELY"), 1, Function::Read, 0, ""},
    {Transfer::ReplyDelayWrite, "reply delay", reg_address("DELY"), 1, Function::Write, 400, register_entry("DELY").label},
    {Transfer::DeviceGapRead, "device gap", reg_address("TimeGapDev"), 1, Function::Read, 100, ""},
    {Transfer::DeviceGapWrite, "device gap", reg_address("TimeGapDev"), 1, Function::Write, 400,
     register_entry("TimeGapDev").label},
    {Transfer::Identity, "identity", reg_address("ID_DESIG"), 3, Function::Read, 100, ""},
    {Transfer::UnlockDesignation, "unlock designation", reg_address("ULDESIG"), 2, Function::Write, 100,
     register_entry("ULDESIG").label},
    {Transfer::Fset, "FSET", reg_address("FSET"), 1, Function::Write, 100, register_entry("FSET").label},
    {Transfer::ProtectionUnlock, "protection", reg_address("USERLOCK"), 2, Function::Write, 100,
     register_entry("USERLOCK").label},
    {Transfer::ProtectionLock, "protection", reg_address("USERLOCK"), 2, Function::Write, 400, "USERLOCK"},
    {Transfer::SensorSettings, "sensor settings", reg_address("UNIT"), 27, Function::Read, 100, ""},
    {Transfer::Unit, "unit", reg_address("UNIT"), 1, Function::Read, 100, ""},
    {Transfer::UnitXnulXbndWrite, "unit, XNUL, XBND", reg_address("UNIT"), 3, Function::Write, 100, register_entry("UNIT").label},
    {Transfer::XfsetWrite, "XFSET", reg_address("XFSET"), 1, Function::Write, 400, register_entry("XFSET").label},
    {Transfer::T90Write, "T90", reg_address("T90"), 1, Function::Write, 400, register_entry("T90").label},
    {Transfer::CutoffsWrite, "cut-offs and overload", reg_address("NULCUTOFF"), 6, Function::Write, 400,
     register_entry("NULCUTOFF").label},
    {Transfer::ShiftRead, "shift", reg_address("shift"), 2, Function::Read, 100, ""},
    {Transfer::ShiftWrite, "shift", reg_address("shift"), 2, Function::Write, 400, register_entry("shift").label},
    {Transfer::DiapRead, "diap", reg_address("diap"), 2, Function::Read, 100, ""},
    {Transfer::DiapWrite, "diap", reg_address("diap"), 2, Function::Write, 400, register_entry("diap").label},
    {Transfer::FltypeWrite, "fltype", reg_address("fltype"), 1, Function::Write, 400, register_entry("fltype").label},
    {Transfer::ConstructionName, "construction name", reg_address("CONSTRNAME"), 16, Function::Read, 100, ""},
    {Transfer::SensorData, "sensor data", reg_address("SENSUNIT"), 5, Function::Read, 0, ""},
    {Transfer::UserTrimsRead, "shift_usr, shift_scale", reg_address("shift_usr"), 4, Function::Read, 100, ""},
    {Transfer::UserTrimsWrite, "shift_usr, shift_scale", reg_address("shift_usr"), 4, Function::Write, 400,
     register_entry("shift_usr").label},
    // The operation shows its progress panel instead of pausing.
    {Transfer::AllUserTrimsWrite, "shift_usr, shift_scale, diap_usr", reg_address("shift_usr"), 6, Function::Write, 0,
     "shift_usr, shift_scale, diap_usr"},
    {Transfer::DiapUsrRead, "diap_usr", reg_address("diap_usr"), 2, Function::Read, 100, ""},
    {Transfer::DiapUsrWrite, "diap_usr", reg_address("diap_usr"), 2, Function::Write, 400, register_entry("diap_usr").label},
    {Transfer::DigitsRead, "digits", reg_address("DIGITS"), 1, Function::Read, 0, ""},
    {Transfer::DigitsWrite, "digits", reg_address("DIGITS"), 1, Function::Write, 400, register_entry("DIGITS").label},
};
// Row i is the row of Transfer value i: every row names its value.
constexpr bool transfers_in_enum_order() {
  for (size_t i = 0; i < std::size(kTransfers); ++i) {
    if (static_cast<size_t>(kTransfers[i].id) != i) return false;
  }
  return true;
}
static_assert(transfers_in_enum_order(), "each transfer row at the position of its Transfer value");
static_assert(std::size(kTransfers) == static_cast<size_t>(Transfer::DigitsWrite) + 1,
              "one transfer row per Transfer value");

constexpr const TransferEntry& transfer(Transfer t) { return kTransfers[static_cast<size_t>(t)]; }

// The register count of the longest transfer: room for the words of any of them.
constexpr size_t longest_transfer() {
  size_t n = 0;
  for (const TransferEntry& e : kTransfers) n = e.count > n ? e.count : n;
  return n;
}

// Whether a transfer's block holds the whole of a register.
constexpr bool block_holds(const TransferEntry& x, const RegisterEntry& e) {
  return e.address >= x.start && e.address + e.count <= x.start + x.count;
}
constexpr bool block_holds(Transfer t, std::string_view reg) { return block_holds(transfer(t), register_entry(reg)); }

// Whether every word of a transfer's block is a register the image keeps, so
// that the image alone gives the words a write sends.
constexpr bool block_kept_whole(Transfer t) {
  const TransferEntry& x = transfer(t);
  for (uint32_t a = x.start; a < uint32_t{x.start} + x.count; ++a) {
    bool kept = false;
    for (const RegisterEntry& e : kRegisterMap) {
      if (!e.slot.empty() && a >= e.address && a < uint32_t{e.address} + e.count) kept = true;
    }
    if (!kept) return false;
  }
  return true;
}

// Offset of a named register inside a transfer's block.
constexpr size_t block_offset(Transfer t, std::string_view reg) {
  return static_cast<size_t>(reg_address(reg) - transfer(t).start);
}

}  // namespace orn
