#pragma once
// Codecs between holding-register words and device-image values. Pure functions:
// none of them touches the line.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orn {

// Byte order code 0..3 of the measured-value float; the caption lists, for the
// bytes as they come over the line, their position in the IEEE-754 single.
inline constexpr uint16_t kByteOrderCount = 4;
// "0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"; a code above 3 is taken as 0.
std::string_view byte_order_caption(uint16_t code);
// The order announced by STATP bits 15..14 for PIZMF of the same block.
constexpr uint16_t statp_byte_order(uint16_t statp) {
  return static_cast<uint16_t>((statp & 0xC000u) >> 14);
}

// A decoded float: invalid patterns give value 0 and error 1.
struct DecodedFloat {
  float value = 0.0f;
  uint16_t error = 0;
};

// Decodes registers a (first) and b in byte order code 0..3 (above 3: 0) and
// validates: NaN and |x| > 10000000 (so infinities) are invalid; denormals are valid.
DecodedFloat decode_float(uint16_t a, uint16_t b, uint16_t order);
// The fixed-order float of the parameter registers: the dword's bit pattern,
// taken without the validity check.
float fixed_float(uint16_t a, uint16_t b);
// Every float the tool writes: high 16 bits of the pattern first.
std::array<uint16_t, 2> encode_float(float x);

// First register is the high word.
constexpr uint32_t decode_dword(uint16_t a, uint16_t b) {
  return (static_cast<uint32_t>(a) << 16) | b;
}
constexpr int32_t decode_int32(uint16_t a, uint16_t b) {
  return static_cast<int32_t>(decode_dword(a, b));
}
constexpr std::array<uint16_t, 2> encode_int32(int32_t x) {
  const auto pattern = static_cast<uint32_t>(x);
  return {static_cast<uint16_t>(pattern >> 16), static_cast<uint16_t>(pattern)};
}

// Text, high byte first. pack_text converts UTF-8 to Windows-1251, keeps at most
// 2n bytes and pads with spaces (never zero bytes); characters that Windows-1251
// cannot hold become '?'.
void pack_text(std::string_view utf8, uint16_t* out, size_t n);
// Exactly 2n bytes of Windows-1251, every byte kept, returned as UTF-8.
std::string unpack_text(const uint16_t* words, size_t n);
// Accuracy class SENSCLASS: two registers, low byte first, up to the first zero
// byte (at most 4 characters), returned as UTF-8.
std::string unpack_accuracy_class(const uint16_t* words);

// Percent fractions: a word holds trunc(65535 * p * 0.01) of |p| limited to limit.
inline constexpr double kPercentLimit = 100.0;
inline constexpr double kLinCutoffLimit = 10.0;  // LINCUTOFF
uint16_t encode_percent(double p, double limit = kPercentLimit);
// word * (1/65535) * 100.
double decode_percent(uint16_t word);

// T90: settling time in tenths of a second, offered as whole seconds 0..100.
inline constexpr uint16_t kT90MaxSeconds = 100;
constexpr uint16_t t90_seconds(uint16_t reg) {
  return reg <= 10 * kT90MaxSeconds ? static_cast<uint16_t>(reg / 10) : kT90MaxSeconds;
}
// Seconds above 100 are written as 100 s.
constexpr uint16_t t90_register(uint16_t seconds) {
  return static_cast<uint16_t>(10 * (seconds < kT90MaxSeconds ? seconds : kT90MaxSeconds));
}

// A register that stores a choice index plus an offset, within [first, last].
struct ChoiceCode {
  uint16_t first;   // lowest register value
  uint16_t last;    // highest register value
  uint16_t offset;  // register value of choice index 0
};
inline constexpr ChoiceCode kDayCode{1, 31, 1};
inline constexpr ChoiceCode kMonthCode{1, 12, 1};
inline constexpr ChoiceCode kYearCode{0, 15, 0};       // year - 2000, 2000..2015
inline constexpr ChoiceCode kAddressCode{0, 247, 0};   // ADR
inline constexpr ChoiceCode kRateCode{3, 10, 3};       // RATE: rate index 3..10
inline constexpr ChoiceCode kParityCode{0, 2, 0};      // PARITY: none, odd, even
inline constexpr ChoiceCode kDigitsCode{0, 3, 0};      // DIGITS
inline constexpr ChoiceCode kTimerCode{0, 2550, 0};    // TIMER: n * 0.1 s, 0 disabled

// Choice index of a register value; -1 (no choice) when the value is outside the code.
int choice_index(const ChoiceCode& code, uint16_t reg);
// Register value of a choice index, clamped into the code.
uint16_t choice_register(const ChoiceCode& code, int index);

// DELY: reply delay in ms, at most 255.
inline constexpr uint16_t kDelyMax = 255;
constexpr uint16_t dely_register(uint32_t ms) {
  return static_cast<uint16_t>(ms < kDelyMax ? ms : kDelyMax);
}

}  // namespace orn
