#include "device/value_codec.h"

#include <bit>
#include <cmath>

#include "text/cp1251.h"

namespace orn {
namespace {

constexpr std::string_view kByteOrderCaptions[kByteOrderCount] = {"0 1 2 3", "2 3 0 1", "1 0 3 2",
                                                                  "3 2 1 0"};
constexpr float kFloatLimit = 10000000.0f;

uint8_t hi(uint16_t w) { return static_cast<uint8_t>(w >> 8); }
uint8_t lo(uint16_t w) { return static_cast<uint8_t>(w & 0xFF); }

uint32_t pattern(uint8_t b3, uint8_t b2, uint8_t b1, uint8_t b0) {
  return (uint32_t{b3} << 24) | (uint32_t{b2} << 16) | (uint32_t{b1} << 8) | b0;
}

}  // namespace

std::string_view byte_order_caption(uint16_t code) {
  return kByteOrderCaptions[code < kByteOrderCount ? code : 0];
}

DecodedFloat decode_float(uint16_t a, uint16_t b, uint16_t order) {
  uint32_t bits = 0;
  switch (order) {
    case 1: bits = pattern(hi(b), lo(b), hi(a), lo(a)); break;
    case 2: bits = pattern(lo(a), hi(a), lo(b), hi(b)); break;
    case 3: bits = pattern(lo(b), hi(b), lo(a), hi(a)); break;
    default: bits = pattern(hi(a), lo(a), hi(b), lo(b)); break;
  }
  float x = std::bit_cast<float>(bits);
  // NaN fails both comparisons, so it lands here too.
  if (!(x >= -kFloatLimit && x <= kFloatLimit)) return {0.0f, 1};
  return {x, 0};
}

float fixed_float(uint16_t a, uint16_t b) { return std::bit_cast<float>(decode_dword(a, b)); }

std::array<uint16_t, 2> encode_float(float x) {
  uint32_t bits = std::bit_cast<uint32_t>(x);
  return {static_cast<uint16_t>(bits >> 16), static_cast<uint16_t>(bits & 0xFFFF)};
}

void pack_text(std::string_view utf8, uint16_t* out, size_t n) {
  std::string bytes = utf8_to_cp1251(utf8);
  bytes.resize(2 * n, ' ');
  for (size_t i = 0; i < n; ++i) {
    out[i] = static_cast<uint16_t>((static_cast<unsigned char>(bytes[2 * i]) << 8) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]));
  }
}

std::string unpack_text(const uint16_t* words, size_t n) {
  std::string bytes;
  bytes.reserve(2 * n);
  for (size_t i = 0; i < n; ++i) {
    bytes += static_cast<char>(hi(words[i]));
    bytes += static_cast<char>(lo(words[i]));
  }
  return cp1251_to_utf8(bytes);
}

std::string unpack_accuracy_class(const uint16_t* words) {
  std::string bytes;
  for (size_t i = 0; i < 2; ++i) {
    for (uint8_t c : {lo(words[i]), hi(words[i])}) {
      if (c == 0) return cp1251_to_utf8(bytes);
      bytes += static_cast<char>(c);
    }
  }
  return cp1251_to_utf8(bytes);
}

uint16_t encode_percent(double p, double limit) {
  if (std::isnan(p)) return 0;
  long double a = std::fabs(static_cast<long double>(p));
  if (a > limit) a = limit;
  return static_cast<uint16_t>(65535.0L * a * 0.01L);
}

double decode_percent(uint16_t word) { return word * (1.0 / 65535.0) * 100.0; }

int choice_index(const ChoiceCode& code, uint16_t reg) {
  if (reg < code.first || reg > code.last) return -1;
  return reg - code.offset;
}

uint16_t choice_register(const ChoiceCode& code, int index) {
  long v = static_cast<long>(index) + code.offset;
  if (v < code.first) v = code.first;
  if (v > code.last) v = code.last;
  return static_cast<uint16_t>(v);
}

}  // namespace orn
