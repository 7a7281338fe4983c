#pragma once
// The bits of the flag words XSQR, XBND, XNUL and XFSET that the settings
// pages and the command line control, named once. Every other bit of these
// words goes back to the device as it was read.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "device/device_image.h"
#include "device/register_map.h"

namespace orn {

enum class Flag : uint8_t {
  SquareRoot, Linearisation, OverrunUp, OverrunDown, ZeroCutoff, MaxCutoff, ZeroByReed, FactoryByButton,
};

struct FlagBit {
  Flag id;                       // the row's own value, checked against its position
  std::string_view reg;  // register-map name of the word
  uint16_t mask;
  std::string_view meaning;
  uint16_t DeviceImage::*word = register_entry(reg).slot.word;  // where the image keeps the word
};

inline constexpr FlagBit kFlagBits[] = {
    {Flag::SquareRoot, "XSQR", 0x0001, "square-root extraction"},
    {Flag::Linearisation, "XSQR", 0x0002, "linear part in root mode"},
    {Flag::OverrunUp, "XBND", 0x0001, "overrun past the upper limit used"},
    {Flag::OverrunDown, "XBND", 0x0002, "overrun past the lower limit used"},
    {Flag::ZeroCutoff, "XBND", 0x0004, "zero cut-off used"},
    {Flag::MaxCutoff, "XBND", 0x0008, "cut-off at the limits used"},
    {Flag::ZeroByReed, "XNUL", 0x0002, "zero by the reed switch"},
    {Flag::FactoryByButton, "XFSET", 0x0001, "factory settings by the button"},
};

// Every row at its value's position, on a register of the map (a misspelt
// name fails to compile here), and no bit named twice.
constexpr bool flag_bits_consistent() {
  for (size_t i = 0; i < std::size(kFlagBits); ++i) {
    const FlagBit& f = kFlagBits[i];
    if (static_cast<size_t>(f.id) != i || f.word == nullptr) return false;
    for (size_t j = 0; j < i; ++j) {
      if (kFlagBits[j].reg == f.reg && (kFlagBits[j].mask & f.mask) != 0) return false;
    }
  }
  return true;
}
static_assert(flag_bits_consistent(), "flag bits: one row per Flag, in order, each bit once");

inline constexpr size_t kFlagCount = std::size(kFlagBits);

constexpr const FlagBit& flag_bit(Flag f) { return kFlagBits[static_cast<size_t>(f)]; }

// The bits of a flag word that are controlled: the union of its named bits.
constexpr uint16_t flag_mask(std::string_view reg) {
  uint16_t mask = 0;
  for (const FlagBit& f : kFlagBits) {
    if (f.reg == reg) mask = static_cast<uint16_t>(mask | f.mask);
  }
  return mask;
}

constexpr bool flag_on(const DeviceImage& image, Flag f) {
  return (image.*flag_bit(f).word & flag_bit(f).mask) != 0;
}

constexpr void set_flag(DeviceImage& image, Flag f, bool on) {
  uint16_t& word = image.*flag_bit(f).word;
  const uint16_t mask = flag_bit(f).mask;
  word = static_cast<uint16_t>(on ? (word | mask) : (word & ~mask));
}

}  // namespace orn
