// Windows-1251 <-> UTF-8 against the code page's published table, and case
// folding against the C library's Unicode case mapping.
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <cwctype>
#include <string>

namespace orn {
namespace {

std::string byte(unsigned b) { return std::string(1, static_cast<char>(b)); }

TEST(Cp1251, BytesMapToThePublishedCharacters) {
  const struct {
    unsigned byte;
    std::string utf8;
  } cases[] = {
      {0x41, "A"},       {0x80, "Ђ"}, {0x81, "Ѓ"}, {0x88, "€"}, {0x96, "–"},
      {0xA0, "\u00A0"},  {0xA8, "Ё"}, {0xAB, "«"}, {0xB8, "ё"}, {0xB9, "№"},
      {0xC0, "А"},       {0xDF, "Я"}, {0xE0, "а"}, {0xFF, "я"},
      {0x98, "\u0098"},  // the byte the code page leaves undefined travels as the C1 control
      {0x00, std::string(1, '\0')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1251_to_utf8(byte(c.byte)), c.utf8) << std::hex << c.byte;
    EXPECT_EQ(utf8_to_cp1251(c.utf8), byte(c.byte)) << std::hex << c.byte;
  }
}

TEST(Cp1251, EveryByteComesBack) {
  std::string all;
  for (unsigned b = 0; b < 256; ++b) all += byte(b);
  const std::string utf8 = cp1251_to_utf8(all);
  EXPECT_EQ(utf8_to_cp1251(utf8), all);
  EXPECT_TRUE(fits_cp1251(utf8));
  // Without the heap, into a buffer that may be too small.
  char out[256];
  ASSERT_EQ(utf8_to_cp1251_into(utf8, out, sizeof out), 256u);
  EXPECT_EQ(std::string(out, 256), all);
  ASSERT_EQ(utf8_to_cp1251_into("Давление", out, 3), 3u);
  EXPECT_EQ(std::string(out, 3), "\xC4\xE0\xE2");
}

TEST(Cp1251, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
  const struct {
    std::string utf8, bytes;
    bool fits;
  } cases[] = {
      {"Ω", "?", false},                       // Greek: not in the code page
      {"кПа 😀", "\xEA\xCF\xE0 ?", false},     // a four-byte character
      {"a\xD0", "a?", false},                  // a sequence cut short
      {"\xFF\xFE", "??", false},               // bytes that never start UTF-8
      {"Котёл №7", "\xCA\xEE\xF2\xB8\xEB \xB9" "7", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_to_cp1251(c.utf8), c.bytes) << c.utf8;
    EXPECT_EQ(fits_cp1251(c.utf8), c.fits) << c.utf8;
  }
}

TEST(Cp1251, FoldingLowersEveryCapitalAsUnicodeDoes) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  EXPECT_EQ(cp1251_fold(0), 0);
  for (unsigned b = 1; b < 256; ++b) {
    const std::string utf8 = cp1251_to_utf8(byte(b));
    std::mbstate_t state{};
    wchar_t wc = 0;
    ASSERT_GT(std::mbrtowc(&wc, utf8.data(), utf8.size(), &state), 0u) << std::hex << b;
    char lowered[MB_LEN_MAX];
    state = {};
    const size_t n = std::wcrtomb(lowered, static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wc))), &state);
    const std::string expected = utf8_to_cp1251(std::string(lowered, n));
    EXPECT_EQ(byte(cp1251_fold(static_cast<unsigned char>(b))), expected) << std::hex << b;
  }
  std::setlocale(LC_CTYPE, "C");
}

}  // namespace
}  // namespace orn
