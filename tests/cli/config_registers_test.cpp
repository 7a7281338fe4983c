// The text of the config registers: what config read shows, config write
// takes back to the same register words, with the settings pages' rules.
#include "cli/config_registers.h"

#include <gtest/gtest.h>

namespace orn {
namespace {

const ConfigRegister& reg(std::string_view name) {
  const ConfigRegister* r = find_config_register(name);
  if (r == nullptr) throw std::invalid_argument(std::string(name));
  return *r;
}

// Every percent word shows as a text that encodes back to the same word.
TEST(ConfigRegisters, EveryPercentWordTakesBackUnchanged) {
  const std::string_view percent[] = {"NULCUTOFF", "MAXCUTOFF", "MAXOVLD", "MINOVLD"};
  size_t wrong = 0;
  for (uint32_t w = 0; w <= 0xFFFF; ++w) {
    DeviceImage shown, taken;
    shown.nulcutoff = shown.maxcutoff = shown.maxovld = shown.minovld = static_cast<uint16_t>(w);
    shown.lincutoff = static_cast<uint16_t>(w);
    for (std::string_view name : percent) EXPECT_EQ(reg(name).take(reg(name).show(shown), taken), "");
    EXPECT_EQ(reg("LINCUTOFF").take(reg("LINCUTOFF").show(shown), taken), "");
    wrong += taken.nulcutoff != w || taken.maxcutoff != w || taken.maxovld != w || taken.minovld != w;
    // The linear region holds at most 10 %: a word above it comes back as 10 %.
    wrong += taken.lincutoff != (w <= 6553 ? w : 6553);
  }
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(percent_text(983, 100), "1.50");  // two decimals where they suffice
  EXPECT_EQ(percent_text(1, 100), "0.002");
}

// Every byte of the user text, as shown and taken back.
TEST(ConfigRegisters, EveryUserTextByteTakesBackUnchanged) {
  for (unsigned first = 0; first < 256; first += 16) {
    DeviceImage shown, taken;
    for (unsigned i = 0; i < 8; ++i)
      shown.user_text[i] = static_cast<uint16_t>(((first + 2 * i) << 8) | (first + 2 * i + 1));
    const std::string text = reg("USERTEXT").show(shown);
    ASSERT_EQ(reg("USERTEXT").take(text, taken), "") << text;
    EXPECT_EQ(taken.user_text, shown.user_text) << text;
  }
  EXPECT_EQ(quoted_device_text("a\"b\\c\x01\xC2\x98й"), "\"a\\\"b\\\\c\\x01\\x98й\"");
}

// Values as a person types them, with what the pages store for them.
TEST(ConfigRegisters, TypedValuesAndWhatIsStored) {
  struct Case {
    const char* name;
    const char* value;
    uint16_t DeviceImage::*field;
    uint16_t before;
    uint16_t stored;
  };
  const Case cases[] = {
      {"ADR", "247", &DeviceImage::adr, 1, 247},
      {"RATE", "115200", &DeviceImage::rate, 7, 10},
      {"PARITY", "odd", &DeviceImage::parity, 0, 1},
      {"PARITY", "2", &DeviceImage::parity, 0, 2},
      {"DELY", "300", &DeviceImage::dely, 0, 255},          // at most 255
      {"DELY", "-1", &DeviceImage::dely, 0, 255},           // 65535, then at most 255
      {"TimeGapDev", "70000", &DeviceImage::time_gap_dev, 0, 4464},  // the low 16 bits
      {"TimeGapDev", "-1", &DeviceImage::time_gap_dev, 0, 65535},
      {"UNIT", "psi", &DeviceImage::unit, 2, 10},
      {"UNIT", "4 (кгс/см2 (атм тех))", &DeviceImage::unit, 2, 4},
      {"UNIT", "0x3", &DeviceImage::unit, 2, 3},
      {"fltype", "3 2 1 0", &DeviceImage::fltype, 0, 3},
      {"T90", "100", &DeviceImage::t90, 0, 1000},
      {"DIGITS", "3", &DeviceImage::digits, 0, 3},
      {"NULCUTOFF", "1,5%", &DeviceImage::nulcutoff, 0, 983},
      {"NULCUTOFF", " 1.5e0 % ", &DeviceImage::nulcutoff, 0, 983},
      {"NULCUTOFF", "-5", &DeviceImage::nulcutoff, 0, 3276},   // the magnitude
      {"MAXOVLD", "150", &DeviceImage::maxovld, 0, 65535},     // at most 100 %
      {"LINCUTOFF", "25", &DeviceImage::lincutoff, 0, 6553},   // at most 10 %
      // Flag words change only the bits the pages control.
      {"XBND", "0xFFFF", &DeviceImage::xbnd, 0x0030, 0x003F},
      {"XBND", "0", &DeviceImage::xbnd, 0x003F, 0x0030},
      {"XNUL", "0xFFFF", &DeviceImage::xnul, 0x0100, 0x0102},
      {"XFSET", "1", &DeviceImage::xfset, 0x8000, 0x8001},
      {"XSQR", "7", &DeviceImage::xsqr, 0x0010, 0x0013},
  };
  for (const Case& c : cases) {
    DeviceImage image;
    image.*c.field = c.before;
    EXPECT_EQ(reg(c.name).take(c.value, image), "") << c.name << "=" << c.value;
    EXPECT_EQ(image.*c.field, c.stored) << c.name << "=" << c.value;
  }
}

}  // namespace
}  // namespace orn
