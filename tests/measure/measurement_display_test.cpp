// The texts and colours of the measurement page, computed from the record.
#include "measure/measurement_display.h"

#include <gtest/gtest.h>

namespace orn {
namespace {

MeasuredValue sample() {
  MeasuredValue r;
  r.pizmf = 101.325f;
  r.tizmf = 23.5f;
  r.relative = 32768;
  return r;
}

TEST(MeasurementDisplay, StateTextAndColoursFollowTheErrorWord) {
  struct Case {
    uint16_t izmerr;
    const char* state;
    StatusColour values, state_colour;
  };
  const Case cases[] = {
      {0x0000, "Нормальное измерение", StatusColour::White, StatusColour::ButtonFace},
      {0xF000, "Нормальное измерение", StatusColour::White, StatusColour::ButtonFace},
      {0x0080, " ", StatusColour::Yellow, StatusColour::Yellow},
      {0x0C00, " ", StatusColour::Yellow, StatusColour::Yellow},
      {0x0013, " АЦП Сенс. НПИ ", StatusColour::Yellow, StatusColour::Yellow},
      {0x0004, " ВПИ ", StatusColour::Yellow, StatusColour::Yellow},
      {0xFFFF, " АЦП Сенс. НПИ ВПИ PWR Float EEPROM H_EEPROM PGM_EEPROM ", StatusColour::Yellow,
       StatusColour::Yellow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "IZMERR " << c.izmerr);
    const MeasurementView v = measurement_display(c.izmerr, 0x0200, 0, sample());
    EXPECT_EQ(v.state, c.state);
    EXPECT_EQ(v.value_colour, c.values);
    EXPECT_EQ(v.state_colour, c.state_colour);
    // The numbers are shown whatever the state.
    EXPECT_EQ(v.value, "101.3250   ");
    EXPECT_EQ(v.temperature, "23.50");
  }
}

TEST(MeasurementDisplay, FloatCodingAndUnitComeFromTheStatusWord) {
  struct Case {
    uint16_t statp;
    const char* coding;
    const char* unit;
  };
  const Case cases[] = {
      {0x0000, "0 1 2 3", "%"},        {0x4100, "2 3 0 1", "МПа"},
      {0x8200, "1 0 3 2", "кПа"},      {0xC000, "3 2 1 0", "%"},
      {0x04E0, "0 1 2 3", "кг/см2"},   {0x0700, "0 1 2 3", "Атм физ"},
      {0x0B00, "0 1 2 3", "миллибар"}, {0x0C00, "0 1 2 3", ""},
      {0xFFFF, "3 2 1 0", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "STATP " << c.statp);
    const MeasurementView v = measurement_display(0, c.statp, 0, sample());
    EXPECT_EQ(v.float_coding, c.coding);
    EXPECT_EQ(v.unit, c.unit);
  }
}

TEST(MeasurementDisplay, RelativeValueRawAndInPercent) {
  struct Case {
    uint16_t code;
    const char* raw;
    const char* percent;
  };
  const Case cases[] = {
      {32768, "32768", "50.00 %"},
      {65535, "65535", "100.00 %"},
      {0, "0", "0.00  %"},  // "%-5.2f" pads to five characters before " %"
      {6554, "6554", "10.00 %"},
  };
  for (const Case& c : cases) {
    MeasuredValue r = sample();
    r.relative = c.code;
    const MeasurementView v = measurement_display(0, 0, 0, r);
    EXPECT_EQ(v.relative_raw, c.raw);
    EXPECT_EQ(v.relative_percent, c.percent);
  }
}

TEST(MeasurementDisplay, ExchangeStateShowsAnyFaultBitAsAnError) {
  struct Case {
    uint16_t faults;
    const char* text;
    StatusColour colour;
  };
  const Case cases[] = {
      {0x0000, "Нормальный обмен", StatusColour::ButtonFace},
      {0x8000, "Ошибка в обмене", StatusColour::Yellow},
      {0x006E, "Ошибка в обмене", StatusColour::Yellow},
  };
  for (const Case& c : cases) {
    const MeasurementView v = measurement_display(0, 0, c.faults, sample());
    EXPECT_EQ(v.exchange, c.text);
    EXPECT_EQ(v.exchange_colour, c.colour);
  }
}

TEST(MeasurementDisplay, ContactsLightFromTheRecordsButtonWord) {
  struct Case {
    uint16_t btn;
    std::array<bool, kContactCount> lit;  // INIT, zero, factory, page
  };
  const Case cases[] = {
      {0x0000, {false, false, false, false}},
      {0x0040, {true, false, false, false}},
      {0x0080, {false, true, false, false}},
      {0x0200, {false, false, true, false}},
      {0x0010, {false, false, false, true}},
      {0xFD2F, {false, false, false, false}},  // every other bit
  };
  for (const Case& c : cases) {
    MeasuredValue r = sample();
    r.btn = c.btn;
    EXPECT_EQ(measurement_display(0, 0, 0, r).contacts, c.lit) << std::hex << c.btn;
  }
  EXPECT_EQ(contact_colour(true), StatusColour::Lime);
  EXPECT_EQ(contact_colour(false), StatusColour::ButtonFace);
}

}  // namespace
}  // namespace orn
