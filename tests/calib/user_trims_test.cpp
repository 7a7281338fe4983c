// The checks of the three user trim fields, with their exact arithmetic: the
// value held as a single-precision float, the limits as doubles, and the two
// different offset expressions.
#include "calib/user_trims.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace orn {
namespace {

constexpr const char* kScaleRange = "Данные смещения шкалы выходят за допустимое значение. Проверьте значение.";
constexpr const char* kZeroRange =
    "Данные пользовательского смещения выходят за допустимый диапазон. Проверьте значение.";
constexpr const char* kSpanRange =
    "Данные пользовательской подстройки выходят за допустимый диапазон. Проверьте значение.";
constexpr const char* kScaleText = "Данные смещения не удается представить числом. Проверьте поле ввода.";
constexpr const char* kZeroText =
    "Данные пользовательского смещения не удается представить числом. Проверьте поле ввода.";

struct TrimCase {
  float lo, hi;
  const char* scale;
  const char* zero;
  const char* span;
  const char* message;  // nullptr: accepted
};

class TrimChecks : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimChecks, AcceptOrRefuse) {
  const TrimCase& t = GetParam();
  DeviceImage image;
  image.unit = 2;  // kPa: no conversion
  image.diapminkpa = t.lo;
  image.diapmaxkpa = t.hi;
  test::ScriptedPrompt prompt;
  const bool ok = take_trim_fields({t.scale, t.zero, t.span}, image, prompt);
  if (t.message == nullptr) {
    EXPECT_TRUE(ok);
    EXPECT_TRUE(prompt.records.empty());
  } else {
    EXPECT_FALSE(ok);
    ASSERT_EQ(prompt.records.size(), 1u);
    EXPECT_EQ(prompt.records[0].text, t.message);
    EXPECT_EQ(prompt.records[0].caption, "Ошибка ввода");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TrimChecks,
    ::testing::Values(
        // Held in single precision 0.979 is just below its limit, 1.021 just above.
        TrimCase{0, 100, "0", "0", "0.979", kSpanRange}, TrimCase{0, 100, "0", "0", "1.021", kSpanRange},
        TrimCase{0, 100, "0", "0", "0.9791", nullptr}, TrimCase{0, 100, "0", "0", "1.0209", nullptr},
        // 2.1 as a float is just below 2.1.
        TrimCase{0, 100, "0", "2.1", "1", nullptr}, TrimCase{0, 100, "0", "2.2", "1", kZeroRange},
        TrimCase{0, 100, "0", "-2.1", "1", nullptr},
        // The scale shift checks the magnitude of the value.
        TrimCase{0, 100, "-30", "0", "1", nullptr}, TrimCase{0, 100, "-30.2", "0", "1", kScaleRange},
        TrimCase{0, 100, "30.2", "0", "1", kScaleRange},
        // lo = 10: a scale shift of 5 gives a negative ratio; a user zero of 10 the ratio 0.
        TrimCase{10, 110, "5", "10", "1", nullptr}, TrimCase{10, 110, "5", "7.8", "1", kZeroRange},
        // Text, and what no float holds.
        TrimCase{0, 100, "abc", "0", "1", kScaleText}, TrimCase{0, 100, "0", "", "1", kZeroText},
        TrimCase{0, 100, "1e999", "0", "1", kScaleRange}, TrimCase{0, 100, "0", "0", "1e39", kSpanRange}));

// A value is stored only when its own checks pass: a later failure keeps the
// earlier fields' values.
TEST(TrimFields, EarlierValuesStayStoredAfterALaterFailure) {
  DeviceImage image;
  image.unit = 6;  // bar
  image.diapmaxkpa = 1000;
  image.diap_usr = 1.0f;
  test::ScriptedPrompt prompt;
  EXPECT_FALSE(take_trim_fields({"0.5", "0.1", "2"}, image, prompt));
  EXPECT_NEAR(image.shift_scale, 50.0f, 1e-4);
  EXPECT_NEAR(image.shift_usr, 10.0f, 1e-4);
  EXPECT_EQ(image.diap_usr, 1.0f);
}

TEST(TrimFields, TakenUncheckedAtCloseWithTextAsZero) {
  DeviceImage image;
  image.unit = 1;  // MPa
  take_trim_fields_unchecked({"0.5", "x", "3"}, image);
  EXPECT_NEAR(image.shift_scale, 500.0f, 1e-3);
  EXPECT_EQ(image.shift_usr, 0.0f);
  EXPECT_EQ(image.diap_usr, 3.0f);
}

}  // namespace
}  // namespace orn
