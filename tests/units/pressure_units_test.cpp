#include "units/pressure_units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orn {
namespace {

TEST(PressureUnits, KgfRoundTripLosesTheLastBits) {
  const float there = static_cast<float>(from_kpa(250.0f, 4, 0.0f, 400.0f));
  EXPECT_EQ(there, 2.5492904f);
  const float back = static_cast<float>(to_kpa(there, 4, 0.0f, 400.0f));
  EXPECT_EQ(back, 249.99998f);
  EXPECT_NE(back, 250.0f);
}

// 100 kPa in every unit, and the reciprocal each unit multiplies by on the way back.
TEST(PressureUnits, EveryCodeBothWays) {
  struct Case {
    uint16_t unit;
    long double from_100kpa;
    long double to_factor;  // to_kpa(1, unit)
  } cases[] = {
      {1, 100 * static_cast<long double>(0.001), 999.99999999999997918L},
      {2, 100, 1},
      {3, 100000, 0.001L},
      {4, 100 * static_cast<long double>(0.010197162), 98.066501248092369L},
      {5, 100 * static_cast<long double>(101.97162), 0.0098066501248092360L},
      {6, 100 * static_cast<long double>(0.01), 99.999999999999997918L},
      {7, 100 * static_cast<long double>(0.0098692326), 101.32500068951663L},
      {8, 100 * static_cast<long double>(101.9716213), 0.0098066499997877355L},
      {9, 100 * static_cast<long double>(7.50063), 0.13332213427405431L},
      {10, 100 * static_cast<long double>(0.145037), 6.8947923633279784L},
      {11, 1000, 0.1L},
      {12, 100, 1},  // unknown codes leave the value as it is
      {63, 100, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unit);
    EXPECT_EQ(from_kpa(100.0f, c.unit, 0, 0), c.from_100kpa);
    EXPECT_NEAR(static_cast<double>(to_kpa(1.0f, c.unit, 0, 0) / c.to_factor), 1.0, 1e-16);
  }
  // Equal units with their two distinct factors give slightly different values.
  EXPECT_NE(from_kpa(100.0f, 5, 0, 0), from_kpa(100.0f, 8, 0, 0));
}

TEST(PressureUnits, PercentOfTheRange) {
  EXPECT_EQ(from_kpa(250.0f, 0, 0.0f, 1000.0f), 25.0L);
  EXPECT_EQ(from_kpa(-50.0f, 0, -100.0f, 100.0f), 25.0L);
  EXPECT_EQ(to_kpa(25.0f, 0, 0.0f, 1000.0f), 250.0L);
  EXPECT_EQ(to_kpa(25.0f, 0, -100.0f, 100.0f), -50.0L);
  // A range not read yet (or degenerate) must give a finite value.
  for (float lim : {0.0f, 250.0f}) {
    const long double p = from_kpa(100.0f, 0, lim, lim);
    EXPECT_TRUE(std::isfinite(static_cast<double>(p)));
    EXPECT_EQ(p, 0.0L);
    EXPECT_EQ(to_kpa(40.0f, 0, lim, lim), static_cast<long double>(lim));
  }
}

TEST(PressureUnits, Captions) {
  struct Case {
    uint16_t unit;
    const char* combo;
    const char* short_caption;
    const char* status;
    const char* sensor;  // nullptr: the label keeps its text
  } cases[] = {
      {0, "%", "%", "%", "%"},
      {1, "МПа", "МПа", "МПа", "МПа"},
      {2, "кПа", "кПа", "кПа", "кПа"},
      {3, "Па", "Па", "Па", "Па"},
      {4, "кгс/см2 (атм тех)", "кгс/см2 атм техн", "кг/см2", "кг/см2"},
      {5, "кгс/м2", "кгс/м2", "кг/м2", "кг/м2"},
      {6, "бар", "бар", "бар", "бар"},
      {7, "атм физ", "атм физ", "Атм физ", "атм физ"},
      {8, "мм вод ст", "мм вод.ст.", "мм вод столба", "мм вод столба"},
      {9, "мм ртутн ст", "мм рт.ст.", "мм ртутн столба", "мм ртутн столба"},
      {10, "psi", "psi", "psi", "psi"},
      {11, "миллибар", "миллибар", "миллибар", "миллибар"},
      {12, "", " ", "", nullptr},
      {0xFFFF, "", " ", "", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unit);
    EXPECT_EQ(unit_combo_caption(c.unit), c.combo);
    EXPECT_EQ(unit_short_caption(c.unit), c.short_caption);
    EXPECT_EQ(unit_status_caption(c.unit), c.status);
    if (c.sensor) {
      EXPECT_EQ(sensor_unit_caption(c.unit), std::optional<std::string_view>(c.sensor));
    } else {
      EXPECT_FALSE(sensor_unit_caption(c.unit).has_value());
    }
  }
  EXPECT_EQ(statp_unit(0xC40F), 4);
  EXPECT_EQ(statp_unit(0x3F00), 63);
}

}  // namespace
}  // namespace orn
