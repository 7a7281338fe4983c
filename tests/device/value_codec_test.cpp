#include "device/value_codec.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace orn {
namespace {

struct FloatCase {
  uint16_t a, b, order;
  uint32_t bits;  // expected IEEE-754 pattern of the decoded value
  uint16_t error;
};

TEST(DecodeFloat, ByteOrdersAndValidity) {
  const FloatCase cases[] = {
      {0x4120, 0x0000, 0, 0x41200000, 0},  // 10.0
      {0x0000, 0x4120, 1, 0x41200000, 0},  // the same 10.0, registers swapped
      {0x2041, 0x0000, 2, 0x41200000, 0},  // bytes swapped within each register
      {0x0000, 0x2041, 3, 0x41200000, 0},  // all four bytes reversed
      {0x4120, 0x0000, 1, 0x00004120, 0},  // a denormal (about 2.34e-41) is valid
      {0x1234, 0x5678, 7, 0x12345678, 0},  // an order above 3 reads as 0
      {0x7FC0, 0x0000, 0, 0, 1},           // quiet NaN
      {0x7F80, 0x0001, 0, 0, 1},           // signalling NaN
      {0x7F80, 0x0000, 0, 0, 1},           // +infinity
      {0xFF80, 0x0000, 0, 0, 1},           // -infinity
      {0x4B18, 0x9680, 0, 0x4B189680, 0},  // 10000000 exactly
      {0xCB18, 0x9680, 0, 0xCB189680, 0},  // -10000000 exactly
      {0x4B18, 0x9681, 0, 0, 1},           // 10000001
      {0xCB18, 0x9681, 0, 0, 1},           // -10000001
      {0x8000, 0x0000, 0, 0x80000000, 0},  // -0 stays -0
  };
  for (const FloatCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.a << " " << c.b << " order " << c.order);
    DecodedFloat d = decode_float(c.a, c.b, c.order);
    EXPECT_EQ(std::bit_cast<uint32_t>(d.value), c.bits);
    EXPECT_EQ(d.error, c.error);
  }
  EXPECT_FLOAT_EQ(decode_float(0x4120, 0, 0).value, 10.0f);
  EXPECT_NEAR(decode_float(0x4120, 0, 1).value, 2.34e-41, 0.01e-41);
}

TEST(DecodeFloat, StatusWordAnnouncesTheOrder) {
  EXPECT_EQ(statp_byte_order(0x0000), 0);
  EXPECT_EQ(statp_byte_order(0x4200), 1);
  EXPECT_EQ(statp_byte_order(0x80FF), 2);
  EXPECT_EQ(statp_byte_order(0xFFFF), 3);
  EXPECT_EQ(byte_order_caption(0), "0 1 2 3");
  EXPECT_EQ(byte_order_caption(1), "2 3 0 1");
  EXPECT_EQ(byte_order_caption(2), "1 0 3 2");
  EXPECT_EQ(byte_order_caption(3), "3 2 1 0");
  EXPECT_EQ(byte_order_caption(4), "0 1 2 3");
}

TEST(FixedFloat, RoundTripsEveryPatternWithoutValidation) {
  for (float x : {0.0f, -1.5f, 250.0f, 1e-40f, std::numeric_limits<float>::infinity()}) {
    auto w = encode_float(x);
    EXPECT_EQ(std::bit_cast<uint32_t>(fixed_float(w[0], w[1])), std::bit_cast<uint32_t>(x));
  }
  EXPECT_EQ(encode_float(10.0f), (std::array<uint16_t, 2>{0x4120, 0x0000}));
  EXPECT_TRUE(std::isnan(fixed_float(0x7FC0, 0)));  // parameters are taken unchecked
}

TEST(Dword, FirstRegisterIsHighWord) {
  EXPECT_EQ(decode_dword(0x0001, 0x0002), 0x00010002u);
  EXPECT_EQ(decode_dword(0xFFFF, 0xFFFF), 0xFFFFFFFFu);
  EXPECT_EQ(decode_int32(0xFFFF, 0xFFFE), -2);
  EXPECT_EQ(decode_int32(0x8000, 0x0000), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(decode_int32(0x0012, 0xD687), 1234567);
}

TEST(Text, PacksHighByteFirstPaddedWithSpaces) {
  std::array<uint16_t, 8> w{};
  pack_text("AB", w.data(), w.size());
  EXPECT_EQ(w, (std::array<uint16_t, 8>{0x4142, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020,
                                        0x2020}));
  pack_text("", w.data(), w.size());
  EXPECT_EQ(w, (std::array<uint16_t, 8>{0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020,
                                        0x2020}));
  // Cyrillic goes out as Windows-1251 bytes: "Д" 0xC4, "а" 0xE0, "ё" 0xB8.
  pack_text("Даё", w.data(), w.size());
  EXPECT_EQ(w[0], 0xC4E0);
  EXPECT_EQ(w[1], 0xB820);
  // Sixteen Cyrillic characters (32 UTF-8 bytes) fill all eight registers; more are cut.
  pack_text("ЯЯЯЯЯЯЯЯЯЯЯЯЯЯЯЯЖ", w.data(), w.size());
  for (uint16_t x : w) EXPECT_EQ(x, 0xDFDF);
  // A character Windows-1251 cannot hold becomes '?'.
  pack_text("a\u4E2Db", w.data(), w.size());
  EXPECT_EQ(w[0], 0x613F);
  EXPECT_EQ(w[1], 0x6220);
}

TEST(Text, UnpacksExactlyTwoBytesPerRegister) {
  const uint16_t cyr[3] = {0xCFF0, 0xE8E1, 0xEEF0};  // "Прибор"
  EXPECT_EQ(unpack_text(cyr, 3), "Прибор");
  const uint16_t padded[3] = {0x4100, 0x2020, 0x0042};  // zero bytes and spaces are kept
  EXPECT_EQ(unpack_text(padded, 3), std::string("A\0  \0B", 6));
  // 0x98 has no Windows-1251 character; a read and a write-back keep the byte.
  const uint16_t undefined[2] = {0x9841, 0x4298};
  std::array<uint16_t, 2> back{};
  pack_text(unpack_text(undefined, 2), back.data(), back.size());
  EXPECT_EQ(back, (std::array<uint16_t, 2>{0x9841, 0x4298}));

  std::array<uint16_t, 8> w{};
  pack_text("Датчик 1", w.data(), w.size());
  EXPECT_EQ(unpack_text(w.data(), w.size()), "Датчик 1        ");
}

TEST(Text, AccuracyClassLowByteFirstEndsAtZero) {
  struct Case {
    uint16_t w0, w1;
    const char* text;
  } cases[] = {
      {0x0041, 0x0000, "A"},
      {0x2E30, 0x3532, "0.25"},   // low byte first: '0' '.', then '2' '5'
      {0x2E30, 0x0035, "0.5"},
      {0x0000, 0x3131, ""},       // first byte zero: empty
      {0xC0C1, 0xC2C3, "БАГВ"},   // at most four characters, Windows-1251
  };
  for (const Case& c : cases) {
    const uint16_t w[2] = {c.w0, c.w1};
    EXPECT_EQ(unpack_accuracy_class(w), c.text) << std::hex << c.w0 << " " << c.w1;
  }
}

TEST(Percent, EncodesTruncatedFractionOfTheAbsoluteValue) {
  struct Case {
    double p, limit;
    uint16_t word;
  } cases[] = {
      {0, 100, 0},
      {-5, 100, 3276},        // 3276.75, absolute value, truncated
      {5, 100, 3276},
      {100, 100, 65535},
      {150, 100, 65535},
      {-150, 100, 65535},
      {0.01, 100, 6},         // 6.5535
      {10, kLinCutoffLimit, 6553},
      {12, kLinCutoffLimit, 6553},  // LINCUTOFF stops at 10 %
      {std::nan(""), 100, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(encode_percent(c.p, c.limit), c.word) << c.p;
  EXPECT_DOUBLE_EQ(decode_percent(65535), 100.0);
  EXPECT_DOUBLE_EQ(decode_percent(0), 0.0);
  EXPECT_NEAR(decode_percent(3276), 4.9988, 1e-4);
}

TEST(ScaledIntegers, T90InTenthsOfASecond) {
  struct Case {
    uint16_t reg, seconds;
  } reads[] = {{0, 0}, {9, 0}, {15, 1}, {1000, 100}, {1001, 100}, {65535, 100}};
  for (const auto& c : reads) EXPECT_EQ(t90_seconds(c.reg), c.seconds) << c.reg;
  EXPECT_EQ(t90_register(0), 0);
  EXPECT_EQ(t90_register(37), 370);
  EXPECT_EQ(t90_register(100), 1000);
  EXPECT_EQ(t90_register(500), 1000);
}

TEST(ScaledIntegers, ChoiceCodes) {
  struct Case {
    ChoiceCode code;
    uint16_t reg;
    int index;  // -1: outside the code
  } cases[] = {
      {kDayCode, 1, 0},      {kDayCode, 31, 30},     {kDayCode, 0, -1},     {kDayCode, 32, -1},
      {kMonthCode, 12, 11},  {kMonthCode, 13, -1},   {kYearCode, 15, 15},   {kYearCode, 16, -1},
      {kAddressCode, 247, 247}, {kAddressCode, 248, -1}, {kRateCode, 3, 0}, {kRateCode, 10, 7},
      {kRateCode, 2, -1},    {kRateCode, 11, -1},    {kParityCode, 2, 2},   {kParityCode, 3, -1},
      {kDigitsCode, 3, 3},   {kDigitsCode, 4, -1},   {kTimerCode, 0, 0},    {kTimerCode, 2550, 2550},
      {kTimerCode, 2551, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(choice_index(c.code, c.reg), c.index) << c.reg;
    if (c.index >= 0) {
      EXPECT_EQ(choice_register(c.code, c.index), c.reg);
    }
  }
  // Indices outside the code are clamped, never wrapped into 16 bits.
  EXPECT_EQ(choice_register(kDayCode, -1), 1);
  EXPECT_EQ(choice_register(kRateCode, 40), 10);
  EXPECT_EQ(dely_register(0), 0);
  EXPECT_EQ(dely_register(255), 255);
  EXPECT_EQ(dely_register(70000), 255);
}

}  // namespace
}  // namespace orn
